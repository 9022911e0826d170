// Paths in the Windows form, through the system seam where the file system
// is asked, and the text checks made on entry names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string IncludeTrailingBackslash(const std::string& path);
std::string ExcludeTrailingBackslashes(const std::string& path);
std::string DirectoryPart(const std::string& path);
std::string FileNamePart(const std::string& path);
bool PathExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ExpandEnv(const std::string& text);
std::string FullPath(const std::string& path);
// A number in decimal, with leading zeros up to 'digits' digits.
std::string DecimalText(uint32_t value, size_t digits = 1);
// ASCII letters compared without case.
bool EqualsIgnoringCase(const std::string& a, const std::string& b);

// Text is UTF-8. Well-formed: shortest forms, no surrogates, nothing past
// U+10FFFF, no sequence cut short.
bool IsValidUtf8(const std::string& text);
// The text with every byte that is not part of a well-formed sequence
// replaced by "?", a character no entry name may hold.
std::string MarkInvalidUtf8(const std::string& text);
