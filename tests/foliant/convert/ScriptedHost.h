// Test doubles of the run's surroundings: a host that answers from a
// script and records what the run showed, a sink that keeps the cutter's
// pieces, and a system that forwards to the real one but lets a test set
// TEMP.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "convert/RunHost.h"
#include "convert/TextCutter.h"
#include "sys/System.h"

class ScriptedHost : public RunHost {
public:
    std::string bookName = "Book";
    std::vector<std::string> files;
    std::string folder;                 // what the folder dialog returns
    std::vector<bool> answers;          // to the questions, in order
    std::function<void()> onPump;       // runs at every pump

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> statuses;
    std::vector<int> overall;
    std::vector<int> perFile;
    std::vector<std::string> skipped;
    std::vector<SkipReason> reasons;
    std::vector<std::string> details;
    std::vector<int> cutProgress;
    std::vector<std::string> foldersNotMade;
    std::vector<std::string> notWritten;
    std::string folderTitle;
    int focusCount = 0;
    int pumps = 0;
    bool busy = false;

    std::string BookNameText() override { return bookName; }
    std::vector<std::string> ImportList() override { return files; }
    std::string ChooseOutputFolder(const std::string& title) override {
        folderTitle = title;
        return folder;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        size_t i = questions.size() - 1;
        return i < answers.size() ? answers[i] : true;
    }
    void FocusBookName() override { ++focusCount; }
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void SetOverallProgress(int percent) override { overall.push_back(percent); }
    void SetFileProgress(int percent) override { perFile.push_back(percent); }
    void SetBusy(bool b) override { busy = b; }
    void PumpMessages() override {
        ++pumps;
        if (onPump)
            onPump();
    }
    void InputSkipped(const std::string& path, SkipReason why, const std::string& detail) override {
        skipped.push_back(path);
        reasons.push_back(why);
        details.push_back(detail);
    }
    void CutProgress(int percent) override { cutProgress.push_back(percent); }
    void RunFolderNotMade(const std::string& f) override { foldersNotMade.push_back(f); }
    void PieceNotWritten(const std::string& path) override { notWritten.push_back(path); }
};

// Keeps every piece it is given.
class RecordingSink : public PieceSink {
public:
    std::vector<std::string> pieces;
    bool BeginPiece() override {
        pieces.emplace_back();
        return true;
    }
    bool AppendPiece(std::string_view bytes) override {
        pieces.back().append(bytes);
        return true;
    }
    bool EndPiece() override { return true; }
};

// The platform's system with chosen environment variables.
class EnvironmentSystem : public System {
public:
    explicit EnvironmentSystem(System& real) : real_(real) {}
    std::map<std::string, std::string> env;

    bool ReadFile(const std::string& p, std::string& b) override { return real_.ReadFile(p, b); }
    bool WriteFile(const std::string& p, std::string_view b) override {
        return real_.WriteFile(p, b);
    }
    bool FileExists(const std::string& p) override { return real_.FileExists(p); }
    bool FolderExists(const std::string& p) override { return real_.FolderExists(p); }
    std::unique_ptr<FileReader> OpenForReading(const std::string& p) override {
        return real_.OpenForReading(p);
    }
    std::unique_ptr<FileWriter> CreateForWriting(const std::string& p) override {
        return real_.CreateForWriting(p);
    }
    bool FileSize(const std::string& p, int64_t& s) override { return real_.FileSize(p, s); }
    bool CreateFolder(const std::string& p) override { return real_.CreateFolder(p); }
    bool RemoveFile(const std::string& p) override { return real_.RemoveFile(p); }
    std::string SystemTempFolder() override { return real_.SystemTempFolder(); }
    std::string FullPath(const std::string& t) override { return real_.FullPath(t); }
    uint32_t TickCount() override { return real_.TickCount(); }
    CalendarDate Today() override { return real_.Today(); }
    std::string ProgramFolder() override { return real_.ProgramFolder(); }
    std::string GetEnv(const std::string& name) override {
        auto it = env.find(name);
        return it != env.end() ? it->second : real_.GetEnv(name);
    }
    int AnsiCodePage() override { return real_.AnsiCodePage(); }
    std::string ToUtf16Le(std::string_view t, int cp) override { return real_.ToUtf16Le(t, cp); }
    std::string FromUtf16Le(std::string_view t, int cp) override {
        return real_.FromUtf16Le(t, cp);
    }
    bool IsLeadByte(int cp, unsigned char b) override { return real_.IsLeadByte(cp, b); }
    bool SameFile(const std::string& a, const std::string& b) override {
        return real_.SameFile(a, b);
    }
    std::string FileNameKey(const std::string& n) override { return real_.FileNameKey(n); }
    std::string DisplayPath(const std::string& p) override { return real_.DisplayPath(p); }

private:
    System& real_;
};
