// The system seam of foliant: everything the core needs from the operating
// system. Paths are Windows paths ("C:\Out\Book\") and all text is bytes in
// the ANSI code page; each implementation maps both at its own boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Code-page numbers as Windows names them; 0 and 1 stand for the system's
// own ANSI and OEM code pages.
constexpr int kAnsiCodePage = 0;
constexpr int kOemCodePage = 1;
constexpr int kUtf8CodePage = 65001;

class System {
public:
    virtual ~System() = default;

    // Whole-file access. WriteFile creates or replaces the file.
    virtual bool ReadFile(const std::string& path, std::string& bytes) = 0;
    virtual bool WriteFile(const std::string& path, std::string_view bytes) = 0;

    virtual bool FileExists(const std::string& path) = 0;    // an ordinary file
    virtual bool FolderExists(const std::string& path) = 0;

    // Folder of the running program, without a trailing backslash.
    virtual std::string ProgramFolder() = 0;
    // Empty when the variable is unset.
    virtual std::string GetEnv(const std::string& name) = 0;

    // The number of the code page that kAnsiCodePage stands for.
    virtual int AnsiCodePage() = 0;
    // Text in a code page to UTF-16LE bytes, and back. Characters the target
    // code page cannot hold become '?'; undecodable bytes become U+FFFD.
    virtual std::string ToUtf16Le(std::string_view text, int codePage) = 0;
    virtual std::string FromUtf16Le(std::string_view utf16le, int codePage) = 0;
};

// The implementation for the platform this build runs on.
System& PlatformSystem();
