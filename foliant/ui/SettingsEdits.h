// The settings dialog's rules that need no window: the key filters of the
// joint-characters box, the language list, the cut-word boxes, the short
// form, and what OK applies and in which order.
#pragma once

#include <string>
#include <vector>

#include "settings/Mod_DIM.h"

// Joint characters: the value a box that is no number turns into, and the
// largest value the key filter lets stand.
inline const char kJointWhenNotANumber[] = "32";
constexpr int kMostJointCharacters = 64;

// A character typed into the joint-characters box gets through only when
// it is a digit or Backspace.
bool JointKeyAllowed(int charCode);

// The box's text after a key is released: "32" when it is no number, then
// "64" when its value is above 64; otherwise unchanged.
std::string JointTextOnKeyRelease(const std::string& text);

// A number as the box may hold it: blanks, an optional sign, digits with
// an optional fraction, blanks.
bool ParseNumber(const std::string& text, double& value);

// The languages offered: display names (the drop-down list), the base
// names of their files (item k belongs to name k) and the item to select,
// -1 when the list is empty.
struct LanguageChoices {
    std::vector<std::string> names;
    std::vector<std::string> bases;
    int selection = -1;
};

// Reads "Language" of [Info] from each "*.ini" file of 'fileNames' (names
// inside 'languageFolder', which ends in a backslash), in name order.
// Files without the value are not offered. The file whose base name is
// 'current' (letter case counts) is selected, else the first one.
LanguageChoices LoadLanguageChoices(System& sys, const std::string& languageFolder,
                                    std::vector<std::string> fileNames,
                                    const std::string& current);

// The cut words as the boxes show them (the stored form).
std::vector<std::string> CutWordBoxTexts(const AppSettings& settings);
// The defaults of the restore button: CutWordDef0 to CutWordDefN of
// [MainSettings], unchanged.
std::vector<std::string> DefaultCutWordTexts(classIniFile& mainIni, int32_t cutWordNum);

// True when the product does not cut (the last cut type's piece size is
// 0): the dialog then hides the joint characters.
bool IsShortForm(const AppSettings& settings);

// What the dialog's boxes hold when OK is pressed.
struct SettingsEdits {
    std::string jointText;
    std::vector<std::string> cutWordTexts;
    int languageIndex = -1;  // selected item of the language list
};

// The steps of OK that reach beyond the settings record.
class SettingsActions {
public:
    virtual ~SettingsActions() = default;
    // Loads language file 'base'; false when it cannot be used.
    virtual bool LoadLanguage(const std::string& base) = 0;
    // Puts the new language's texts on the main window.
    virtual void RelabelMainWindow() = 0;
    virtual void SaveSettings() = 0;
    virtual void CloseDialog() = 0;
};

// OK: applies the joint characters (a number, negative raised to 0; no
// number or one beyond 32 bits leaves the setting), the cut words
// (decoded) and a changed language (loaded and shown on the main window;
// kept as it was when it cannot be loaded or nothing is selected), then
// saves and closes.
void ConfirmSettings(const SettingsEdits& edits, const std::vector<std::string>& bases,
                     AppSettings& settings, SettingsActions& actions);
