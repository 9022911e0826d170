// The xpcmdbutton window class: face state, mouse capture and painting.
#include "controls/win/xpcmdbutton.h"

#include <string>

#include "controls/ButtonSkins.h"
#include "controls/win/ControlWindowProc.h"
#include "controls/win/SkinBitmap.h"

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr WPARAM kMouseButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

const SkinBitmap& Skin(int state) {
    static const SkinBitmap skins[kButtonStateCount] = {
        SkinBitmap(ButtonSkin(0)), SkinBitmap(ButtonSkin(1)), SkinBitmap(ButtonSkin(2)),
        SkinBitmap(ButtonSkin(3))};
    return skins[state >= 0 && state < kButtonStateCount ? state : 0];
}

POINT PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

class XpCmdButton {
public:
    explicit XpCmdButton(HWND hwnd) : hwnd_(hwnd) {}

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (HandlePaint(hwnd_, msg, wParam, [this](HDC dc) { Paint(dc); }))
            return 0;
        switch (msg) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_SETTEXT: {
            LRESULT r = DefWindowProcA(hwnd_, msg, wParam, lParam);
            InvalidateRect(hwnd_, nullptr, FALSE);
            return r;
        }
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam))
                InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_ENABLE:
            OnEnable(wParam != 0);
            return 0;
        case WM_SIZE:
        case WM_SHOWWINDOW:
            RefreshFace();
            break;
        case WM_LBUTTONDOWN:
            OnButtonDown();
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(wParam, PointOf(lParam));
            return 0;
        case WM_LBUTTONUP:
            OnButtonUp(PointOf(lParam));
            return 0;
        case BM_CLICK:
            if (IsWindowEnabled(hwnd_))
                Click();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case XPB_SETBACKCOLOR:
            back_ = static_cast<COLORREF>(wParam);
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case XPB_GETBACKCOLOR:
            return static_cast<LRESULT>(back_);
        case XPB_SETFORECOLOR:
            fore_ = static_cast<COLORREF>(wParam);
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case XPB_GETFORECOLOR:
            return static_cast<LRESULT>(fore_);
        case XPB_GETSTATE:
            return state_;
        }
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }

private:
    void OnCreate() {
        HWND parent = GetParent(hwnd_);
        font_ = parent ? reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0)) : nullptr;
        if (!font_)
            font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        RefreshFace();
    }

    // Enabling paints the resting face and sets the caption colour,
    // whatever ForeColor was before.
    void OnEnable(bool enabled) {
        fore_ = ToColorRef(enabled ? kEnabledCaption : kDisabledCaption);
        RefreshFace();
    }

    void ShowState(int state) {
        if (state == state_)
            return;
        state_ = state;
        InvalidateRect(hwnd_, nullptr, FALSE);
    }

    void RefreshFace() { ShowState(RestingState(IsWindowEnabled(hwnd_) != 0)); }

    void OnButtonDown() {
        pressed_ = true;
        ShowState(kButtonPressed);
        SetCapture(hwnd_);
    }

    bool Inside(POINT p) const {
        RECT r;
        GetClientRect(hwnd_, &r);
        return PointerInside(p.x, p.y, r.right * kTwipsPerPixel, r.bottom * kTwipsPerPixel);
    }

    // Capture is held while the pointer is over the button, so that the
    // move that leaves it still arrives.
    void OnMouseMove(WPARAM keys, POINT p) {
        bool inside = Inside(p);
        ShowState(StateForMove(inside, (keys & kMouseButtons) == MK_LBUTTON));
        if (inside) {
            if (GetCapture() != hwnd_)
                SetCapture(hwnd_);
        } else if (GetCapture() == hwnd_) {
            ReleaseCapture();
        }
    }

    // A release over the button after a press on it is a click. The
    // capture goes first, so that whatever the click opens gets the mouse.
    void OnButtonUp(POINT p) {
        bool click = pressed_ && Inside(p);
        pressed_ = false;
        RefreshFace();
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        if (click)
            Click();
    }

    void Click() {
        SendMessageA(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), BN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd_));
    }

    void Paint(HDC dc) {
        RECT r;
        GetClientRect(hwnd_, &r);
        char caption[512];
        GetWindowTextA(hwnd_, caption, sizeof caption);
        MemorySurface surface(dc, r.right, r.bottom);
        PaintButtonFace(surface.dc(), r.right, r.bottom, state_, back_, fore_, font_, caption);
        BitBlt(dc, 0, 0, r.right, r.bottom, surface.dc(), 0, 0, SRCCOPY);
    }

    HWND hwnd_;
    int state_ = -1;
    bool pressed_ = false;
    COLORREF back_ = DefaultButtonBackColor();
    COLORREF fore_ = ToColorRef(kEnabledCaption);
    HFONT font_ = nullptr;
};

}  // namespace

COLORREF DefaultButtonBackColor() { return GetSysColor(COLOR_WINDOW); }

void PaintButtonFace(HDC dc, int w, int h, int state, COLORREF back, COLORREF fore, HFONT font,
                     const char* caption) {
    RECT all{0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    Skin(state).DrawNineSlice(dc, ButtonSlices(), w, h);
    // The outermost corners take the background, so the face looks round.
    for (POINT p : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}})
        SetPixelV(dc, p.x, p.y, back);

    HGDIOBJ oldFont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    int length = static_cast<int>(strlen(caption));
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, caption, length, &size);
    CaptionOrigin at = CentreCaption(w, h, size.cx, size.cy);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, fore);
    TextOutA(dc, at.x, at.y, caption, length);
    SelectObject(dc, oldFont);
}

void RegisterXpCmdButton(HINSTANCE instance) {
    RegisterControlClass<XpCmdButton>(instance, kXpCmdButtonClass);
}

HWND CreateXpCmdButton(HWND parent, int id, const char* caption, int x, int y, int w, int h) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterXpCmdButton(instance);
    return CreateWindowExA(0, kXpCmdButtonClass, caption ? caption : kXpCmdButtonClass, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x,
                           y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           instance, nullptr);
}
