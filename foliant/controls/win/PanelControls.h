// What foliant's windows share to build their panels: the skin colours,
// the panel window class and helpers that make child controls in the
// interface font.
#pragma once

#include <windows.h>

#include <string>

inline const char kPanelClass[] = "FoliantPanel";
inline const COLORREF kPanelColor = RGB(238, 242, 247);
inline const COLORREF kFrameColor = RGB(31, 68, 119);

// The panel class passes commands up to its window and paints static
// controls on its own colour.
void RegisterPanelClass(HINSTANCE instance);

// A visible child control in the interface font.
HWND MakeChild(HWND parent, const char* cls, int id, DWORD style, int x, int y, int w, int h,
               DWORD exStyle = 0);
// A styled command button whose corners blend into the panel.
HWND MakeButton(HWND parent, int id, int x, int y, int w, int h);
// Gives a static control on a panel its own text colour.
void SetLabelColour(HWND label, COLORREF colour);

// A control's text in UTF-8, up to 1023 UTF-16 units.
std::string ControlText(HWND control);

// The width in pixels of 'text' in the interface font.
int TextWidth(HWND control, const char* text);
