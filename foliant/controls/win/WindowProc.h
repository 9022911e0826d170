// The window procedure of foliant's own windows: the object passed to
// CreateWindowEx is attached at WM_NCCREATE and gets every later message.
#pragma once

#include <windows.h>

// T needs Attach(HWND) and HandleMessage(UINT, WPARAM, LPARAM).
template <typename T>
LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->Attach(hwnd);
    }
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->HandleMessage(msg, wParam, lParam);
}
