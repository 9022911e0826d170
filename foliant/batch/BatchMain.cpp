// foliant-batch: runs foliant's conversion run from the command line. The
// book name and the output folder come from the arguments instead of the
// main window; everything else (settings, language, checks, pieces) is the
// desktop program's own. Ctrl+C asks the run to stop before its next file.
// Paths are shown as the user wrote them and texts in the terminal's
// encoding; on a terminal one status line shows how far the run has got.
#include <csignal>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "sys/WideText.h"
#else
#include <unistd.h>
#endif

#include "batch/BatchFlags.h"
#include "batch/SettingsFileSystem.h"
#include "convert/Mod_Function.h"
#include "convert/text/TextCoding.h"
#include "convert/text/Unicode.h"
#include "settings/LanguageTable.h"
#include "settings/Mod_DIM.h"
#include "sys/System.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitStopped = 1;
constexpr int kExitRefused = 2;
constexpr int kExitSettings = 3;
constexpr int kExitNotWritten = 4;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
    std::signal(SIGINT, OnInterrupt);
}

#ifdef _WIN32
// The arguments as typed, in UTF-8, whatever the ANSI code page holds.
std::vector<std::string> Utf8Arguments() {
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; wide != nullptr && i < count; ++i)
        args.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return args;
}
#endif

bool StdoutIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(1) != 0;
#endif
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// UTF-8 text in the encoding of the user's terminal.
std::string Terminal(System& sys, const std::string& utf8) {
    return sys.TerminalUnicode(sys.ToUtf16Le(utf8, kUtf8CodePage));
}

std::string WhySkipped(SkipReason why, const std::string& detail) {
    switch (why) {
    case SkipReason::Damaged:
        return "damaged";
    case SkipReason::UnknownEncoding:
        return "unknown encoding \"" + detail + "\"";
    case SkipReason::UnknownEnding:
        return "not a known document type";
    case SkipReason::NotWordDocument:
        return "not a Word 97-2003 document";
    case SkipReason::Encrypted:
        return "encrypted";
    case SkipReason::NoText:
        return "no text";
    case SkipReason::TooLarge:
        return "too large for memory";
    case SkipReason::Unreadable:
        break;
    }
    return "cannot be read";
}

class BatchHost final : public RunHost {
public:
    BatchHost(System& sys, std::string book, std::vector<std::string> files, std::string folder,
              std::map<std::string, std::string> typedNames)
        : sys_(sys), book_(std::move(book)), files_(std::move(files)), folder_(std::move(folder)),
          typed_(std::move(typedNames)), terminal_(StdoutIsTerminal()) {}

    void Attach(ConversionRun& run) { run_ = &run; }

    std::string BookNameText() override { return book_; }
    std::vector<std::string> ImportList() override { return files_; }
    std::string ChooseOutputFolder(const std::string&) override { return folder_; }

    // Refusals before the run go to standard error, the run's own closing
    // message to standard output. When pieces were lost the closing
    // message would not be true: the failure is told instead.
    void ShowMessage(const std::string& text) override {
        if (started_ && Failed())
            return;
        if (started_)
            status_.clear();  // the closing line replaces the status line
        std::FILE* stream = started_ ? stdout : stderr;
        Line(stream, Terminal(sys_, text));
    }
    // The only question is whether to stop, asked after Ctrl+C.
    bool AskYesNo(const std::string&) override { return true; }
    void FocusBookName() override {}

