// A view of the system for loading settings: reads of main.ini in the
// folder the loader is given come from the file the user named, and
// nothing is ever written.
#pragma once

#include <string>

#include "sys/System.h"

class SettingsFileSystem final : public System {
public:
    // Reads of 'seenPath' go to 'realPath'.
    SettingsFileSystem(System& real, std::string seenPath, std::string realPath)
        : real_(real), seen_(std::move(seenPath)), actual_(std::move(realPath)) {}

    bool ReadFile(const std::string& p, std::string& b) override {
        return real_.ReadFile(Map(p), b);
    }
    bool WriteFile(const std::string&, std::string_view) override { return false; }
    bool FileExists(const std::string& p) override { return real_.FileExists(Map(p)); }
    bool FolderExists(const std::string& p) override { return real_.FolderExists(p); }
    std::unique_ptr<FileReader> OpenForReading(const std::string& p) override {
        return real_.OpenForReading(Map(p));
    }
    std::unique_ptr<FileWriter> CreateForWriting(const std::string&) override { return nullptr; }
    bool FileSize(const std::string& p, int64_t& s) override { return real_.FileSize(Map(p), s); }
    bool CreateFolder(const std::string&) override { return false; }
    bool RemoveFile(const std::string&) override { return false; }
    std::string SystemTempFolder() override { return real_.SystemTempFolder(); }
    std::string FullPath(const std::string& t) override { return real_.FullPath(t); }
    uint32_t TickCount() override { return real_.TickCount(); }
    CalendarDate Today() override { return real_.Today(); }
    std::string ProgramFolder() override { return real_.ProgramFolder(); }
    std::string GetEnv(const std::string& n) override { return real_.GetEnv(n); }
    int AnsiCodePage() override { return real_.AnsiCodePage(); }
    std::string ToUtf16Le(std::string_view t, int cp) override { return real_.ToUtf16Le(t, cp); }
    std::string FromUtf16Le(std::string_view t, int cp) override {
        return real_.FromUtf16Le(t, cp);
    }
    bool IsLeadByte(int cp, unsigned char b) override { return real_.IsLeadByte(cp, b); }
    std::string DisplayPath(const std::string& p) override { return real_.DisplayPath(p); }
    std::string TerminalText(const std::string& t) override { return real_.TerminalText(t); }

private:
    const std::string& Map(const std::string& p) const { return p == seen_ ? actual_ : p; }

    System& real_;
    std::string seen_;
    std::string actual_;
};
