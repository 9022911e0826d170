// Parsing of the open-file dialog's multi-select result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SelectedFileInfo {
    int16_t Count = 0;
    std::string Path;                // the folder, always ending in a backslash
    std::vector<std::string> Files;  // names without folder; Files[0] is file 1
};

// 'currentDir' is the folder the dialog has just made current; 'result' is
// the dialog's file-name buffer up to its double NUL: either one full path,
// or the folder followed by NUL-separated names.
SelectedFileInfo GetDlgSelectFileInfo(const std::string& currentDir, const std::string& result);

// The input folder to remember after a choice: the folder when several
// files were chosen, the file's full path when one was.
std::string RememberedInputFolder(const std::string& result);