    // The status names the file being read; it is shown as the user wrote
    // it, on one line redrawn while the file is read.
    void SetStatus(const std::string& text) override {
        status_ = Terminal(sys_, text);
        for (size_t i = 0; i < files_.size(); ++i) {
            size_t at = (next_ + i) % files_.size();
            const std::string& path = files_[at];
            if (text.size() >= path.size() &&
                text.compare(text.size() - path.size(), path.size(), path) == 0) {
                status_ = Terminal(sys_, text.substr(0, text.size() - path.size())) + Shown(path);
                next_ = at + 1;
                break;
            }
        }
        filePercent_ = -1;
        Draw();
    }
    void SetOverallProgress(int percent) override {
        if (percent != overall_) {
            overall_ = percent;
            Draw();
        }
    }
    void SetFileProgress(int percent) override { CutProgress(percent); }
    void CutProgress(int percent) override {
        if (percent != filePercent_) {
            filePercent_ = percent;
            Draw();
        }
    }
    void SetBusy(bool busy) override {
        if (busy)
            started_ = true;
        else
            ClearLine();
    }
    void PumpMessages() override {
        if (interrupted && run_ != nullptr) {
            interrupted = 0;
            run_->Cmd_StopOutput();
        }
    }
    void InputSkipped(const std::string& path, SkipReason why, const std::string& detail) override {
        Line(stderr, "foliant-batch: skipped " + Shown(path) + ": " +
                         WhySkipped(why, sys_.TerminalText(detail)));
    }
    void PartSkipped(const std::string& path, const std::string& part) override {
        Line(stderr, "foliant-batch: " + Shown(path) + ": left out " + Terminal(sys_, part) +
                         ": cannot be read");
    }
    void CharactersLost(const std::string& path, uint64_t count,
                        const std::vector<uint32_t>& first) override {
        std::string shown;
        for (uint32_t c : first) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
            std::string utf16;
            AppendUtf16Le(utf16, c);
            shown += (shown.empty() ? "" : ", ") + sys_.TerminalUnicode(utf16) + " (" + code + ")";
        }
        if (count > first.size())
            shown += ", ...";
        Line(stderr, "foliant-batch: " + Shown(path) + ": " + std::to_string(count) +
                         (count == 1 ? " character" : " characters") + " written as \"?\": " +
                         shown);
    }
    void RunFolderNotMade(const std::string& folder) override {
        if (folderNotMade_.empty())
            Line(stderr, "foliant-batch: cannot make the folder " + ShownFolder(folder));
        folderNotMade_ = folder;
    }
    void PieceNotWritten(const std::string& path) override {
        if (notWritten_++ == 0 && folderNotMade_.empty())
            Line(stderr, "foliant-batch: cannot write into the folder " +
                             ShownFolder(FolderOf(path)) + " (" + Shown(path) + ")");
    }

    // The run folder could not be made, or a piece was lost.
    bool Failed() const { return !folderNotMade_.empty() || notWritten_ > 0; }

private:
    // A path as the user gave it, or in the host's own form.
    std::string Shown(const std::string& path) const {
        auto it = typed_.find(path);
        return Terminal(sys_, it != typed_.end() ? it->second : sys_.DisplayPath(path));
    }
    std::string ShownFolder(std::string folder) const {
        while (folder.size() > 1 && folder.back() == '\\')
            folder.pop_back();
        return Shown(folder);
    }

    void Draw() {
        if (!terminal_ || status_.empty())
            return;
        char head[16];
        std::snprintf(head, sizeof head, "[%3d%%] ", overall_);
        std::string line = "\r\033[K" + std::string(head) + status_;
        if (filePercent_ >= 0)
            line += " (" + std::to_string(filePercent_) + "%)";
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
        drawn_ = true;
    }
    void ClearLine() {
        if (!drawn_)
            return;
        std::fputs("\r\033[K", stdout);
        std::fflush(stdout);
        drawn_ = false;
    }
    // One whole line, after the progress line is taken away; the progress
    // comes back below it.
    void Line(std::FILE* stream, const std::string& text) {
        bool redraw = drawn_;
        ClearLine();
        std::fprintf(stream, "%s\n", text.c_str());
        std::fflush(stream);
        if (redraw)
            Draw();
    }

    System& sys_;
    std::string book_;
    std::vector<std::string> files_;
    std::string folder_;
    std::map<std::string, std::string> typed_;
    bool terminal_;
    bool started_ = false;
    bool drawn_ = false;
    int overall_ = 0;
    int filePercent_ = -1;
    size_t next_ = 0;
    std::string status_;
    std::string folderNotMade_;
    int notWritten_ = 0;
    ConversionRun* run_ = nullptr;
};

