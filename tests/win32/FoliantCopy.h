// A fresh copy of foliant's package in a temporary folder, with main.ini
// edited for the test, and the helpers the end-to-end suites share.
#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "support/TempFolder.h"
#include "win32/Robot.h"

namespace foliant_e2e {

// build/win32/screenshots/, with a trailing backslash.
std::string ScreenshotFolder();
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// A path as UTF-8, whatever the ANSI code page holds.
std::string Utf8Of(const std::filesystem::path& path);
// The names of the files in 'folder', in UTF-8; none when it is missing.
std::set<std::string> FileNamesIn(const std::filesystem::path& folder);

// Replaces the first 'from' in 'text' by 'to'; the text must hold it.
std::string Replace(std::string text, const std::string& from, const std::string& to);

// foliant.exe, language/ and images/ copied into 'dir', and main.ini as
// 'editIni' makes it from the package's own.
void CopyPackage(const TempFolder& dir,
                 const std::function<std::string(const std::string&)>& editIni);

// The first visible top-level window of the program with this class.
HWND WaitForClass(const robot::Process& program, const char* cls);

}  // namespace foliant_e2e
