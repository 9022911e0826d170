// The stub's host on Windows: message boxes, the main dialog's list view
// and progress bar, the message pump, the two questions and the end of
// the process.
#pragma once

#include <windows.h>

#include "SfxHost.h"

class DialogHost : public SfxHost {
public:
    // The main dialog, once it exists; boxes before that have no owner.
    void Attach(HWND dialog);
    HWND dialog() const { return dialog_; }

    int ShowMessage(const std::string& text, const std::string& caption, uint32_t style,
                    bool ownedByDialog) override;
    [[noreturn]] void EndProgram(int exitCode) override;

    void AddListItem(const std::string& name, size_t index, uint32_t size,
                     bool selected) override;
    size_t ListItemCount() override;
    bool IsItemSelected(size_t item) override;
    void SetItemSelected(size_t item, bool selected) override;
    size_t ItemEntryIndex(size_t item) override;
    std::string ItemText(size_t item) override;
    void ScrollItemIntoView(size_t item) override;

    void SetProgressRange(uint32_t maximum) override;
    void SetProgressPosition(uint32_t position) override;
    void PumpOneMessage() override;

    int AskOverwrite(const std::string& targetPath) override;
    int AskPassword(const std::string& targetPath) override;
    void Beep() override;

private:
    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
    HWND progress_ = nullptr;
};
