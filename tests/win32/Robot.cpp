// The robot's window search, input and screenshots.
#include "win32/Robot.h"

#include <cstring>

namespace robot {

Process::~Process() {
    if (info_.hProcess) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool Process::Start(const std::string& exe, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + exe + "\"";
    return CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &info_) != 0;
}

int Process::Wait(std::chrono::seconds timeout) {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count() * 1000)) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
}

namespace {

struct Search {
    DWORD processId;
    std::string cls, caption;
    bool mustBeVisible;
    HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if ((s->processId && owner != s->processId) || (s->mustBeVisible && !IsWindowVisible(hwnd)))
        return TRUE;
    char cls[256];
    GetClassNameA(hwnd, cls, sizeof cls);
    if (s->cls != cls)
        return TRUE;
    if (!s->caption.empty() && Text(hwnd) != s->caption)
        return TRUE;
    s->found = hwnd;
    return FALSE;
}

// The visible top-level windows of one process, topmost first.
struct VisibleWindows {
    DWORD processId;
    std::vector<HWND> topFirst;
};

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param) {
    auto* w = reinterpret_cast<VisibleWindows*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == w->processId && IsWindowVisible(hwnd))
        w->topFirst.push_back(hwnd);
    return TRUE;
}

POINT Centre(HWND control) {
    RECT r;
    GetClientRect(control, &r);
    return {r.right / 2, r.bottom / 2};
}

}  // namespace

HWND WaitForWindow(DWORD processId, const std::string& cls, const std::string& caption,
                   std::chrono::seconds timeout, bool mustBeVisible) {
    Search s{processId, cls, caption, mustBeVisible};
    WaitFor([&] {
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
        return s.found != nullptr;
    }, timeout);
    return s.found;
}

bool WaitUntilGone(HWND window, std::chrono::seconds timeout) {
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout);
}

HWND FindControl(HWND parent, int id) {
    if (HWND direct = GetDlgItem(parent, id))
        return direct;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (HWND deeper = FindControl(child, id))
            return deeper;
    return nullptr;
}

std::string Text(HWND window) {
    int length = static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

void SetText(HWND window, const std::string& text) {
    SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

void MouseDown(HWND control) {
    POINT p = Centre(control);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
}

void MouseUp(HWND control) {
    POINT p = Centre(control);
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

void TypeChar(HWND control, char c) {
    WPARAM key = static_cast<WPARAM>(VkKeyScanA(c) & 0xFF);
    SendMessageA(control, WM_KEYDOWN, key, 1);
    SendMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
    SendMessageA(control, WM_KEYUP, key, 0xC0000001);
}

void PressBackspace(HWND control) {
    SendMessageA(control, WM_KEYDOWN, VK_BACK, 1);
    SendMessageA(control, WM_CHAR, 8, 1);
    SendMessageA(control, WM_KEYUP, VK_BACK, 0xC0000001);
}

void MoveMouse(HWND control, int x, int y, WPARAM keys) {
    SendMessageA(control, WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
}

RECT RectIn(HWND control, HWND parent) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

uint32_t ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
}

// Across processes Wine may answer LB_GETTEXT with wide characters; such
// a text (every second byte zero) is turned back into ANSI.
static std::string AnsiFromListText(const std::string& bytes, int length) {
    bool wide = length > 0 && bytes.size() >= 2 * static_cast<size_t>(length);
    for (int i = 0; wide && i < length; ++i)
        wide = bytes[2 * static_cast<size_t>(i) + 1] == '\0';
    if (!wide)
        return bytes.substr(0, static_cast<size_t>(length));
    std::wstring text(static_cast<size_t>(length), L'\0');
    std::memcpy(text.data(), bytes.data(), 2 * static_cast<size_t>(length));
    std::string ansi(2 * text.size() + 1, '\0');
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, ansi.data(),
                                static_cast<int>(ansi.size()), nullptr, nullptr);
    ansi.resize(static_cast<size_t>(n > 0 ? n : 0));
    return ansi;
}

std::vector<std::string> ListItems(HWND listBox) {
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(SendMessageA(listBox, LB_GETTEXTLEN, i, 0));
        std::string text(2 * static_cast<size_t>(length > 0 ? length : 0) + 2, '\0');
        SendMessageA(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(AnsiFromListText(text, length));
    }
    return items;
}

namespace {

std::wstring WideOf(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string Utf8Of(const std::wstring& wide) {
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                        nullptr, nullptr);
    return utf8;
}

}  // namespace

std::string Utf8Text(HWND window) {
    int length = static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    LRESULT copied =
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return Utf8Of(text);
}

void SetUtf8Text(HWND window, const std::string& text) {
    std::wstring wide = WideOf(text);
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::vector<std::string> Utf8ListItems(HWND listBox) {
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageW(listBox, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(SendMessageW(listBox, LB_GETTEXTLEN, i, 0));
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        LRESULT copied =
            SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
        items.push_back(Utf8Of(text));
    }
    return items;
}

void AddUtf8ListItem(HWND listBox, const std::string& text) {
    std::wstring wide = WideOf(text);
    SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::vector<int> ListSelection(HWND listBox) {
    std::vector<int> selected;
    int count = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (SendMessageA(listBox, LB_GETSEL, i, 0) > 0)
            selected.push_back(i);
    return selected;
}

void SelectOnly(HWND listBox, const std::vector<int>& indexes) {
    SendMessageA(listBox, LB_SETSEL, FALSE, -1);
    for (int i : indexes)
        SendMessageA(listBox, LB_SETSEL, TRUE, i);
}

namespace {

// The whole screen as rows of 24-bit pixels, bottom row first.
std::vector<char> GrabScreen(int width, int height) {
    DWORD rowBytes = static_cast<DWORD>((width * 3 + 3) & ~3);
    std::vector<char> pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
        const char* begin = static_cast<const char*>(bits);
        pixels.assign(begin, begin + rowBytes * static_cast<DWORD>(height));
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

bool SaveScreenshot(const std::string& path) {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    // What just changed may still be on its way to the screen: the picture
    // is taken once two grabs a poll apart agree.
    std::vector<char> pixels = GrabScreen(width, height), previous;
    bool first = true;
    WaitFor([&] {
        if (first) {
            first = false;
            return false;
        }
        previous.swap(pixels);
        pixels = GrabScreen(width, height);
        return !pixels.empty() && pixels == previous;
    }, kStepTimeout);
    if (pixels.empty())
        return false;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4d42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
              WriteFile(out, &header, sizeof header, &written, nullptr) &&
              WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(out);
    return ok;
}

bool SaveScreenshotOf(DWORD processId, const std::string& path) {
    VisibleWindows w{processId, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&w));
    // Bottom first, so that the windows keep their order. Asynchronous: a
    // program busy extracting must not hold the test up.
    auto place = [&](HWND where) {
        for (auto it = w.topFirst.rbegin(); it != w.topFirst.rend(); ++it)
            SetWindowPos(*it, where, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    };
    place(HWND_TOPMOST);
    bool saved = SaveScreenshot(path);
    place(HWND_NOTOPMOST);
    return saved;
}

}  // namespace robot
