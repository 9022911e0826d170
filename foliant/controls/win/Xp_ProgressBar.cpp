// The Xp_ProgressBar window class: it runs ProgressBarLogic and carries out
// what it asks to paint on a surface bitmap as large as the control.
#include "controls/win/Xp_ProgressBar.h"

#include <commctrl.h>

#include <memory>

#include "controls/ProgressBarLogic.h"
#include "controls/ProgressLooks.h"
#include "controls/win/ControlWindowProc.h"
#include "controls/win/SkinBitmap.h"

namespace {

const SkinBitmap& Track() {
    static const SkinBitmap track(TrackImage());
    return track;
}

class XpProgressBar {
public:
    explicit XpProgressBar(HWND hwnd) : hwnd_(hwnd) { LoadLook(); }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (HandlePaint(hwnd_, msg, wParam, [this](HDC dc) { Paint(dc); }))
            return 0;
        int32_t v = static_cast<int32_t>(wParam);
        switch (msg) {
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case XPP_SETMIN:
            return logic_.SetMin(v);
        case XPP_GETMIN:
            return logic_.Min();
        case XPP_SETMAX:
            return logic_.SetMax(v);
        case XPP_GETMAX:
            return logic_.Max();
        case XPP_SETVALUE:
        case PBM_SETPOS:
            return SetValue(v);
        case XPP_GETVALUE:
        case PBM_GETPOS:
            return logic_.Value();
        case XPP_SETSTYLE:
            logic_.SetStyle(v);
            return TRUE;
        case XPP_GETSTYLE:
            return logic_.Style();
        case XPP_SETLOOK:
            logic_.SetProgressLook(v);
            LoadLook();
            return TRUE;
        case XPP_GETLOOK:
            return logic_.ProgressLook();
        }
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }

private:
    // The current look's three pictures.
    void LoadLook() {
        const LookImages* look = ProgressLook(logic_.CurrentLook());
        for (int i = 0; i < 3; ++i)
            pc_[i].Load((*look)[static_cast<size_t>(i)]);
    }

    void OnSize(int w, int h) {
        HDC screen = GetDC(hwnd_);
        surface_ = std::make_unique<MemorySurface>(screen, w, h);
        ReleaseDC(hwnd_, screen);
        PaintList paint;
        logic_.Resize(w, h, paint);
        Carry(paint);
    }

    BOOL SetValue(int32_t v) {
        PaintList paint;
        if (!logic_.SetValue(v, paint))
            return FALSE;
        Carry(paint);
        return TRUE;
    }

    void Carry(const PaintList& paint) {
        if (!surface_)
            return;
        HDC dc = surface_->dc();
        for (const ProgressPaint& p : paint) {
            if (p.kind == ProgressPaint::kTrack) {
                RECT all{0, 0, p.dest.width, p.dest.height};
                FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
                Track().DrawNineSlice(dc, TrackSlices(), p.dest.width, p.dest.height);
            } else {
                const SkinBitmap& image = pc_[p.image >= 0 && p.image < 3 ? p.image : 2];
                image.Draw(dc, p.dest, {0, 0, image.width(), image.height()});
            }
        }
        // Shown at once: a run paints its progress between its own steps.
        if (!paint.empty()) {
            InvalidateRect(hwnd_, nullptr, FALSE);
            UpdateWindow(hwnd_);
        }
    }

    void Paint(HDC dc) {
        if (!surface_)
            return;
        RECT r;
        GetClientRect(hwnd_, &r);
        BitBlt(dc, 0, 0, r.right, r.bottom, surface_->dc(), 0, 0, SRCCOPY);
    }

    HWND hwnd_;
    ProgressBarLogic logic_;
    SkinBitmap pc_[3];
    std::unique_ptr<MemorySurface> surface_;
};

}  // namespace

void RegisterXpProgressBar(HINSTANCE instance) {
    RegisterControlClass<XpProgressBar>(instance, kXpProgressBarClass);
}

HWND CreateXpProgressBar(HWND parent, int id, int x, int y, int w, int h, int32_t look) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterXpProgressBar(instance);
    HWND bar = CreateWindowExA(0, kXpProgressBarClass, "", WS_CHILD | WS_VISIBLE, x, y, w, h,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance, nullptr);
    if (bar)
        XpProgressSet(bar, XPP_SETLOOK, look);
    return bar;
}
