// The program-wide state of foliant.exe: settings, language table and the
// one instance of each window.
#pragma once

#include <windows.h>

#include <string>

#include "settings/LanguageTable.h"
#include "settings/Mod_DIM.h"
#include "sys/System.h"

class Frm_Main;

struct FoliantApp {
    System& sys = PlatformSystem();
    std::string programFolder;
    classIniFile mainIni{sys};
    AppSettings settings;
    LanguageTable language;
    HINSTANCE instance = nullptr;
    Frm_Main* mainWindow = nullptr;

    // "\images\" under the program folder, with a trailing backslash.
    std::string ImagesFolder() const { return programFolder + "\\images\\"; }
    // The caption of the main window and of every message box.
    std::string Title() const { return language.SoftName + " " + language.Version; }
};

FoliantApp& App();
