// A system for the fuzz targets whose files live in memory; code pages go
// to the platform's system.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "sys/System.h"

class MemorySystem : public System {
public:
    std::map<std::string, std::string> files;

    bool ReadFile(const std::string& path, std::string& bytes) override {
        auto it = files.find(path);
        if (it == files.end())
            return false;
        bytes = it->second;
        return true;
    }
    bool WriteFile(const std::string& path, std::string_view bytes) override {
        files[path] = std::string(bytes);
        return true;
    }
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    bool FolderExists(const std::string&) override { return true; }
    std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end())
            return nullptr;
        return std::make_unique<Reader>(it->second);
    }
    std::unique_ptr<FileWriter> CreateForWriting(const std::string& path) override {
        files[path].clear();
        return std::make_unique<Writer>(files[path]);
    }
    bool FileSize(const std::string& path, int64_t& size) override {
        auto it = files.find(path);
        if (it == files.end())
            return false;
        size = static_cast<int64_t>(it->second.size());
        return true;
    }
    bool CreateFolder(const std::string&) override { return true; }
    bool RemoveFile(const std::string& path) override { return files.erase(path) != 0; }
    std::string SystemTempFolder() override { return "C:\\Temp\\"; }
    std::string FullPath(const std::string& typed) override { return typed; }
    uint32_t TickCount() override { return 0; }
    CalendarDate Today() override { return {2000, 1, 1}; }
    std::string ProgramFolder() override { return "C:\\Program"; }
    std::string GetEnv(const std::string&) override { return std::string(); }
    int AnsiCodePage() override { return real_.AnsiCodePage(); }
    bool IsLeadByte(int codePage, unsigned char byte) override {
        return real_.IsLeadByte(codePage, byte);
    }
    std::string ToUtf16Le(std::string_view text, int codePage) override {
        return real_.ToUtf16Le(text, codePage);
    }
    std::string FromUtf16Le(std::string_view utf16le, int codePage) override {
        return real_.FromUtf16Le(utf16le, codePage);
    }

private:
    class Reader : public FileReader {
    public:
        explicit Reader(const std::string& bytes) : bytes_(bytes) {}
        bool Read(char* buffer, size_t capacity, size_t& got) override {
            got = std::min(capacity, bytes_.size() - at_);
            std::memcpy(buffer, bytes_.data() + at_, got);
            at_ += got;
            return true;
        }

    private:
        std::string bytes_;
        size_t at_ = 0;
    };
    class Writer : public FileWriter {
    public:
        explicit Writer(std::string& bytes) : bytes_(bytes) {}
        bool Write(std::string_view bytes) override {
            bytes_.append(bytes);
            return true;
        }
        bool Close() override { return true; }

    private:
        std::string& bytes_;
    };

    System& real_ = PlatformSystem();
};
