// foliant-batch: runs foliant's conversion run from the command line. The
// book name and the output folder come from the arguments instead of the
// main window; everything else (settings, language, checks, pieces) is the
// desktop program's own. Ctrl+C asks the run to stop before its next file.
#include <csignal>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "batch/BatchFlags.h"
#include "batch/SettingsFileSystem.h"
#include "convert/Mod_Function.h"
#include "shell/LanguageTable.h"
#include "shell/Mod_DIM.h"
#include "sys/System.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitStopped = 1;
constexpr int kExitRefused = 2;
constexpr int kExitSettings = 3;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
    std::signal(SIGINT, OnInterrupt);
}

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(2) != 0;
#endif
}

// Text of the ANSI code page as the console shows it.
std::string ForConsole(System& sys, const std::string& ansi) {
#ifdef _WIN32
    (void)sys;
    return ansi;
#else
    return sys.FromUtf16Le(sys.ToUtf16Le(ansi, kAnsiCodePage), kUtf8CodePage);
#endif
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

class BatchHost final : public RunHost {
public:
    BatchHost(System& sys, std::string book, std::vector<std::string> files, std::string folder,
              std::map<std::string, std::string> typedNames)
        : sys_(sys), book_(std::move(book)), files_(std::move(files)), folder_(std::move(folder)),
          typed_(std::move(typedNames)), showProgress_(StderrIsTerminal()) {}

    void Attach(ConversionRun& run) { run_ = &run; }

    std::string BookNameText() override { return book_; }
    std::vector<std::string> ImportList() override { return files_; }
    std::string ChooseOutputFolder(const std::string&) override { return folder_; }

    // Refusals before the run go to standard error, the run's own closing
    // message to standard output.
    void ShowMessage(const std::string& text) override {
        std::FILE* stream = started_ ? stdout : stderr;
        std::fprintf(stream, "%s\n", ForConsole(sys_, text).c_str());
        std::fflush(stream);
    }
    // The only question is whether to stop, asked after Ctrl+C.
    bool AskYesNo(const std::string&) override { return true; }
    void FocusBookName() override {}

    void SetStatus(const std::string& text) override {
        if (showProgress_)
            std::fprintf(stderr, "[%3d%%] %s\n", overall_, ForConsole(sys_, text).c_str());
    }
    void SetOverallProgress(int percent) override { overall_ = percent; }
    void SetFileProgress(int) override {}
    void SetBusy(bool busy) override {
        if (busy)
            started_ = true;
    }
    void PumpMessages() override {
        if (interrupted && run_ != nullptr) {
            interrupted = 0;
            run_->Cmd_StopOutput();
        }
    }
    void InputSkipped(const std::string& path, SkipReason why) override {
        auto it = typed_.find(path);
        std::string shown = it != typed_.end() ? it->second : path;
        std::fprintf(stderr, "foliant-batch: skipped %s: %s\n", shown.c_str(),
                     why == SkipReason::UnknownEnding ? "not a known document type"
                                                      : "cannot be read");
    }

private:
    System& sys_;
    std::string book_;
    std::vector<std::string> files_;
    std::string folder_;
    std::map<std::string, std::string> typed_;
    bool showProgress_;
    bool started_ = false;
    int overall_ = 0;
    ConversionRun* run_ = nullptr;
};

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "foliant-batch: %s\n", message.c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv) {
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
        return Fail(kExitSettings, problem.message);
    LanguageTable lang;
    if (StartupProblem problem = ReadLanguageFile(sys, programFolder, settings.MyLagIndex, lang))
        return Fail(kExitSettings, problem.message);

    std::string folder = sys.FullPath(options.out);
    if (!sys.FolderExists(folder))
        return Fail(kExitRefused, "the output folder " + options.out + " does not exist");

    std::vector<std::string> files;
    std::map<std::string, std::string> typed;
    for (const std::string& file : options.files) {
        files.push_back(sys.FullPath(file));
        typed[files.back()] = file;
    }
    BatchHost host(sys, options.bookGiven ? options.book : settings.BookName, files, folder,
                   typed);
    ReaderConverters converters(sys);
    RunState state;
    ConversionRun run(sys, settings, lang, host, converters, state);
    host.Attach(run);
    std::signal(SIGINT, OnInterrupt);

    switch (run.Cmd_Output()) {
    case RunOutcome::Finished:
        return kExitDone;
    case RunOutcome::Stopped:
        return kExitStopped;
    case RunOutcome::Refused:
        break;
    }
    return kExitRefused;
}
