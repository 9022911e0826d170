// The dialog procedures of the stub: the main dialog, the overwrite and
// password questions, and the folder browser's callback.
#pragma once

#include <windows.h>
#include <commctrl.h>

class DialogHost;

// What the main dialog needs from the program unit.
struct MainDialogStart {
    DialogHost* host;
    HIMAGELIST smallIcons;   // the system's small-icon image list
};

// The main dialog while it exists.
HWND MainDialogWindow();

// lParam: a MainDialogStart.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// lParam: the target path (const std::string*). Results 1 overwrite, 2 keep.
INT_PTR CALLBACK FileExistProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// lParam: the target path (const std::string*). Results 1 OK, 2 cancel.
INT_PTR CALLBACK PasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// lpData: the starting folder (const wchar_t*).
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM lpData);
