// Painting and dragging of the drawn title bar.
#include "controls/win/TitleBar.h"

#include "controls/win/PanelControls.h"

bool TitleBar::LoadPictures(const std::string& imagesFolder, std::string& missing) {
    if (!background_.Load(imagesFolder + "tbk.gif")) {
        missing = imagesFolder + "tbk.gif";
        return false;
    }
    if (!icon_.Load(imagesFolder + "tit.gif")) {
        missing = imagesFolder + "tit.gif";
        return false;
    }
    return true;
}

void TitleBar::Paint(HDC dc, const TitleBarLayout& layout, const std::string& caption) const {
    background_.Draw(dc, layout.background);
    icon_.Draw(dc, layout.icon);
    ScopedSelectObject font(dc, InterfaceFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, layout.shadowText.x, layout.shadowText.y, caption.c_str(),
             static_cast<int>(caption.size()));
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, layout.text.x, layout.text.y, caption.c_str(), static_cast<int>(caption.size()));
}

bool TitleBar::IsDragArea(const TitleBarLayout& layout, POINT p) const {
    return PtInRect(&layout.background, p) != 0;
}

void BeginWindowDrag(HWND window) {
    ReleaseCapture();
    SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void PaintSkinnedWindow(HWND window, const TitleBar& titleBar, const TitleBarLayout& layout,
                        const std::string& caption) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    GdiObject<HBRUSH> frame(CreateSolidBrush(kFrameColor));
    FrameRect(dc, &client, frame.get());
    titleBar.Paint(dc, layout, caption);
    EndPaint(window, &ps);
}
