// A system whose ANSI code page is chosen by the test; everything else goes
// to the platform's system.
#pragma once

#include <string>
#include <string_view>

#include "convert/text/TextEncoder.h"
#include "sys/System.h"

class CodePageSystem : public System {
public:
    explicit CodePageSystem(int ansiCodePage) : ansi_(ansiCodePage) {}

    bool ReadFile(const std::string& path, std::string& bytes) override {
        return real_.ReadFile(path, bytes);
    }
    bool WriteFile(const std::string& path, std::string_view bytes) override {
        return real_.WriteFile(path, bytes);
    }
    bool FileExists(const std::string& path) override { return real_.FileExists(path); }
    bool FolderExists(const std::string& path) override { return real_.FolderExists(path); }
    std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
        return real_.OpenForReading(path);
    }
    std::unique_ptr<FileWriter> CreateForWriting(const std::string& path) override {
        return real_.CreateForWriting(path);
    }
    bool FileSize(const std::string& path, int64_t& size) override {
        return real_.FileSize(path, size);
    }
    bool CreateFolder(const std::string& path) override { return real_.CreateFolder(path); }
    bool RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }
    std::string SystemTempFolder() override { return real_.SystemTempFolder(); }
    std::string FullPath(const std::string& typed) override { return real_.FullPath(typed); }
    uint32_t TickCount() override { return real_.TickCount(); }
    CalendarDate Today() override { return real_.Today(); }
    std::string ProgramFolder() override { return real_.ProgramFolder(); }
    std::string GetEnv(const std::string& name) override { return real_.GetEnv(name); }
    int AnsiCodePage() override { return ansi_; }
    std::string ToUtf16Le(std::string_view text, int codePage) override {
        return real_.ToUtf16Le(text, Resolve(codePage));
    }
    std::string FromUtf16Le(std::string_view utf16le, int codePage) override {
        return real_.FromUtf16Le(utf16le, Resolve(codePage));
    }

    bool HasCodePage(int codePage) override { return real_.HasCodePage(Resolve(codePage)); }
    bool IsLeadByte(int codePage, unsigned char byte) override {
        return real_.IsLeadByte(Resolve(codePage), byte);
    }

    // Text in UTF-8 as this system's ANSI code page holds it.
    std::string Ansi(std::string_view utf8) {
        return FromUtf16Le(ToUtf16Le(utf8, kUtf8CodePage), kAnsiCodePage);
    }
    // A reader's UTF-8 text as a run writes it in the ANSI code page.
    std::string Written(std::string_view utf8) {
        CharacterLoss loss;
        return EncodeText(*this, utf8, TextCoding::Utf8(), TextCoding::Ansi(), loss);
    }

private:
    int Resolve(int codePage) const { return codePage == kAnsiCodePage ? ansi_ : codePage; }

    System& real_ = PlatformSystem();
    int ansi_;
};
