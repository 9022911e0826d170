// GetDlgSelectFileInfo: one full path, or a folder and NUL-separated names.
#include "ui/ModDlgSelectFileInfo.h"

SelectedFileInfo GetDlgSelectFileInfo(const std::string& currentDir, const std::string& result) {
    SelectedFileInfo info;
    std::string tail = result.size() > currentDir.size() ? result.substr(currentDir.size()) : "";
    if (!tail.empty() && tail[0] != '\0') {
        if (tail[0] == '\\')
            tail.erase(0, 1);
        info.Files.push_back(tail);
    } else {
        for (char c : tail) {
            if (c == '\0')
                info.Files.emplace_back();
            else
                info.Files.back() += c;
        }
        // A trailing NUL would open an empty name; the names end at it.
        while (!info.Files.empty() && info.Files.back().empty())
            info.Files.pop_back();
    }
    info.Count = static_cast<int16_t>(info.Files.size());
    info.Path = currentDir;
    if (info.Path.empty() || info.Path.back() != '\\')
        info.Path += '\\';
    return info;
}

std::string RememberedInputFolder(const std::string& result) {
    return result.substr(0, result.find('\0'));
}
