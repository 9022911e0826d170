// The shared settings record of foliant and its load and save from main.ini.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/classIniFile.h"

// One entry of the cut-type table.
struct CutType {
    int32_t SingleFileSize = 0;  // piece size in bytes; 0 means do not cut
    int32_t InOutFileSize = 0;   // look-back window for cut words, in bytes
};

// Everything loaded from main.ini, fields named after their keys.
struct AppSettings {
    int32_t CutTypeNum = 0;            // highest index of CutTypes
    std::vector<CutType> CutTypes;
    std::string Filter;                // open-files dialog filter
    int32_t CutWordNum = 0;            // highest index of CutWords
    std::vector<std::string> CutWords; // decoded
    std::string MyLagIndex;            // base name of the language file
    int32_t OpenFilesFilterIndex = 0;
    int32_t CutTypeIndex = 0;          // the entry of CutTypes used for cutting
    std::string BookName;              // UTF-8, as are the two folders
    int32_t KeepFileSize = 0;          // joint bytes repeated after each cut
    std::string InPutDir;
    std::string OutPutDir;
    std::string OutputCodePage;        // the pieces' coding, as the file names it
    std::string InputCodePage;         // of text that does not say its own
};

// Why start-up cannot go on, in UTF-8; empty when it can.
struct StartupProblem {
    std::string message;
    explicit operator bool() const { return !message.empty(); }
};

inline const char kMainSettings[] = "MainSettings";
inline const char kUserSettings[] = "UserSettings";

// The path of main.ini in a program folder.
std::string MainIniPath(const std::string& programFolder);

// Binds 'mainIni' to main.ini in 'programFolder' and fills 'settings'. The
// integer keys must be present and numeric, and CutTypeNum and CutWordNum
// 0 or more; otherwise the result names the file and the key.
StartupProblem LoadSettings(System& sys, const std::string& programFolder, classIniFile& mainIni,
                            AppSettings& settings);

// Writes the UserSettings keys; MainSettings is never touched. Keys that
// already hold their value are left as they are.
void SaveUserSettings(classIniFile& mainIni, const AppSettings& settings);

// The book name and the folders are stored in the ANSI code page, as they
// always were, when it holds them; otherwise as "utf-8:" and the name's
// UTF-8 bytes. Both give and take UTF-8.
std::string StoredName(System& sys, const std::string& name);
std::string LoadedName(System& sys, const std::string& stored);

std::string DecodeCutWord(const std::string& stored);
std::string EncodeCutWord(const std::string& word);

// Parses a decimal 32-bit signed integer with optional sign and blanks.
bool ParseInteger(const std::string& text, int32_t& value);
