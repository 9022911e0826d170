// Shared set-up of unfurl's core tests: a scripted host that answers
// message boxes and records list items, a system that adds an in-memory
// registry and a chosen temporary folder, and helpers that decode bytes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ListKeepingHost.h"
#include "SFXCrc.h"
#include "SFXDirectory.h"
#include "SFXInflate.h"
#include "SFXMemoryFile.h"
#include "SFXMessages.h"
#include "SFXVars.h"
#include "sys/MemoryRegistry.h"

class ScriptedHost : public ListKeepingHost {
public:
    struct Message {
        std::string text, caption;
        uint32_t style;
        bool owned;
    };
    std::deque<int> answers;   // button pressed per box; 1 (OK) when empty
    std::vector<Message> messages;
    std::function<void()> onMessage;   // runs while a box is shown

    int ShowMessage(const std::string& text, const std::string& caption, uint32_t style,
                    bool owned) override {
        messages.push_back({text, caption, style, owned});
        if (onMessage)
            onMessage();
        if (answers.empty())
            return 1;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    // The real program cleans up and ends on the spot, with every handle of
    // the calls under way still open; set to do the same clean-up here.
    bool cleanUpAtEnd = false;
    [[noreturn]] void EndProgram(int exitCode) override {
        if (cleanUpAtEnd)
            CloseAtProcessEnd();
        throw ProgramExit{exitCode};
    }

    // The list, progress and questions of an extraction run.
    struct PasswordAnswer {
        int answer;
        std::string password;
    };
    std::deque<int> overwriteAnswers;            // 2 (keep) when empty
    std::deque<PasswordAnswer> passwordAnswers;  // cancelled when empty
    std::vector<std::string> overwriteAsked, passwordAsked;
    std::vector<uint32_t> positions;
    uint32_t range = 0;
    int pumps = 0, beeps = 0;
    int cancelAtPump = -1;                       // sets CancelRequested at this pump
    long scrolledTo = -1;

    void ScrollItemIntoView(size_t item) override { scrolledTo = static_cast<long>(item); }
    void SetProgressRange(uint32_t maximum) override { range = maximum; }
    void SetProgressPosition(uint32_t position) override { positions.push_back(position); }
    void PumpOneMessage() override {
        if (++pumps == cancelAtPump)
            Vars.CancelRequested = true;
    }
    int AskOverwrite(const std::string& target) override {
        overwriteAsked.push_back(target);
        if (overwriteAnswers.empty())
            return 2;
        int answer = overwriteAnswers.front();
        overwriteAnswers.pop_front();
        return answer;
    }
    int AskPassword(const std::string& target) override {
        passwordAsked.push_back(target);
        PasswordAnswer a = passwordAnswers.empty() ? PasswordAnswer{2, ""} : passwordAnswers.front();
        if (!passwordAnswers.empty())
            passwordAnswers.pop_front();
        Vars.CurrentPassword = a.answer == 1 ? a.password : std::string();
        return a.answer;
    }
    void Beep() override { ++beeps; }
    // Names of the items still selected.
    std::vector<std::string> Selected() const {
        std::vector<std::string> names;
        for (const Item& item : items)
            if (item.selected)
                names.push_back(item.name);
        return names;
    }
};

// A temporary file that keeps its name in a list while it is open, so that
// removing it fails meanwhile, as it does on Windows.
class OpenTemporary : public SfxFile {
public:
    OpenTemporary(std::unique_ptr<SfxFile> file, std::string path,
                  std::shared_ptr<std::vector<std::string>> open)
        : file_(std::move(file)), path_(std::move(path)), open_(std::move(open)) {
        open_->push_back(path_);
    }
    ~OpenTemporary() override { Close(); }
    size_t Read(void* b, size_t n) override { return file_->Read(b, n); }
    size_t Write(const void* b, size_t n) override { return file_->Write(b, n); }
    bool Seek(uint64_t p) override { return file_->Seek(p); }
    uint64_t Position() override { return file_->Position(); }
    uint64_t Size() override { return file_->Size(); }
    bool Close() override {
        if (!closed_) {
            closed_ = true;
            open_->erase(std::find(open_->begin(), open_->end(), path_));
        }
        return file_->Close();
    }

private:
    std::unique_ptr<SfxFile> file_;
    std::string path_;
    std::shared_ptr<std::vector<std::string>> open_;
    bool closed_ = false;
};

class TestSystem : public SfxSystem {
public:
    MemoryRegistry registry;
    std::string temp;   // what "%temp%" expands to, when set

    std::unique_ptr<SfxFile> OpenRead(const std::string& p) override {
        opened.push_back(p);
        return Real().OpenRead(p);
    }
    std::unique_ptr<SfxFile> CreateWrite(const std::string& p) override {
        return Real().CreateWrite(p);
    }
    bool PathExists(const std::string& p) override { return Real().PathExists(p); }
    bool FolderExists(const std::string& p) override { return Real().FolderExists(p); }
    std::string ExpandEnvironment(const std::string& text) override {
        std::string t = text;
        if (!temp.empty())
            for (size_t at; (at = Find(t, "%temp%")) != std::string::npos;)
                t.replace(at, 6, temp);
        return Real().ExpandEnvironment(t);
    }
    std::string CurrentDirectory() override { return Real().CurrentDirectory(); }
    std::string FullPath(const std::string& p) override { return Real().FullPath(p); }
    bool QueryRegistryValue(RegistryRoot root, const std::string& key, const std::string& value,
                            std::string& data) override {
        return registry.Query(root, key, value, data);
    }
    std::string ToUtf8(const std::string& t, CodePage from) override {
        return Real().ToUtf8(t, from);
    }

