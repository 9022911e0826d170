// GfuBut: the small image button of the window chrome and the import list.
// It shows face 0 (normal, also while pressed) or face 1 (hover), loaded
// from images\NAME0.gif / NAME1.gif (or .jpg), and tells its parent of
// mouse presses, moves and releases through WM_COMMAND.
#pragma once

#include <windows.h>

#include <string>

// Notification codes in HIWORD(wParam) of WM_COMMAND.
constexpr WORD kGfuMouseDown = 1;
constexpr WORD kGfuMouseMove = 2;
constexpr WORD kGfuMouseUp = 3;

// Creates a GfuBut named 'name' (its face files) as child 'id' of 'parent'.
HWND CreateGfuBut(HWND parent, int id, const std::string& name, const std::string& imagesFolder,
                  int x, int y, int width, int height);

// The face the button shows now: 0 or 1.
int GfuButFace(HWND button);
