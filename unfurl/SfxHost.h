// What the core needs from the window or tool that runs it: message boxes,
// the dialog's file list and progress bar, the questions asked during
// extraction, and the way the program ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class SfxHost {
public:
    virtual ~SfxHost() = default;

    // A message box; returns the button pressed (1 OK, 2 Cancel, 6 Yes, ...).
    // ownedByDialog is false for task-modal boxes without an owner.
    virtual int ShowMessage(const std::string& text, const std::string& caption,
                            uint32_t style, bool ownedByDialog) = 0;

    // Ends the program with the exit code (after a fatal error, or a declined
    // start-up message). The stub closes its files and exits the process;
    // tools and tests throw ProgramExit.
    [[noreturn]] virtual void EndProgram(int exitCode) = 0;

    // One list item per listed entry; 'index' is the entry's EntryTable index.
    virtual void AddListItem(const std::string& name, size_t index, uint32_t size,
                             bool selected) = 0;

    // The file list as extraction walks it (item order is list order).
    virtual size_t ListItemCount() { return 0; }
    virtual bool IsItemSelected(size_t /*item*/) { return false; }
    virtual void SetItemSelected(size_t /*item*/, bool /*selected*/) {}
    virtual size_t ItemEntryIndex(size_t item) { return item; }
    virtual std::string ItemText(size_t /*item*/) { return std::string(); }
    virtual void ScrollItemIntoView(size_t /*item*/) {}

    // The extraction progress bar.
    virtual void SetProgressRange(uint32_t /*maximum*/) {}
    virtual void SetProgressPosition(uint32_t /*position*/) {}

    // Handles one waiting window message, if any; never waits.
    virtual void PumpOneMessage() {}

    // The overwrite question for an existing target: 2 keeps the file, any
    // other answer overwrites. It may change Vars.Header's overwrite mode
    // ("do not ask again").
    virtual int AskOverwrite(const std::string& /*targetPath*/) { return 2; }
    // The password question: 1 when confirmed, with the password left in
    // Vars.CurrentPassword; any other answer leaves it empty.
    virtual int AskPassword(const std::string& /*targetPath*/) { return 2; }
    // The beep after a refused password.
    virtual void Beep() {}
};

// What tools and tests throw from EndProgram; their main routine catches it.
struct ProgramExit {
    int exitCode;
};
