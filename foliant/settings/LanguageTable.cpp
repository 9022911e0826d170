// ReadLanguageFile and its helpers.
#include "settings/LanguageTable.h"

namespace {

// Larger tables than this are refused: each string is one key read.
constexpr int32_t kHighestMaxLngNum = 9999;

}  // namespace

const std::string& LanguageTable::Text(int32_t i) const {
    static const std::string empty;
    if (i < 0 || static_cast<size_t>(i) >= LangStrings.size())
        return empty;
    return LangStrings[static_cast<size_t>(i)];
}

std::string LanguageFilePath(const std::string& programFolder, const std::string& baseName) {
    return programFolder + "\\language\\" + baseName + ".ini";
}

std::string ExpandLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '@' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string StringKey(int32_t i) {
    std::string key = "0000" + std::to_string(i);
    return key.substr(key.size() - 5);
}

StartupProblem ReadLanguageFile(System& sys, const std::string& programFolder,
                                const std::string& baseName, LanguageTable& table) {
    classIniFile ini(sys);
    ini.INIFileName(LanguageFilePath(programFolder, baseName));
    if (!sys.FileExists(ini.INIFileName()))
        return {"The language file \"" + ini.INIFileName() + "\" is missing."};

    LanguageTable loaded;
    loaded.SoftName = ini.GetIniKey("Info", "SoftName");
    loaded.Version = kVersionText;
    loaded.HomePage = ini.GetIniKey("Info", "HomePage");
    if (!ParseInteger(ini.GetIniKey("Info", "MaxLngNum"), loaded.MaxLngNum) ||
        loaded.MaxLngNum < kLowestMaxLngNum || loaded.MaxLngNum > kHighestMaxLngNum)
        return {"The key \"MaxLngNum\" in section [Info] of \"" + ini.INIFileName() +
                "\" must be a number from " + std::to_string(kLowestMaxLngNum) + " to " +
                std::to_string(kHighestMaxLngNum) + "."};
    loaded.LangStrings.resize(static_cast<size_t>(loaded.MaxLngNum) + 1);
    for (int32_t i = 0; i <= loaded.MaxLngNum; ++i)
        loaded.LangStrings[static_cast<size_t>(i)] =
            ExpandLineBreaks(ini.GetIniKey("Strings", StringKey(i)));
    table = std::move(loaded);
    return {};
}