    // --- Start-up, starting the command and the clean-up after it ---
    void SetEnvironmentValue(const std::string& n, const std::string& v) override {
        Real().SetEnvironmentValue(n, v);
    }
    uint32_t TickCount() override { return Real().TickCount(); }
    bool ChangeDirectory(const std::string& p) override { return Real().ChangeDirectory(p); }
    std::string ShortPath(const std::string& p) override { return Real().ShortPath(p); }
    int ShellOpen(const std::string& f, const std::string& p, const std::string& d) override {
        return Real().ShellOpen(f, p, d);
    }
    int StartCommandLine(const std::string& c) override { return Real().StartCommandLine(c); }
    bool IsNtPlatform() override { return Real().IsNtPlatform(); }
    std::string SystemProgramFolder() override { return Real().SystemProgramFolder(); }
    bool WriteRegistryText(RegistryRoot r, const std::string& k, const std::string& v,
                           const std::string& t) override {
        return Real().WriteRegistryText(r, k, v, t);
    }
    // --- end of start-up and command block ---

    // Extraction and volumes: real files; the drive type and the labels
    // are scripted when set.
    unsigned driveType = 0;           // 0: the real one
    std::deque<std::string> labels;   // one per query; the last one stays
    std::vector<std::string> driveQueries, opened, created;
    bool folderCreationFails = false;   // as in a folder that cannot be written
    FolderCreation CreateFolder(const std::string& p) override {
        created.push_back(p);
        return folderCreationFails ? FolderCreation::Failed : Real().CreateFolder(p);
    }
    std::shared_ptr<std::vector<std::string>> openTemporaries =
        std::make_shared<std::vector<std::string>>();
    bool RemoveFile(const std::string& p) override {
        for (const std::string& open : *openTemporaries)
            if (open == p)
                return false;
        return Real().RemoveFile(p);
    }
    bool RemoveEmptyFolder(const std::string& p) override { return Real().RemoveEmptyFolder(p); }
    std::unique_ptr<SfxFile> CreateTemporary(const std::string& p) override {
        std::unique_ptr<SfxFile> file = Real().CreateTemporary(p);
        if (!file)
            return nullptr;
        return std::make_unique<OpenTemporary>(std::move(file), p, openTemporaries);
    }
    std::string TempFileName(const std::string& folder, const std::string& prefix) override {
        return Real().TempFileName(folder, prefix);
    }
    unsigned DriveType(const std::string& root) override {
        driveQueries.push_back(root);
        return driveType ? driveType : Real().DriveType(root);
    }
    bool VolumeLabel(const std::string& root, std::string& label) override {
        driveQueries.push_back(root);
        if (labels.empty())
            return Real().VolumeLabel(root, label);
        label = labels.front();
        if (labels.size() > 1)
            labels.pop_front();
        return true;
    }

protected:
    static SfxSystem& Real() { return PlatformSfxSystem(); }

private:
    static size_t Find(const std::string& text, const std::string& lower) {
        for (size_t i = 0; i + lower.size() <= text.size(); ++i) {
            bool same = true;
            for (size_t k = 0; k < lower.size() && same; ++k)
                same = std::tolower(static_cast<unsigned char>(text[i + k])) == lower[k];
            if (same)
                return i;
        }
        return std::string::npos;
    }
};

class UnfurlTest : public testing::Test {
protected:
    ScriptedHost host;
    TestSystem system;

    void SetUp() override {
        ResetVars(system, host);
        BuildCrcTable();
        BuildFixedTables();
    }

    void OpenArchive(const std::string& bytes, const std::string& path = "C:\\dl\\archive.exe") {
        Vars.ArchivePath = path;
        Vars.ArchiveFile = std::make_unique<MemoryFile>(bytes);
    }

    // The stored bytes of a listed entry, found through its local header.
    static std::string EntryData(size_t index) {
        const EntryRecord& e = Vars.EntryTable.at(index);
        LocateEntryData(e, e.LocalHeaderOffset() + static_cast<int64_t>(Vars.OffsetDelta));
        std::string data(e.CompressedSize(), '\0');
        ReadExact(data.data(), data.size());
        return data;
    }

    // The exit code the call ended the program with, or -1 when it returned.
    static int ExitCodeOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const ProgramExit& exit) {
            return exit.exitCode;
        }
        return -1;
    }
};

struct Decoded {
    std::string bytes;
    InflateResult result;
    uint32_t crc;
};

// What a decoding case changes from an entry that fits its output.
struct DecodeLimits {
    uint64_t room = UINT64_MAX;     // the size the entry declares
    size_t writable = SIZE_MAX;     // bytes the output takes before writes come up short
    int64_t missing = 0;            // compressed bytes claimed beyond those given
};

// Runs InflateEntry (or CopyStoredEntry) over the bytes.
inline Decoded DecodeBytes(const std::string& compressed, bool stored = false,
                           const DecodeLimits& limits = {}) {
    MemoryFile input(compressed), output;
    output.LimitWrites(limits.writable);
    Decoder = DecoderState();
    Decoder.input = &input;
    Decoder.output = &output;
    Decoder.remaining = static_cast<int64_t>(compressed.size()) + limits.missing;
    Decoder.room = limits.room;
    InflateResult result = stored ? CopyStoredEntry() : InflateEntry();
    return {output.Bytes(), result, ~Decoder.crc};
}

// gtest shows a result by its place in the table of SFXInflate.h.
inline void PrintTo(InflateResult result, std::ostream* out) {
    *out << "InflateResult " << static_cast<int>(result);
}

inline uint32_t CrcOf(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    UpdateCrc(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), crc);
    return ~crc;
}
