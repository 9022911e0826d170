// The panel class and the child-control helpers.
#include "controls/win/PanelControls.h"

#include <cstring>

#include "controls/win/xpcmdbutton.h"
#include "controls/win/Gdi.h"
#include "sys/WideText.h"

namespace {

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
        return SendMessageA(GetParent(hwnd), msg, wParam, lParam);
    case WM_CTLCOLORSTATIC: {
        static HBRUSH brush = CreateSolidBrush(kPanelColor);
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND label = reinterpret_cast<HWND>(lParam);
        SetBkColor(dc, kPanelColor);
        // Stored one higher, so that black is not taken for "none".
        if (LONG_PTR colour = GetWindowLongPtrA(label, GWLP_USERDATA))
            SetTextColor(dc, static_cast<COLORREF>(colour - 1));
        return reinterpret_cast<LRESULT>(brush);
    }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterPanelClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    if (GetClassInfoA(instance, kPanelClass, &wc))
        return;
    static HBRUSH panelBrush = CreateSolidBrush(kPanelColor);
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = panelBrush;
    wc.lpszClassName = kPanelClass;
    RegisterClassA(&wc);
    RegisterXpCmdButton(instance);
}

HWND MakeChild(HWND parent, const char* cls, int id, DWORD style, int x, int y, int w, int h,
               DWORD exStyle) {
    // Made through the W function, so that the system's edit, list and
    // label controls hold any name; the A messages still reach them.
    HWND child = CreateWindowExW(exStyle, WideFromUtf8(cls).c_str(), L"",
                                 WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(InterfaceFont()), FALSE);
    return child;
}

HWND MakeButton(HWND parent, int id, int x, int y, int w, int h) {
    HWND button = MakeChild(parent, kXpCmdButtonClass, id, WS_TABSTOP, x, y, w, h);
    SendMessageA(button, XPB_SETBACKCOLOR, kPanelColor, 0);
    return button;
}

void SetLabelColour(HWND label, COLORREF colour) {
    SetWindowLongPtrA(label, GWLP_USERDATA, static_cast<LONG_PTR>(colour) + 1);
}

int TextWidth(HWND control, const char* text) {
    HDC dc = GetDC(control);
    SIZE size{0, 0};
    {
        ScopedSelectObject font(dc, InterfaceFont());
        GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
    }
    ReleaseDC(control, dc);
    return size.cx;
}

std::string ControlText(HWND control) {
    wchar_t text[1024];
    int n = GetWindowTextW(control, text, 1024);
    return Utf8FromWide({text, static_cast<size_t>(n > 0 ? n : 0)});
}
