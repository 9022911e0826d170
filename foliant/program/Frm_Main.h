// Frm_Main: foliant's main window. The book name, the import list with its
// buttons, the settings button, the output button and, during a run, the
// progress panel.
#pragma once

#include <windows.h>

#include <string>

#include <memory>

#include "controls/win/TitleBar.h"
#include "ui/ImportList.h"

// Control ids, also what a robot uses to find the controls.
enum FrmMainControl : int {
    kIdPicMainFace = 100,
    kIdLabel1,
    kIdText1,
    kIdList1,
    kIdCmdAddFiles,
    kIdCmdDelFiles,
    kIdCmdClearList,
    kIdCmdSettings,
    kIdCmdOutput,
    kIdArrUp,
    kIdArrDown,
    kIdList2,
    kIdTxtTmp,
    kIdPicMake,
    kIdLabel2,
    kIdProgressBar1,
    kIdProgressBar2,
    kIdCmdStopOutput,
    kIdMin,
    kIdIClose,
    kIdRichTextBox1,
};

inline const char kFrmMainClass[] = "Frm_Main";

class Frm_Main {
public:
    // Creates the window hidden, fills its controls and puts the language
    // texts on it. False (with the missing file named) when a skin picture
    // cannot be loaded.
    bool Load(std::string& missingFile);
    void Show();
    HWND hwnd() const { return hwnd_; }
    void Attach(HWND hwnd) { hwnd_ = hwnd; }

    // Puts the language texts on the window and lays out what depends on
    // their widths.
    void DrawFaceText();

    // Keys the window sees before its controls; true when handled.
    bool PreTranslateKey(const MSG& msg);

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND Control(int id) const;
    ImportList ReadList1() const;

private:
    void CreateControls();
    void RunOutput();
    void OnCommand(int id, int code);
    void OnPaint();
    void OnLButtonDown(POINT p);
    void OnMouseMove(WPARAM keys, POINT p);
    void OnUnload();

    // Import list (Frm_MainImportList.cpp).
    void AddFiles();
    void DeleteFiles();
    void ClearList();
    void MoveSelection(bool up);
    void ShowList1(const ImportList& list);
    bool Ask(const std::string& question);

    HWND hwnd_ = nullptr;
    HWND panel_ = nullptr;
    HWND makePanel_ = nullptr;
    TitleBar titleBar_;
    TitleBarLayout titleLayout_{};
    std::string caption_;
    // Set while a conversion run goes.
    struct Run;
    Run* run_ = nullptr;
    bool closeAfterRun_ = false;
};
