// The main window as the host of a conversion run: the book-name box, the
// import list, the folder browser, message boxes and the progress panel.
#pragma once

#include <windows.h>

#include "convert/RunHost.h"

class Frm_Main;

class MainWindowRunHost final : public RunHost {
public:
    explicit MainWindowRunHost(Frm_Main& window) : window_(window) {}

    // Set when the window is closed during a run: the run stops after the
    // file under way without asking and without its stop message.
    bool closing = false;

    std::string BookNameText() override;
    std::vector<std::string> ImportList() override;
    std::string ChooseOutputFolder(const std::string& title) override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void FocusBookName() override;
    void SetStatus(const std::string& text) override;
    void SetOverallProgress(int percent) override;
    void SetFileProgress(int percent) override;
    void SetBusy(bool busy) override;
    void PumpMessages() override;

private:
    Frm_Main& window_;
};
