// MainWindowRunHost: what the conversion run sees of the main window.
#include "program/Frm_MainRun.h"

#include <commctrl.h>
#include <shlobj.h>

#include "program/FoliantApp.h"
#include "program/Frm_Main.h"
#include "controls/win/PanelControls.h"
#include "sys/WideText.h"

std::string MainWindowRunHost::BookNameText() {
    return ControlText(window_.Control(kIdText1));
}

std::vector<std::string> MainWindowRunHost::ImportList() {
    std::vector<std::string> paths;
    for (const ImportItem& item : window_.ReadList1().items)
        paths.push_back(item.path);
    return paths;
}

std::string MainWindowRunHost::ChooseOutputFolder(const std::string& title) {
    wchar_t display[MAX_PATH] = L"";
    std::wstring wideTitle = WideFromUtf8(title);
    // The tree starts at the computer's drives; the desktop if that fails.
    LPITEMIDLIST drives = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(window_.hwnd(), CSIDL_DRIVES, &drives)))
        drives = nullptr;
    BROWSEINFOW info{};
    info.hwndOwner = window_.hwnd();
    info.pidlRoot = drives;
    info.pszDisplayName = display;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
    CoTaskMemFree(drives);
    if (!chosen)
        return std::string();
    wchar_t path[MAX_PATH] = L"";
    BOOL ok = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    return ok ? Utf8FromWide(path) : std::string();
}

void MainWindowRunHost::ShowMessage(const std::string& text) {
    if (closing)
        return;
    MessageBoxW(window_.hwnd(), WideFromUtf8(text).c_str(), WideFromAnsi(App().Title()).c_str(),
                MB_OK);
}

bool MainWindowRunHost::AskYesNo(const std::string& text) {
    if (closing)
        return true;
    return MessageBoxW(window_.hwnd(), WideFromUtf8(text).c_str(),
                       WideFromAnsi(App().Title()).c_str(), MB_YESNO) == IDYES;
}

void MainWindowRunHost::FocusBookName() {
    SetFocus(window_.Control(kIdText1));
}

void MainWindowRunHost::SetStatus(const std::string& text) {
    SetWindowTextW(window_.Control(kIdLabel2), WideFromUtf8(text).c_str());
}

void MainWindowRunHost::SetOverallProgress(int percent) {
    SendMessageA(window_.Control(kIdProgressBar1), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void MainWindowRunHost::SetFileProgress(int percent) {
    SendMessageA(window_.Control(kIdProgressBar2), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void MainWindowRunHost::SetBusy(bool busy) {
    EnableWindow(window_.Control(kIdPicMainFace), !busy);
    ShowWindow(window_.Control(kIdPicMake), busy ? SW_SHOW : SW_HIDE);
    RedrawWindow(window_.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void MainWindowRunHost::PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (window_.PreTranslateKey(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
