// Frm_Loading: the topmost splash shown while the main window loads. Its
// timer, 1800 ms after start-up, closes it and shows the main window.
#pragma once

#include <windows.h>

#include <string>

#include "controls/win/Gdi.h"

inline const char kFrmLoadingClass[] = "Frm_Loading";

class Frm_Loading {
public:
    // Creates and shows the splash. False (with the file named) when
    // "loading.jpg" cannot be loaded.
    bool Load(std::string& missingFile);
    HWND hwnd() const { return hwnd_; }
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void OnPaint();

    HWND hwnd_ = nullptr;
    Picture background_;
    std::string label1_;
};
