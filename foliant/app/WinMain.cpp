// foliant.exe entry point: loads main.ini and the language file, and stops
// with one clear message when either cannot be used.
#include <windows.h>

#include "shell/LanguageTable.h"
#include "shell/Mod_DIM.h"
#include "sys/System.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    System& sys = PlatformSystem();
    std::string folder = sys.ProgramFolder();
    classIniFile mainIni(sys);
    AppSettings settings;
    LanguageTable language;
    StartupProblem problem = LoadSettings(sys, folder, mainIni, settings);
    if (!problem)
        problem = ReadLanguageFile(sys, folder, settings.MyLagIndex, language);
    if (problem) {
        MessageBoxA(nullptr, (problem.message + "\r\n\r\nFoliant cannot start.").c_str(), "Foliant",
                    MB_OK | MB_ICONSTOP | MB_TASKMODAL);
        return 1;
    }
    return 0;
}
