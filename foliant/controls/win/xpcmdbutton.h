// xpcmdbutton: foliant's own push button. It paints a face from one of
// four skins (normal, pressed, disabled, hover) stretched to its size,
// with the caption centred on it, and tells its parent of a click with
// WM_COMMAND / BN_CLICKED like a system button.
//
// Properties: Caption is the window text, Font goes through WM_SETFONT,
// Enabled through EnableWindow; BackColor and ForeColor have messages of
// their own below.
#pragma once

#include <windows.h>

inline const char kXpCmdButtonClass[] = "xpcmdbutton";

enum XpCmdButtonMessage : UINT {
    XPB_SETBACKCOLOR = WM_USER + 1,  // wParam: COLORREF
    XPB_GETBACKCOLOR,
    XPB_SETFORECOLOR,                // wParam: COLORREF
    XPB_GETFORECOLOR,
    XPB_GETSTATE,                    // the face painted last, a ButtonState
};

// The background of a new button: the system colour of window backgrounds.
COLORREF DefaultButtonBackColor();

void RegisterXpCmdButton(HINSTANCE instance);

// A visible child button with the parent's font.
HWND CreateXpCmdButton(HWND parent, int id, const char* caption, int x, int y, int w, int h);

// Paints a button face of w x h pixels onto 'dc': the skin of 'state',
// the corner pixels in 'back', the caption centred in 'fore'.
void PaintButtonFace(HDC dc, int w, int h, int state, COLORREF back, COLORREF fore, HFONT font,
                     const char* caption);
