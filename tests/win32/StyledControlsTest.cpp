// The styled button and progress bar as real windows in this process: what
// they paint, read back with PrintWindow, and how the button follows the
// mouse and reports clicks.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "controls/ButtonSkins.h"
#include "controls/ProgressLooks.h"
#include "controls/win/Xp_ProgressBar.h"
#include "controls/win/xpcmdbutton.h"

namespace {

constexpr int kButtonId = 7;

int clicks = 0;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED)
        ++clicks;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A window's client area as pixels.
SkinImage Capture(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    SkinImage image(r.right, r.bottom, 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = r.right;
    info.bmiHeader.biHeight = -r.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PrintWindow(window, dc, PW_CLIENTONLY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = p[i] & 0xFFFFFF;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return image;
}

bool Contains(const SkinImage& image, uint32_t rgb) {
    for (uint32_t p : image.pixels)
        if (p == rgb)
            return true;
    return false;
}

// True when 'rgb' is a colour of image 'index' of look 'look'.
bool IsLookColour(int look, int index, uint32_t rgb) {
    return Contains((*ProgressLook(look))[static_cast<size_t>(index)], rgb);
}

class StyledControls : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = "StyledControlsHost";
        RegisterClassA(&wc);
        host = CreateWindowExA(0, "StyledControlsHost", "styled controls", WS_POPUP | WS_VISIBLE,
                               0, 0, 400, 200, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(host, nullptr);
        // Text without smoothing, so its pixels have the caption colour.
        font = CreateFontA(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, "Tahoma");
        clicks = 0;
    }
    void TearDown() override {
        DestroyWindow(host);
        DeleteObject(font);
    }

    HWND Button(const char* caption, int w, int h) {
        HWND b = CreateXpCmdButton(host, kButtonId, caption, 10, 10, w, h);
        SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        return b;
    }
    HWND Bar(int w, int h) { return CreateXpProgressBar(host, 8, 10, 60, w, h); }

    static void Move(HWND b, WPARAM keys, int x, int y) {
        SendMessageA(b, WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
    }
    static int State(HWND b) { return static_cast<int>(SendMessageA(b, XPB_GETSTATE, 0, 0)); }

    HWND host = nullptr;
    HFONT font = nullptr;
};

TEST_F(StyledControls, ButtonOfSkinSizeShowsItsSkinUnscaled) {
    HWND b = Button("", kSkinWidth, kSkinHeight);
    const COLORREF back = RGB(10, 20, 30);
    SendMessageA(b, XPB_SETBACKCOLOR, back, 0);
    SkinImage face = Capture(b);
    const SkinImage& skin = ButtonSkin(kButtonNormal);
    ASSERT_EQ(face.width, 18);
    ASSERT_EQ(face.height, 21);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 18; ++x) {
            bool corner = (x == 0 || x == 17) && (y == 0 || y == 20);
            EXPECT_EQ(face.At(x, y), corner ? 0x0A141Eu : skin.At(x, y)) << x << "," << y;
        }
}

TEST_F(StyledControls, StretchedButtonKeepsCornersInBackColor) {
    HWND b = Button("OK", 90, 30);
    EXPECT_EQ(SendMessageA(b, XPB_GETBACKCOLOR, 0, 0), LRESULT(GetSysColor(COLOR_WINDOW)))
        << "the default background";
    SendMessageA(b, XPB_SETBACKCOLOR, RGB(200, 0, 100), 0);
    SkinImage face = Capture(b);
    for (auto [x, y] : {std::pair{0, 0}, {89, 0}, {0, 29}, {89, 29}})
        EXPECT_EQ(face.At(x, y), 0xC80064u) << x << "," << y;
    // Edges stretch along their length: the top edge row is the skin's.
    EXPECT_EQ(face.At(45, 1), ButtonSkin(kButtonNormal).At(9, 1));
    EXPECT_TRUE(Contains(face, 0x000000)) << "a black caption";
}

TEST_F(StyledControls, DisabledButtonIsGreyAndEnabledAgainBlack) {
    HWND b = Button("Import", 90, 30);
    SendMessageA(b, XPB_SETFORECOLOR, RGB(255, 0, 0), 0);
    EnableWindow(b, FALSE);
    EXPECT_EQ(State(b), kButtonDisabled);
    EXPECT_EQ(SendMessageA(b, XPB_GETFORECOLOR, 0, 0), LRESULT(RGB(161, 161, 146)));
    SkinImage face = Capture(b);
    EXPECT_EQ(face.At(45, 2), ButtonSkin(kButtonDisabled).At(9, 2));
    EXPECT_TRUE(Contains(face, 0xA1A192)) << "the grey caption";
    EXPECT_FALSE(Contains(face, 0xFF0000));

    EnableWindow(b, TRUE);
    EXPECT_EQ(State(b), kButtonNormal);
    face = Capture(b);
    EXPECT_EQ(face.At(45, 2), ButtonSkin(kButtonNormal).At(9, 2));
    EXPECT_TRUE(Contains(face, 0x000000)) << "black, though ForeColor was red";
    EXPECT_FALSE(Contains(face, 0xA1A192));
}

TEST_F(StyledControls, ButtonFollowsTheMouseWithCapture) {
    HWND b = Button("Go", 60, 24);
    Move(b, 0, 30, 12);
    EXPECT_EQ(State(b), kButtonHover);
    EXPECT_EQ(GetCapture(), b) << "held while the pointer is over it";
    EXPECT_EQ(Capture(b).At(30, 2), ButtonSkin(kButtonHover).At(9, 2));
    Move(b, MK_LBUTTON, 30, 12);
    EXPECT_EQ(State(b), kButtonPressed);
    Move(b, MK_LBUTTON | MK_RBUTTON, 30, 12);
    EXPECT_EQ(State(b), kButtonHover) << "not the left button alone";
    Move(b, MK_LBUTTON, 61, 12);
    EXPECT_EQ(State(b), kButtonNormal) << "moved off with the button held";
    EXPECT_NE(GetCapture(), b);
    Move(b, MK_LBUTTON, 59, 12);
    EXPECT_EQ(State(b), kButtonPressed) << "moved back on";
    Move(b, 0, -1, 12);
    EXPECT_EQ(State(b), kButtonNormal);
    EXPECT_NE(GetCapture(), b);
}

TEST_F(StyledControls, ReleaseOverTheButtonClicks) {
    HWND b = Button("Go", 60, 24);
    SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    EXPECT_EQ(State(b), kButtonPressed);
    SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    EXPECT_EQ(State(b), kButtonNormal) << "normal until the next move";
    EXPECT_EQ(clicks, 1);
    EXPECT_NE(GetCapture(), b) << "what the click opens gets the mouse";

    SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
    EXPECT_EQ(clicks, 1) << "released elsewhere";

    SendMessageA(b, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 2);
    EnableWindow(b, FALSE);
    SendMessageA(b, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 2) << "a disabled button does not click";
}

TEST_F(StyledControls, ProgressBlocksStartAtFourAndStopBeforeTheRim) {
    HWND bar = Bar(100, 14);
    EXPECT_TRUE(XpProgressSet(bar, XPP_SETVALUE, 10));
    SkinImage shot = Capture(bar);
    EXPECT_EQ(shot.At(3, 7), 0xFFFFFFu) << "the track's white inside";
    EXPECT_TRUE(IsLookColour(0, 2, shot.At(4, 7))) << "the first block";
    EXPECT_TRUE(IsLookColour(0, 2, shot.At(11, 7)));
    EXPECT_EQ(shot.At(12, 7), 0xFFFFFFu) << "the gap after it";
    EXPECT_EQ(shot.At(14, 7), 0xFFFFFFu) << "no second block at 10";

    XpProgressSet(bar, XPP_SETVALUE, 100);
    shot = Capture(bar);
    EXPECT_TRUE(IsLookColour(0, 2, shot.At(96, 7)));
    EXPECT_FALSE(IsLookColour(0, 2, shot.At(97, 7))) << "3 pixels before the right edge";
    EXPECT_EQ(XpProgressGet(bar, XPP_GETVALUE), 100);
}

TEST_F(StyledControls, NarrowBarFillsOneSevenPixelPieceAtTwentyNine) {
    HWND bar = Bar(14, 14);
    XpProgressSet(bar, XPP_SETVALUE, 28);
    EXPECT_FALSE(IsLookColour(0, 2, Capture(bar).At(4, 7)));
    XpProgressSet(bar, XPP_SETVALUE, 29);
    SkinImage shot = Capture(bar);
    for (int x = 4; x <= 10; ++x)
        EXPECT_TRUE(IsLookColour(0, 2, shot.At(x, 7))) << x;
    EXPECT_FALSE(IsLookColour(0, 2, shot.At(11, 7)));
}

TEST_F(StyledControls, LowerValueRedrawsUpToIt) {
    HWND bar = Bar(100, 14);
    XpProgressSet(bar, XPP_SETVALUE, 40);
    EXPECT_TRUE(IsLookColour(0, 2, Capture(bar).At(36, 7)));
    XpProgressSet(bar, XPP_SETVALUE, 20);
    SkinImage shot = Capture(bar);
    EXPECT_EQ(shot.At(36, 7), 0xFFFFFFu) << "the blocks beyond 20 are gone";
    EXPECT_EQ(shot.At(26, 7), 0xFFFFFFu);
    EXPECT_TRUE(IsLookColour(0, 2, shot.At(4, 7)));
    EXPECT_TRUE(IsLookColour(0, 2, shot.At(16, 7)));
}

TEST_F(StyledControls, UnknownLookKeepsTheColours) {
    HWND bar = Bar(100, 14);
    XpProgressSet(bar, XPP_SETLOOK, 7);
    XpProgressSet(bar, XPP_SETLOOK, 9);
    EXPECT_EQ(XpProgressGet(bar, XPP_GETLOOK), 9);
    XpProgressSet(bar, XPP_SETVALUE, 50);
    SkinImage shot = Capture(bar);
    EXPECT_TRUE(IsLookColour(7, 2, shot.At(4, 7))) << "still redmet";
    EXPECT_FALSE(IsLookColour(0, 2, shot.At(4, 7)));
}

TEST_F(StyledControls, RangeRulesHoldThroughMessages) {
    HWND bar = Bar(100, 14);
    EXPECT_FALSE(XpProgressSet(bar, XPP_SETMIN, -1));
    EXPECT_FALSE(XpProgressSet(bar, XPP_SETMAX, -5));
    EXPECT_FALSE(XpProgressSet(bar, XPP_SETVALUE, 101));
    EXPECT_FALSE(XpProgressSet(bar, XPP_SETVALUE, 0)) << "already 0";
    EXPECT_TRUE(XpProgressSet(bar, XPP_SETMAX, 200));
    SendMessageA(bar, PBM_SETPOS, 150, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 150);
}

TEST_F(StyledControls, OtherStyleShowsAMovingRunAndEmptiesAtMax) {
    HWND bar = Bar(100, 14);
    XpProgressSet(bar, XPP_SETSTYLE, 1);
    for (int v = 1; v <= 3; ++v)
        XpProgressSet(bar, XPP_SETVALUE, v);
    SkinImage shot = Capture(bar);
    EXPECT_TRUE(IsLookColour(0, 2, shot.At(24, 7))) << "the head";
    EXPECT_TRUE(IsLookColour(0, 1, shot.At(14, 7)));
    EXPECT_TRUE(IsLookColour(0, 0, shot.At(4, 7))) << "the palest tail";
    XpProgressSet(bar, XPP_SETVALUE, 100);
    shot = Capture(bar);
    for (int x : {4, 14, 24})
        EXPECT_EQ(shot.At(x, 7), 0xFFFFFFu) << x;
}

}  // namespace
