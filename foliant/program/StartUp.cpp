// foliant.exe: StartUp and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "program/FoliantApp.h"
#include "program/Frm_Loading.h"
#include "program/Frm_Main.h"
#include "sys/WideText.h"

FoliantApp& App() {
    static FoliantApp app;
    return app;
}

namespace {

void ShowStartupFailure(const std::string& problem) {
    std::string text = problem + "\r\n\r\nFoliant cannot start.";
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"Foliant", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

// The W functions, so that characters typed into the edit controls reach
// them whole, whatever the ANSI code page holds.
int MessageLoop(Frm_Main& main) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (main.PreTranslateKey(msg))
            continue;
        if (main.hwnd() && IsDialogMessageW(main.hwnd(), &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    FoliantApp& app = App();
    app.instance = instance;
    app.programFolder = app.sys.ProgramFolder();

    StartupProblem problem = LoadSettings(app.sys, app.programFolder, app.mainIni, app.settings);
    if (!problem)
        problem = ReadLanguageFile(app.sys, app.programFolder, app.settings.MyLagIndex, app.language);
    if (problem) {
        ShowStartupFailure(problem.message);
        return 1;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    OleInitialize(nullptr);

    Frm_Loading splash;
    Frm_Main main;
    app.mainWindow = &main;
    std::string missing;
    if (!splash.Load(missing) || !main.Load(missing)) {
        if (splash.hwnd())
            DestroyWindow(splash.hwnd());
        ShowStartupFailure("The picture \"" + missing + "\" is missing or cannot be read.");
        OleUninitialize();
        return 1;
    }
    int code = MessageLoop(main);
    app.mainWindow = nullptr;
    OleUninitialize();
    return code;
}