int Fail(System& sys, int code, const std::string& message) {
    std::fprintf(stderr, "foliant-batch: %s\n", Terminal(sys, message).c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    std::vector<std::string> args = Utf8Arguments();
    std::vector<char*> pointers;
    for (std::string& arg : args)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    if (!args.empty()) {
        argc = static_cast<int>(args.size());
        argv = pointers.data();
    }
#endif
    BatchOptions options;
    std::string error;
    if (!ParseBatchArguments(argc, argv, options, error)) {
        std::fprintf(stderr, "foliant-batch: %s\n\n%s", error.c_str(), BatchHelpText().c_str());
        return kExitRefused;
    }
    if (options.help) {
        std::fputs(BatchHelpText().c_str(), stdout);
        return kExitDone;
    }

    System& sys = PlatformSystem();
    std::string programFolder = sys.ProgramFolder();
    std::string iniPath =
        options.ini.empty() ? MainIniPath(programFolder) : sys.FullPath(options.ini);
    std::string iniFolder = FolderOf(iniPath);
    SettingsFileSystem settingsView(sys, MainIniPath(iniFolder), iniPath);
    classIniFile mainIni(settingsView);
    AppSettings settings;
    if (StartupProblem problem = LoadSettings(settingsView, iniFolder, mainIni, settings))
        return Fail(sys, kExitSettings, problem.message);
    // The command line names codings as the settings file does, and wins.
    TextCoding output, input;
    std::string badKey;
    if (options.encodingGiven) {
        if (!ParseTextCoding(sys, options.encoding, output, true))
            return Fail(sys, kExitRefused, "unknown encoding \"" + options.encoding + "\" for --encoding (" +
                                          std::string(kTextCodingChoices) + ")");
        settings.OutputCodePage = options.encoding;
    }
    if (options.inputCodePageGiven) {
        if (!ParseTextCoding(sys, options.inputCodePage, input, false))
            return Fail(sys, kExitRefused, "unknown encoding \"" + options.inputCodePage +
                                          "\" for --input-codepage (" +
                                          std::string(kTextCodingChoices) + ")");
        settings.InputCodePage = options.inputCodePage;
    }
    if (!RunCodings(sys, settings, output, input, badKey))
        return Fail(sys, kExitSettings, "the key \"" + badKey + "\" in section [MainSettings] of \"" +
                                       sys.DisplayPath(iniPath) + "\" names no encoding (" +
                                       std::string(kTextCodingChoices) + ")");
    LanguageTable lang;
    if (StartupProblem problem = ReadLanguageFile(sys, programFolder, settings.MyLagIndex, lang))
        return Fail(sys, kExitSettings, problem.message);

    std::string folder = sys.FullPath(options.out);
    if (!sys.FolderExists(folder))
        return Fail(sys, kExitRefused, "the output folder " + options.out + " does not exist");

    std::vector<std::string> files;
    std::map<std::string, std::string> typed;
    for (const std::string& file : options.files) {
        files.push_back(sys.FullPath(file));
        typed[files.back()] = file;
    }
    std::string book = options.bookGiven ? options.book : settings.BookName;
    BatchHost host(sys, book, files, folder, typed);
    ReaderConverters converters(sys);
    RunState state;
    ConversionRun run(sys, settings, lang, host, converters, state);
    host.Attach(run);
    std::signal(SIGINT, OnInterrupt);

    RunOutcome outcome = run.Cmd_Output();
    if (outcome != RunOutcome::Refused && host.Failed())
        return kExitNotWritten;
    switch (outcome) {
    case RunOutcome::Finished:
        return kExitDone;
    case RunOutcome::Stopped:
        return kExitStopped;
    case RunOutcome::Refused:
        break;
    }
    return kExitRefused;
}
