// classIniFile over IniText, with the read limit and trimming of the
// platform's GetPrivateProfileStringA into a 1024-byte buffer.
#include "settings/classIniFile.h"

#include "settings/IniText.h"

namespace {

constexpr size_t kReadBufferSize = 1024;  // the value and its terminating NUL

}  // namespace

std::string classIniFile::GetIniKey(const std::string& strSection, const std::string& strKey) {
    std::string bytes;
    if (!sys_.ReadFile(path_, bytes))
        return std::string();
    std::string value = IniText::Parse(sys_, bytes).Find(strSection, strKey).value_or("");
    if (value.size() > kReadBufferSize - 1)
        value.resize(kReadBufferSize - 1);
    size_t first = value.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    size_t last = value.find_last_not_of(' ');
    return value.substr(first, last - first + 1);
}

void classIniFile::WriteIniKey(const std::string& strSection, const std::string& strKey,
                               const std::string& strValue) {
    Edit(true, [&](IniText& ini) { ini.Set(sys_, strSection, strKey, strValue); });
}

void classIniFile::DelIniKey(const std::string& SectionName, const std::string& KeyWord) {
    Edit(false, [&](IniText& ini) { ini.DeleteKey(SectionName, KeyWord); });
}

void classIniFile::DelIniSec(const std::string& SectionName) {
    Edit(false, [&](IniText& ini) { ini.DeleteSection(SectionName); });
}

void classIniFile::Edit(bool createFile, const std::function<void(IniText&)>& change) {
    std::string bytes;
    if (!sys_.ReadFile(path_, bytes) && !createFile)
        return;
    IniText ini = IniText::Parse(sys_, bytes);
    change(ini);
    std::string updated = ini.Serialize();
    if (updated != bytes)
        sys_.WriteFile(path_, updated);
}
