// Frm_Settings: the modal settings dialog of the main window. Language,
// joint characters and cut words; OK applies and saves them, Cancel and
// the close button discard them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/win/TitleBar.h"
#include "settings/LanguageTable.h"
#include "settings/Mod_DIM.h"
#include "sys/System.h"

// Control ids, also what a robot uses to find the controls. Label3(k) and
// Text2(i) take consecutive ids from their first one.
enum FrmSettingsControl : int {
    kIdSetPicture1 = 300,
    kIdSetLabel5,
    kIdSetCombo2Frame,
    kIdSetCombo2,
    kIdSetList1,
    kIdSetFile1,
    kIdSetCutStyle,  // the label placed outside the visible area
    kIdSetLabel1,
    kIdSetText1,
    kIdSetLabel4,
    kIdSetLine1,
    kIdSetLabel2,
    kIdSetCommand3,
    kIdSetCommand1,
    kIdSetCommand2,
    kIdSetIClose,
    kIdSetLabel3 = 400,   // indexes 0 to 5
    kIdSetText2 = 1000,   // indexes 0 to CutWordNum
};

inline const char kFrmSettingsClass[] = "Frm_Settings";

// What the dialog reads and changes, and how it tells its owner that the
// language changed.
struct SettingsDialogContext {
    System& sys;
    HINSTANCE instance;
    std::string programFolder;
    classIniFile& mainIni;
    AppSettings& settings;
    LanguageTable& language;
    std::function<void()> relabelOwner;

    // "\images\" under the program folder, with a trailing backslash.
    std::string ImagesFolder() const { return programFolder + "\\images\\"; }
};

class Frm_Settings {
public:
    explicit Frm_Settings(SettingsDialogContext context) : context_(std::move(context)) {}

    // Shows the dialog over 'owner', which stays disabled until it closes.
    void ShowModal(HWND owner);

    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    bool Load();
    void CreateControls();
    void DrawFaceText();
    void LoadLanguage();
    void ApplyShortForm();
    void MakeRoomForCutWords();
    void RestoreDefaults();
    void Ok();
    HWND Control(int id) const;
    std::string TextOf(int id) const;

    SettingsDialogContext context_;
    HWND hwnd_ = nullptr;
    HWND panel_ = nullptr;
    TitleBar titleBar_;
    TitleBarLayout titleLayout_{};
    std::string caption_;
    std::vector<std::string> bases_;  // List1: base names of the offered files
    bool done_ = false;
};
