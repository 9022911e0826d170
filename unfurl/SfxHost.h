// What the core needs from the window or tool that runs it: message boxes
// and the file list of the dialog.
#pragma once

#include <cstdint>
#include <string>

class SfxHost {
public:
    virtual ~SfxHost() = default;

    // A message box; returns the button pressed (1 OK, 2 Cancel, 6 Yes, ...).
    // ownedByDialog is false for task-modal boxes without an owner.
    virtual int ShowMessage(const std::string& text, const std::string& caption,
                            uint32_t style, bool ownedByDialog) = 0;

    // One list item per listed entry.
    virtual void AddListItem(const std::string& name, size_t index, uint32_t size,
                             bool selected) = 0;
};

// Thrown by the core when the program has to end (a fatal error, or the
// start-up message declined); the program's main routine catches it.
struct ProgramExit {
    int exitCode;
};
