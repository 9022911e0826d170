// The drawn title bar of foliant's borderless windows: a stretched
// background strip (Image1), a small icon (Image2) and the caption twice,
// black and then white one pixel lower right (the two Lab_Tit labels).
#pragma once

#include <windows.h>

#include <string>

#include "controls/win/Gdi.h"

struct TitleBarLayout {
    RECT background;   // Image1
    RECT icon;         // Image2
    POINT shadowText;  // Lab_Tit(1)
    POINT text;        // Lab_Tit(2)
};

class TitleBar {
public:
    // Loads "tbk.gif" and "tit.gif" from the images folder.
    bool LoadPictures(const std::string& imagesFolder, std::string& missing);
    void Paint(HDC dc, const TitleBarLayout& layout, const std::string& caption) const;
    // True when a press at 'p' should drag the window: the background or
    // the caption text.
    bool IsDragArea(const TitleBarLayout& layout, POINT p) const;

private:
    Picture background_;
    Picture icon_;
};

// WM_PAINT of a skinned window: its frame and its title bar.
void PaintSkinnedWindow(HWND window, const TitleBar& titleBar, const TitleBarLayout& layout,
                        const std::string& caption);

// Starts moving 'window' with the mouse, as a press on a real caption does.
void BeginWindowDrag(HWND window);
