// "sfxpack extract": the stub's extraction run with a console for a dialog.
// Every entry is selected, the questions are answered from the options and
// the messages go to standard error, as the user's terminal shows them.
#include <iostream>
#include <vector>

#include "ListKeepingHost.h"
#include "Pack.h"
#include "SFXExtract.h"
#include "SFXInflate.h"
#include "SFXPaths.h"
#include "SFXStrings.h"
#include "SFXVars.h"
#include "sys/SfxSystem.h"

namespace {

class ExtractHost : public ListKeepingHost {
public:
    explicit ExtractHost(std::ostream& err) : err_(err) {}

    // Errors are printed. The start-up message is accepted; a question the
    // dialog would own (a disk to insert) cannot be answered here: cancel.
    int ShowMessage(const std::string& text, const std::string& caption, uint32_t,
                    bool ownedByDialog) override {
        if (caption == kErrorCaption) {
            err_ << Shown(text) << "\n";
            return kAnswerOk;
        }
        if (!ownedByDialog)
            return kAnswerOk;
        err_ << Shown(text) << "\n";
        return kAnswerCancel;
    }
    [[noreturn]] void EndProgram(int exitCode) override { throw ProgramExit{exitCode}; }

    // Every entry is extracted, whatever the header selects.
    void AddListItem(const std::string& name, size_t index, uint32_t size, bool) override {
        ListKeepingHost::AddListItem(name, index, size, true);
    }

    int AskOverwrite(const std::string& target) override {
        err_ << "sfxpack: kept the existing " << Shown(target) << "\n";
        return kAnswerKeepFile;
    }
    // The password of the options is already in place; asking means it is
    // missing or wrong.
    int AskPassword(const std::string& target) override {
        err_ << "sfxpack: missing or wrong password for " << Shown(target) << "\n";
        Vars.CurrentPassword.clear();
        return kAnswerCancel;
    }

    void ReportUnextracted() const {
        for (const Item& item : items)
            if (item.selected)
                err_ << "sfxpack: not extracted: " << Shown(item.name) << "\n";
    }

private:
    static std::string Shown(const std::string& text) {
        return PlatformSfxSystem().ConsoleText(text);
    }

    std::ostream& err_;
};

}  // namespace

int RunExtract(const ExtractOptions& options, std::ostream& err) {
    ExtractHost host(err);
    ArchiveCleanUp cleanUp;
    int exitCode;
    if (!OpenSelfExtractor(options.file, host, err, exitCode))
        return exitCode == kExitDone ? kExitUnusable : exitCode;
    BuildFixedTables();
    Vars.Destination = ExcludeTrailingBackslashes(CorePathOf(options.destination));
    if (options.overwriteMode >= 0)
        Vars.Header.SetOverwriteMode(static_cast<uint8_t>(options.overwriteMode));
    Vars.CurrentPassword = options.password;
    Vars.CancelRequested = false;
    try {
        if (ExtractRun())
            return kExitDone;
    } catch (const ProgramExit& exit) {
        return exit.exitCode == 0 ? kExitUnusable : exit.exitCode;
    }
    host.ReportUnextracted();
    return kExitUnusable;
}
