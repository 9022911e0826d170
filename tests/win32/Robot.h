// A small Win32 robot for end-to-end tests: starts a program, finds its
// windows by class, caption or control id, clicks, types and reads texts,
// and saves screenshots. It runs in the same Wine as the program it drives
// and talks to it only through window messages.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace robot {

// Generous: under emulation a Wine process takes about a minute to start.
constexpr std::chrono::seconds kStartTimeout{400};
constexpr std::chrono::seconds kStepTimeout{60};

class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Start(const std::string& exe, const std::string& folder);
    // Waits for the end; the exit code, or -1 on time-out.
    int Wait(std::chrono::seconds timeout);
    DWORD id() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_{};
};

// The first top-level window of 'processId' with this class (and caption,
// when not empty) that is visible; nullptr after the timeout. A processId
// of 0 takes a window of any process.
HWND WaitForWindow(DWORD processId, const std::string& cls, const std::string& caption,
                   std::chrono::seconds timeout, bool mustBeVisible = true);
// Waits until 'window' is gone or hidden.
bool WaitUntilGone(HWND window, std::chrono::seconds timeout);
// Waits until 'condition' holds.
template <typename F>
bool WaitFor(F condition, std::chrono::seconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        Sleep(100);
    }
    return condition();
}

// A control anywhere below 'parent' by id (searched depth first).
HWND FindControl(HWND parent, int id);
std::string Text(HWND window);
void SetText(HWND window, const std::string& text);
// Clicks a push button without waiting for what it starts.
void Click(HWND button);
// Presses and releases the left button over a control's centre.
void MouseDown(HWND control);
void MouseUp(HWND control);

// Types into a control as key presses and releases; each message is
// handled before the call returns.
void TypeChar(HWND control, char c);
void PressBackspace(HWND control);
// Moves the pointer over a control (x, y in its client area), with the
// mouse buttons in 'keys' (MK_LBUTTON...) held.
void MoveMouse(HWND control, int x, int y, WPARAM keys);

// The rectangle of a control relative to the client area of 'parent'.
RECT RectIn(HWND control, HWND parent);
// A pixel of the screen as 0xRRGGBB.
uint32_t ScreenPixel(int x, int y);

std::vector<std::string> ListItems(HWND listBox);

// Texts through the wide functions, in UTF-8: names the ANSI code page
// cannot hold come through whole.
std::string Utf8Text(HWND window);
void SetUtf8Text(HWND window, const std::string& text);
std::vector<std::string> Utf8ListItems(HWND listBox);
void AddUtf8ListItem(HWND listBox, const std::string& text);

std::vector<int> ListSelection(HWND listBox);
void SelectOnly(HWND listBox, const std::vector<int>& indexes);

// Saves the whole screen as a 24-bit BMP file once it has stopped changing.
bool SaveScreenshot(const std::string& path);
// The same, with the visible windows of 'processId' raised above those of
// other programs, such as tests running beside, while it is taken.
bool SaveScreenshotOf(DWORD processId, const std::string& path);

}  // namespace robot
