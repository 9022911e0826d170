// classIniFile: the one way foliant reads and writes INI files (main.ini and
// the language files). Every call reads the file afresh; nothing is cached.
#pragma once

#include <functional>
#include <string>

#include "sys/System.h"

class IniText;

class classIniFile {
public:
    explicit classIniFile(System& sys) : sys_(sys) {}
    System& FileSystem() const { return sys_; }

    // Writes one key, creating the file, section or key as needed. A failed
    // write is not reported: the value is simply not kept.
    void WriteIniKey(const std::string& strSection, const std::string& strKey,
                     const std::string& strValue);

    // One key's value, at most 1023 bytes, without surrounding blanks. A
    // missing file, section or key reads as the empty text.
    std::string GetIniKey(const std::string& strSection, const std::string& strKey);

    void INIFileName(const std::string& New_IniPath) { path_ = New_IniPath; }
    const std::string& INIFileName() const { return path_; }

    void DelIniKey(const std::string& SectionName, const std::string& KeyWord);
    void DelIniSec(const std::string& SectionName);

private:
    // Reads the file, applies one change and writes it back if it differs.
    void Edit(bool createFile, const std::function<void(IniText&)>& change);

    System& sys_;
    std::string path_;
};
