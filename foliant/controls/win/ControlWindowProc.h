// The window procedure of the styled controls: each window owns one T,
// made at WM_NCCREATE and deleted at WM_NCDESTROY.
#pragma once

#include <windows.h>

// T needs a constructor from HWND and HandleMessage(UINT, WPARAM, LPARAM).
template <typename T>
LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = new T(hwnd);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete self;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return self->HandleMessage(msg, wParam, lParam);
}

// WM_PAINT and WM_PRINTCLIENT draw with one function, paint(HDC), so a
// control can also be drawn onto a memory DC. True when 'msg' was one.
template <typename F>
bool HandlePaint(HWND hwnd, UINT msg, WPARAM wParam, F paint) {
    if (msg == WM_PRINTCLIENT) {
        paint(reinterpret_cast<HDC>(wParam));
        return true;
    }
    if (msg != WM_PAINT)
        return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    paint(dc);
    EndPaint(hwnd, &ps);
    return true;
}

// Registers a control class once per instance.
template <typename T>
void RegisterControlClass(HINSTANCE instance, const char* name) {
    WNDCLASSA wc{};
    if (GetClassInfoA(instance, name, &wc))
        return;
    wc.lpfnWndProc = ControlWindowProc<T>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}
