// A system for the fuzz targets that touches nothing: no files exist, the
// environment is fixed and names pass through unchanged.
#pragma once

#include "ListKeepingHost.h"
#include "SFXCrc.h"
#include "SFXInflate.h"
#include "SFXMemoryFile.h"
#include "SFXVars.h"

class FuzzSystem : public SfxSystem {
public:
    std::unique_ptr<SfxFile> OpenRead(const std::string&) override { return nullptr; }
    std::unique_ptr<SfxFile> CreateWrite(const std::string&) override { return nullptr; }
    bool PathExists(const std::string&) override { return false; }
    bool FolderExists(const std::string&) override { return false; }
    std::string ExpandEnvironment(const std::string& text) override { return text; }
    std::string CurrentDirectory() override { return "C:\\Work"; }
    std::string FullPath(const std::string& path) override { return "C:\\" + path; }
    bool QueryRegistryValue(RegistryRoot, const std::string&, const std::string&,
                            std::string& data) override {
        data = "D:\\Apps;E:\\Other";
        return true;
    }
    std::string ToUtf8(const std::string& text, CodePage) override { return text; }

    // --- Start-up, starting the command and the clean-up after it ---
    void SetEnvironmentValue(const std::string&, const std::string&) override {}
    uint32_t TickCount() override { return 0; }
    bool ChangeDirectory(const std::string&) override { return false; }
    std::string ShortPath(const std::string&) override { return std::string(); }
    int ShellOpen(const std::string&, const std::string&, const std::string&) override { return 2; }
    int StartCommandLine(const std::string&) override { return 2; }
    bool IsNtPlatform() override { return true; }
    std::string SystemProgramFolder() override { return "C:\\Windows\\system32"; }
    bool WriteRegistryText(RegistryRoot, const std::string&, const std::string&,
                           const std::string&) override {
        return false;
    }
    // --- end of start-up and command block ---
};

class FuzzHost : public ListKeepingHost {
public:
    int ShowMessage(const std::string&, const std::string&, uint32_t, bool) override { return 1; }
    [[noreturn]] void EndProgram(int exitCode) override { throw ProgramExit{exitCode}; }
};

// Fresh process-wide state for one input; the tables are built only once.
inline void ResetForInput() {
    static FuzzSystem system;
    static FuzzHost host;
    static const bool tablesBuilt = [] {
        BuildCrcTable();
        BuildFixedTables();
        return true;
    }();
    (void)tablesBuilt;
    ResetVars(system, host);
}

// What unfurl's decoder makes of one raw deflate stream.
struct UnfurlInflated {
    bool ok;
    std::string bytes;
};

inline UnfurlInflated UnfurlInflate(const std::string& stream) {
    MemoryFile input(stream), output;
    Decoder = DecoderState();
    Decoder.input = &input;
    Decoder.output = &output;
    Decoder.remaining = static_cast<int64_t>(stream.size());
    bool ok = InflateEntry() == InflateResult::Ok;
    return {ok, output.Bytes()};
}
