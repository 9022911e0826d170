// Key filters, language list and confirmation of the settings dialog.
#include "ui/SettingsEdits.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kBackspace = 8;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) {
                                            return static_cast<unsigned char>(Lower(x)) <
                                                   static_cast<unsigned char>(Lower(y));
                                        });
}

bool EndsWithIni(const std::string& name) {
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        c = Lower(c);
    return tail == ".ini";
}

}  // namespace

bool JointKeyAllowed(int charCode) {
    return (charCode >= '0' && charCode <= '9') || charCode == kBackspace;
}

bool ParseNumber(const std::string& text, double& value) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return false;
    size_t end = text.find_last_not_of(' ') + 1;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    double v = 0;
    int digits = 0;
    for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
        v = v * 10 + (text[i] - '0');
    if (i < end && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < end && text[i] >= '0' && text[i] <= '9'; ++i, ++digits, scale /= 10)
            v += (text[i] - '0') * scale;
    }
    if (i != end || digits == 0)
        return false;
    value = negative ? -v : v;
    return true;
}

std::string JointTextOnKeyRelease(const std::string& text) {
    double value = 0;
    if (!ParseNumber(text, value))
        return kJointWhenNotANumber;
    if (value > kMostJointCharacters)
        return std::to_string(kMostJointCharacters);
    return text;
}

LanguageChoices LoadLanguageChoices(System& sys, const std::string& languageFolder,
                                    std::vector<std::string> fileNames,
                                    const std::string& current) {
    std::sort(fileNames.begin(), fileNames.end(), LessIgnoringCase);
    LanguageChoices choices;
    for (const std::string& file : fileNames) {
        if (!EndsWithIni(file))
            continue;
        classIniFile ini(sys);
        ini.INIFileName(languageFolder + file);
        std::string name = ini.GetIniKey("Info", "Language");
        if (name.empty())
            continue;
        choices.names.push_back(name);
        choices.bases.push_back(file.substr(0, file.size() - 4));
        if (choices.bases.back() == current)
            choices.selection = static_cast<int>(choices.names.size()) - 1;
    }
    if (choices.selection < 0 && !choices.names.empty())
        choices.selection = 0;
    return choices;
}

std::vector<std::string> CutWordBoxTexts(const AppSettings& settings) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i <= settings.CutWordNum; ++i) {
        size_t index = static_cast<size_t>(i);
        texts.push_back(EncodeCutWord(index < settings.CutWords.size() ? settings.CutWords[index]
                                                                       : std::string()));
    }
    return texts;
}

std::vector<std::string> DefaultCutWordTexts(classIniFile& mainIni, int32_t cutWordNum) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i <= cutWordNum; ++i)
        texts.push_back(mainIni.GetIniKey(kMainSettings, "CutWordDef" + std::to_string(i)));
    return texts;
}

bool IsShortForm(const AppSettings& settings) {
    size_t last = static_cast<size_t>(settings.CutTypeNum);
    return settings.CutTypeNum >= 0 && last < settings.CutTypes.size() &&
           settings.CutTypes[last].SingleFileSize == 0;
}

void ConfirmSettings(const SettingsEdits& edits, const std::vector<std::string>& bases,
                     AppSettings& settings, SettingsActions& actions) {
    double joint = 0;
    if (ParseNumber(edits.jointText, joint) &&
        joint < double(std::numeric_limits<int32_t>::max()) + 1)
        settings.KeepFileSize = joint < 0 ? 0 : static_cast<int32_t>(std::trunc(joint));

    for (size_t i = 0; i < edits.cutWordTexts.size() && i < settings.CutWords.size(); ++i)
        settings.CutWords[i] = DecodeCutWord(edits.cutWordTexts[i]);

    if (edits.languageIndex >= 0 && static_cast<size_t>(edits.languageIndex) < bases.size()) {
        const std::string& base = bases[static_cast<size_t>(edits.languageIndex)];
        if (base != settings.MyLagIndex && actions.LoadLanguage(base)) {
            settings.MyLagIndex = base;
            actions.RelabelMainWindow();
        }
    }
    actions.SaveSettings();
    actions.CloseDialog();
}
