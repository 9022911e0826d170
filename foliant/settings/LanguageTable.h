// The language table: every localized text of foliant, loaded from one
// language file of the language folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/Mod_DIM.h"

inline const char kVersionText[] = "1.60";

// Texts the program needs: strings 1 to 32.
constexpr int32_t kLowestMaxLngNum = 32;

struct LanguageTable {
    std::vector<std::string> LangStrings;  // indexes 0 to MaxLngNum
    int32_t MaxLngNum = -1;
    std::string SoftName;
    std::string HomePage;
    std::string Version;

    // String i, or the empty text when the table has no such string.
    const std::string& Text(int32_t i) const;
};

// The path of a language file in a program folder.
std::string LanguageFilePath(const std::string& programFolder, const std::string& baseName);

// Loads language file 'baseName' into 'table'. A file that is missing, or
// whose "MaxLngNum" is missing, not numeric or below 32, is refused and
// 'table' stays as it was.
StartupProblem ReadLanguageFile(System& sys, const std::string& programFolder,
                                const std::string& baseName, LanguageTable& table);

// "@n" (exact case) becomes CR LF.
std::string ExpandLineBreaks(const std::string& text);

// The key of string i: five digits with leading zeros.
std::string StringKey(int32_t i);
