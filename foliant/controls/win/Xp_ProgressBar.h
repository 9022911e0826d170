// Xp_ProgressBar: foliant's own progress bar. A rounded track filled with
// small blocks of one of eight colour looks as the value grows. It keeps
// what it painted on a surface of its own, adding blocks as values come.
//
// Properties go through the messages below; PBM_SETPOS and PBM_GETPOS
// write and read Value as they do for the system's progress bar.
#pragma once

#include <windows.h>

#include <cstdint>

inline const char kXpProgressBarClass[] = "Xp_ProgressBar";

enum XpProgressBarMessage : UINT {
    // Clear of the system progress bar's PBM_ messages.
    XPP_SETMIN = WM_USER + 100,  // wParam: the value; returns TRUE when accepted
    XPP_GETMIN,
    XPP_SETMAX,
    XPP_GETMAX,
    XPP_SETVALUE,
    XPP_GETVALUE,
    XPP_SETSTYLE,
    XPP_GETSTYLE,
    XPP_SETLOOK,               // ProgressLook
    XPP_GETLOOK,
};

void RegisterXpProgressBar(HINSTANCE instance);

// A visible child bar, Min 0, Max 100, Value 0, Style 0, the given look.
HWND CreateXpProgressBar(HWND parent, int id, int x, int y, int w, int h, int32_t look = 0);

// Shorthands for the messages.
inline bool XpProgressSet(HWND bar, UINT message, int32_t v) {
    return SendMessageA(bar, message, static_cast<WPARAM>(v), 0) != 0;
}
inline int32_t XpProgressGet(HWND bar, UINT message) {
    return static_cast<int32_t>(SendMessageA(bar, message, 0, 0));
}
