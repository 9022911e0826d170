// The splash window: picture, home page and version, and Timer1.
#include "program/Frm_Loading.h"

#include "program/FoliantApp.h"
#include "controls/win/WindowProc.h"
#include "program/Frm_Main.h"

namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 1800;  // milliseconds
constexpr int kLabelMargin = 8;


}  // namespace

bool Frm_Loading::Load(std::string& missingFile) {
    FoliantApp& app = App();
    std::string picture = app.ImagesFolder() + "loading.jpg";
    if (!background_.Load(picture)) {
        missingFile = picture;
        return false;
    }
    label1_ = app.language.HomePage + "\r\nVer: " + app.language.Version;

    WNDCLASSA wc{};
    wc.lpfnWndProc = ObjectWindowProc<Frm_Loading>;
    wc.hInstance = app.instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kFrmLoadingClass;
    RegisterClassA(&wc);

    SIZE size = background_.Size();
    int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kFrmLoadingClass, "", WS_POPUP, x, y, size.cx,
                            size.cy, nullptr, nullptr, app.instance, this);
    if (!hwnd_)
        return false;
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
    SetTimer(hwnd_, kTimer1, kTimer1Interval, nullptr);
    return true;
}

void Frm_Loading::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    background_.Draw(dc, client);

    // Label1 sits with its right edge 8 units inside the splash's.
    ScopedSelectObject font(dc, InterfaceFont());
    RECT label{0, 0, 0, 0};
    DrawTextA(dc, label1_.c_str(), -1, &label, DT_CALCRECT | DT_NOPREFIX);
    int width = label.right - label.left;
    int height = label.bottom - label.top;
    RECT place{client.right - width - kLabelMargin, client.bottom - height - kLabelMargin,
               client.right - kLabelMargin, client.bottom - kLabelMargin};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, label1_.c_str(), -1, &place, DT_RIGHT | DT_NOPREFIX);
    EndPaint(hwnd_, &ps);
}

LRESULT Frm_Loading::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_TIMER:
        if (wParam == kTimer1) {
            KillTimer(hwnd_, kTimer1);
            DestroyWindow(hwnd_);
            if (App().mainWindow)
                App().mainWindow->Show();
        }
        return 0;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        break;
    }
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}
