// End to end: the real foliant.exe, started from a fresh copy of the
// package, driven by the robot through its windows. The cases share one
// running program (starting it under Wine is slow) and run in order.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "controls/ButtonSkins.h"
#include "controls/xpcmdbutton.h"
#include "shell/win/Frm_Main.h"
#include "shell/win/PanelControls.h"
#include "ui/Frm_Settings.h"
#include "support/TempFolder.h"
#include "win32/FoliantCopy.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace foliant_e2e;

namespace {

class FoliantWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempFolder;
        fs::path root(dir->Path());
        CopyPackage(*dir, [](const std::string& ini) {
            return Replace(ini, "[UserSettings]\r\n", "[UserSettings]\r\nBookName=Start\r\n");
        });
        program = new robot::Process;
        started = program->Start((root / "foliant.exe").string(), dir->Path());
    }

    static void TearDownTestSuite() {
        delete program;
        delete dir;
    }

    static HWND Main() {
        return robot::WaitForWindow(program->id(), kFrmMainClass, "", robot::kStepTimeout);
    }
    static HWND Control(int id) { return robot::FindControl(Main(), id); }
    // Answers the output folder browser with drive C:, the first drive of
    // the tree, which starts at the computer.
    static bool ChooseDriveC() {
        HWND browse = robot::WaitForWindow(program->id(), "#32770", "", robot::kStepTimeout);
        HWND tree = browse ? FindWindowExA(browse, nullptr, "SysTreeView32", nullptr) : nullptr;
        if (!tree)
            return false;
        LPARAM root = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
        LPARAM drive = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, root);
        if (drive == 0)
            return false;
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, drive);
        robot::Click(GetDlgItem(browse, IDOK));
        return true;
    }
    static TempFolder* dir;
    static robot::Process* program;
    static bool started;
};

TempFolder* FoliantWindows::dir = nullptr;
robot::Process* FoliantWindows::program = nullptr;
bool FoliantWindows::started = false;

TEST_F(FoliantWindows, SplashComesFirstAndTopmost) {
    ASSERT_TRUE(started);
    HWND splash = robot::WaitForWindow(program->id(), "Frm_Loading", "", robot::kStartTimeout);
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(GetWindowLongA(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-splash.bmp");
    HWND main = robot::WaitForWindow(program->id(), kFrmMainClass, "", 0s, false);
    EXPECT_TRUE(main == nullptr || !IsWindowVisible(main)) << "the main window waits for the splash";
    main = robot::WaitForWindow(program->id(), kFrmMainClass, "", robot::kStepTimeout);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(!IsWindow(splash) || !IsWindowVisible(splash));
}

TEST_F(FoliantWindows, CaptionsComeFromTheLanguageFile) {
    HWND main = Main();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(robot::Text(main), "Foliant 1.60");
    EXPECT_EQ(robot::Text(Control(kIdLabel1)), "Please input a name of the output folder:");
    EXPECT_EQ(robot::Text(Control(kIdCmdAddFiles)), "Import file(s)");
    EXPECT_EQ(robot::Text(Control(kIdCmdSettings)), "Language");
    EXPECT_EQ(robot::Text(Control(kIdCmdOutput)), "Output");
    EXPECT_EQ(robot::Text(Control(kIdText1)), "Start") << "the stored book name";
    // Text1 starts where Label1 ends and ends 8 pixels inside the panel.
    RECT label, text, panel;
    GetWindowRect(Control(kIdLabel1), &label);
    GetWindowRect(Control(kIdText1), &text);
    GetWindowRect(Control(kIdPicMainFace), &panel);
    EXPECT_EQ(text.left, label.right);
    EXPECT_EQ(text.right, panel.right - 8);
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-idle.bmp");
}

int FaceState(HWND button) { return static_cast<int>(SendMessageA(button, XPB_GETSTATE, 0, 0)); }

// The command buttons are styled: each state shows its own skin, and the
// corners blend into the panel.
TEST_F(FoliantWindows, CommandButtonsShowEveryState) {
    HWND add = Control(kIdCmdAddFiles), del = Control(kIdCmdDelFiles);
    HWND clear = Control(kIdCmdClearList), output = Control(kIdCmdOutput);
    for (HWND b : {add, del, clear, output, Control(kIdCmdSettings), Control(kIdCmdStopOutput)}) {
        char cls[64] = "";
        GetClassNameA(b, cls, sizeof cls);
        EXPECT_STREQ(cls, kXpCmdButtonClass);
    }
    robot::MoveMouse(add, 10, 10, 0);
    SendMessageA(del, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EnableWindow(clear, FALSE);
    EXPECT_EQ(FaceState(add), kButtonHover);
    EXPECT_EQ(FaceState(del), kButtonPressed);
    EXPECT_EQ(FaceState(clear), kButtonDisabled);
    EXPECT_EQ(FaceState(output), kButtonNormal);
    RedrawWindow(Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(1000);
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-button-states.bmp");
    // Read back from the screen: each face's top edge, and a corner.
    RECT r;
    for (auto [button, state] : {std::pair{add, kButtonHover}, {del, kButtonPressed},
                                 {clear, kButtonDisabled}, {output, kButtonNormal}}) {
        GetWindowRect(button, &r);
        EXPECT_EQ(robot::ScreenPixel((r.left + r.right) / 2, r.top + 2),
                  ButtonSkin(state).At(9, 2)) << "state " << state;
    }
    GetWindowRect(output, &r);
    EXPECT_EQ(robot::ScreenPixel(r.left, r.top),
              (uint32_t{GetRValue(kPanelColor)} << 16) | (uint32_t{GetGValue(kPanelColor)} << 8) |
                  GetBValue(kPanelColor));

    SendMessageA(del, WM_LBUTTONUP, 0, MAKELPARAM(-50, 10));  // released elsewhere: no click
    robot::MoveMouse(add, -5, -5, 0);
    EnableWindow(clear, TRUE);
    EXPECT_EQ(FaceState(add), kButtonNormal);
    EXPECT_EQ(FaceState(del), kButtonNormal);
    EXPECT_EQ(FaceState(clear), kButtonNormal);
    EXPECT_EQ(program->Wait(0s), -1) << "still running";
}

HWND OpenSettings(const robot::Process& program, HWND settingsButton) {
    robot::Click(settingsButton);
    return WaitForClass(program, kFrmSettingsClass);
}

// Selects the language shown as 'name'. Items are read through the
// combo box's own text: list texts do not cross processes reliably here.
void ChooseLanguage(HWND dialog, const std::string& name) {
    HWND combo = robot::FindControl(dialog, kIdSetCombo2);
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        if (robot::Text(combo) == name)
            return;
    }
    ADD_FAILURE() << "no language " << name;
}

void PressOk(HWND dialog) {
    robot::Click(robot::FindControl(dialog, kIdSetCommand1));
    ASSERT_TRUE(robot::WaitUntilGone(dialog, robot::kStepTimeout));
}

// The shipped product does not cut: the dialog has its short form, and
// OK with the language in use reloads nothing.
TEST_F(FoliantWindows, SettingsShortFormKeepsTheLanguageInUse) {
    fs::path eng = fs::path(dir->Path()) / "language" / "eng.ini";
    WriteFile(eng, Replace(ReadFile(eng), "00003=Language", "00003=Reloaded"));
    HWND dialog = OpenSettings(*program, Control(kIdCmdSettings));
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowEnabled(Main())) << "modal";
    EXPECT_EQ(robot::Text(dialog), "Language");
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.bottom - r.top, 87);
    HWND panel = robot::FindControl(dialog, kIdSetPicture1);
    for (int hidden : {kIdSetLabel1, kIdSetText1, kIdSetLabel4, kIdSetLine1})
        EXPECT_FALSE(IsWindowVisible(robot::FindControl(dialog, hidden))) << hidden;
    for (int button : {kIdSetCommand1, kIdSetCommand2})
        EXPECT_EQ(robot::RectIn(robot::FindControl(dialog, button), panel).top, 32);
    RECT panelRect;
    GetClientRect(panel, &panelRect);
    EXPECT_EQ(panelRect.bottom, 64);
    EXPECT_GE(robot::RectIn(robot::FindControl(dialog, kIdSetText2), panel).top, 64)
        << "the cut-word boxes lie below the cut-off edge";
    EXPECT_EQ(robot::Text(robot::FindControl(dialog, kIdSetLabel5)), "Language:");
    EXPECT_EQ(robot::Text(robot::FindControl(dialog, kIdSetCommand1)), "OK");
    HWND combo = robot::FindControl(dialog, kIdSetCombo2);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 14);
    EXPECT_EQ(SendMessageA(robot::FindControl(dialog, kIdSetList1), LB_GETCOUNT, 0, 0), 14);
    EXPECT_EQ(robot::Text(combo), "English") << "the language in use is selected";
    Sleep(500);
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-settings-short.bmp");

    PressOk(dialog);
    EXPECT_TRUE(IsWindowEnabled(Main()));
    EXPECT_EQ(robot::Text(Control(kIdCmdSettings)), "Language") << "not reloaded";
}

// Another language relabels the main window and is saved at once; the
// short form's OK keeps the joint characters and cut words.
TEST_F(FoliantWindows, AnotherLanguageRelabelsTheMainWindow) {
    HWND dialog = OpenSettings(*program, Control(kIdCmdSettings));
    ASSERT_NE(dialog, nullptr);
    ChooseLanguage(dialog, "Deutsch");
    PressOk(dialog);
    EXPECT_EQ(robot::Text(Control(kIdCmdSettings)), "Sprache");
    EXPECT_EQ(robot::Text(Control(kIdCmdAddFiles)), "Dateien importieren");
    EXPECT_EQ(robot::Text(Control(kIdLabel1)),
              "Bitte geben Sie den Namen des Ausgabeordners ein:");
    RECT label, text, panel;
    GetWindowRect(Control(kIdLabel1), &label);
    GetWindowRect(Control(kIdText1), &text);
    GetWindowRect(Control(kIdPicMainFace), &panel);
    EXPECT_EQ(text.left, label.right) << "the book-name box follows the longer prompt";
    EXPECT_EQ(text.right, panel.right - 8);
    std::string ini = ReadFile(fs::path(dir->Path()) / "main.ini");
    EXPECT_NE(ini.find("MyLagIndex=deu\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("KeepFileSize=34\r\n"), std::string::npos);
    EXPECT_NE(ini.find("CutWord0=enter\r\nCutWord1=.\r\nCutWord2=?\r\nCutWord3=,\r\n"
                       "CutWord4=space\r\nCutWord5=)\r\n"), std::string::npos) << ini;
    RedrawWindow(Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(1000);
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-german.bmp");

    // Back to English: now the edited file is read.
    dialog = OpenSettings(*program, Control(kIdCmdSettings));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(robot::Text(dialog), "Sprache");
    ChooseLanguage(dialog, "English");
    PressOk(dialog);
    EXPECT_EQ(robot::Text(Control(kIdCmdSettings)), "Reloaded");
}

int32_t BarValue(HWND bar) { return static_cast<int32_t>(SendMessageA(bar, PBM_GETPOS, 0, 0)); }

// A run over a small and a large page: the progress panel shows both bars
// moving, the finish message names the book, and the panel goes again.
// Answers the main window's Yes/No question.
void AnswerQuestion(const robot::Process& program, const std::string& title, int button) {
    HWND box = robot::WaitForWindow(program.id(), "#32770", title, robot::kStepTimeout);
    ASSERT_NE(box, nullptr) << "no question";
    robot::Click(robot::FindControl(box, button));
    ASSERT_TRUE(robot::WaitUntilGone(box, robot::kStepTimeout));
}

// Presses Shift+key as real keyboard input to the foreground window.
void PressShifted(WORD key) {
    INPUT keys[4] = {};
    WORD order[4] = {VK_SHIFT, key, key, VK_SHIFT};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = order[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, keys, sizeof keys[0]);
}

// The list's buttons and keys: the arrows and Shift+Up move the selected
// block, delete and clear ask first and do nothing on "No".
TEST_F(FoliantWindows, ImportListMovesDeletesAndClears) {
    HWND list = Control(kIdList1);
    ASSERT_NE(list, nullptr);
    const std::string title = robot::Text(Main());
    using Items = std::vector<std::string>;
    for (const char* name : {"p", "q", "r", "s"})
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    auto listIs = [&](const Items& expected) {
        return robot::WaitFor([&] { return robot::ListItems(list) == expected; },
                              robot::kStepTimeout);
    };
    auto press = [&](int id) {
        robot::MouseDown(Control(id));
        robot::MouseUp(Control(id));
    };

    robot::SelectOnly(list, {1, 2});
    press(kIdArrUp);
    EXPECT_TRUE(listIs({"q", "r", "p", "s"}));
    EXPECT_EQ(robot::ListSelection(list), (std::vector<int>{0, 1}));
    press(kIdArrUp);
    EXPECT_TRUE(listIs({"q", "r", "p", "s"})) << "the block is at the top already";
    press(kIdArrDown);
    EXPECT_TRUE(listIs({"p", "q", "r", "s"}));
    EXPECT_EQ(robot::ListSelection(list), (std::vector<int>{1, 2}));

    SetForegroundWindow(Main());
    SendMessageA(list, WM_LBUTTONDOWN, 0, 0);  // the list takes the focus
    SendMessageA(list, WM_LBUTTONUP, 0, 0);
    robot::SelectOnly(list, {1, 2});
    PressShifted(VK_DOWN);
    EXPECT_TRUE(listIs({"p", "s", "q", "r"})) << "Shift+Down moves the selection";

    robot::SelectOnly(list, {0});
    robot::Click(Control(kIdCmdDelFiles));
    AnswerQuestion(*program, title, IDNO);
    EXPECT_EQ(robot::ListItems(list).size(), 4u);
    robot::Click(Control(kIdCmdDelFiles));
    AnswerQuestion(*program, title, IDYES);
    EXPECT_TRUE(listIs({"s", "q", "r"}));

    robot::Click(Control(kIdCmdClearList));
    AnswerQuestion(*program, title, IDNO);
    EXPECT_EQ(robot::ListItems(list).size(), 3u);
    robot::Click(Control(kIdCmdClearList));
    AnswerQuestion(*program, title, IDYES);
    EXPECT_TRUE(listIs({}));
}

TEST_F(FoliantWindows, RunShowsBothProgressBars) {
    fs::path in = fs::path(dir->Path()) / "in";
    fs::create_directories(in);
    WriteFile(in / "small.htm", "<html><body><p>One small page.</p></body></html>");
    std::string large = "<html><body>\r\n";
    for (int i = 0; i < 30000; ++i)
        large += "<p>Line " + std::to_string(i) + " of a long page, with <b>some</b> markup.</p>\r\n";
    WriteFile(in / "large.htm", large + "</body></html>\r\n");
    HWND list = Control(kIdList1);
    for (const char* name : {"small.htm", "large.htm"})
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((in / name).string().c_str()));
    robot::SetText(Control(kIdText1), "Run Book");
    const fs::path out = "C:\\Run Book";
    fs::remove_all(out);

    robot::Click(Control(kIdCmdOutput));
    ASSERT_TRUE(ChooseDriveC()) << "the folder browser";

    HWND bar1 = Control(kIdProgressBar1), bar2 = Control(kIdProgressBar2);
    bool both = robot::WaitFor([&] { return BarValue(bar1) > 0 && BarValue(bar2) > 0; },
                               robot::kStepTimeout);
    if (both)
        robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-running.bmp");
    HWND done = robot::WaitForWindow(program->id(), "#32770", "Foliant 1.60", robot::kStartTimeout);
    ASSERT_NE(done, nullptr) << "the finish message";
    EXPECT_TRUE(both) << "both bars were seen moving";
    EXPECT_EQ(robot::Text(robot::FindControl(done, 0xFFFF)),
              "Output finished! Please copy the output files of Run Book.");
    EXPECT_EQ(BarValue(bar1), 100);
    EXPECT_TRUE(IsWindowVisible(Control(kIdPicMake)));
    Sleep(500);
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-finished.bmp");
    robot::Click(robot::FindControl(done, IDOK));
    ASSERT_TRUE(robot::WaitUntilGone(Control(kIdPicMake), robot::kStepTimeout));
    EXPECT_TRUE(IsWindowEnabled(Control(kIdPicMainFace)));
    RedrawWindow(Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(1000);
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-after-run.bmp");
    EXPECT_TRUE(fs::exists(out / "small.txt"));
    EXPECT_GT(fs::exists(out / "large.txt") ? fs::file_size(out / "large.txt") : 0u, 1000000u);
    fs::remove_all(out);
}

// A run over one file of each newer kind (the list filled directly) writes
// the text of each in the ANSI code page.
TEST_F(FoliantWindows, RunWritesTheTextOfTheNewerKinds) {
    fs::path in = fs::path(dir->Path()) / "kinds";
    fs::create_directories(in);
    const char* names[] = {"harbour.docx", "harbour.odt", "harbour.epub", "harbour.fb2",
                           "letter-utf8.txt", "letter-utf16.txt"};
    HWND list = Control(kIdList1);
    for (const char* name : names) {
        fs::copy_file(fs::path(SAMPLES_DIR) / name, in / name, fs::copy_options::overwrite_existing);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((in / name).string().c_str()));
    }
    robot::SetText(Control(kIdText1), "Kinds Book");
    const fs::path out = "C:\\Kinds Book";
    fs::remove_all(out);

    robot::Click(Control(kIdCmdOutput));
    ASSERT_TRUE(ChooseDriveC()) << "the folder browser";
    HWND done = robot::WaitForWindow(program->id(), "#32770", "Foliant 1.60", robot::kStartTimeout);
    ASSERT_NE(done, nullptr) << "the finish message";
    robot::Click(robot::FindControl(done, IDOK));
    ASSERT_TRUE(robot::WaitUntilGone(Control(kIdPicMake), robot::kStepTimeout));
    SendMessageA(list, LB_RESETCONTENT, 0, 0);

    // Per-file mode: the four documents share a base name.
    const char* harbour[] = {"harbour.txt", "harbour (2).txt", "harbour (3).txt", "harbour (4).txt"};
    for (const char* name : harbour) {
        std::string text = ReadFile(out / name);
        EXPECT_NE(text.find("The Harbour Caf\xE9"), std::string::npos) << name;
        EXPECT_NE(text.find("1962"), std::string::npos) << name << ": the note";
    }
    for (const char* name : {"letter-utf8.txt", "letter-utf16.txt"})
        EXPECT_NE(ReadFile(out / name).find("Mrs. \xD8" "deg\xE5rd,\r\n\r\nThank you for the cr\xE8me br\xFBl\xE9" "e"),
                  std::string::npos) << name;
    fs::remove_all(out);
}

TEST_F(FoliantWindows, RichTextBox1IsAHiddenRichEditControl) {
    HWND box = Control(kIdRichTextBox1);
    ASSERT_NE(box, nullptr);
    char cls[64] = "";
    GetClassNameA(box, cls, sizeof cls);
    EXPECT_STREQ(cls, "RichEdit20A");
    EXPECT_FALSE(IsWindowVisible(box));
    EXPECT_EQ(GetParent(box), Main());
}

TEST_F(FoliantWindows, ClosingSavesTheBookName) {
    robot::SetText(Control(kIdText1), "Closing Book");
    HWND close = robot::FindControl(Main(), kIdIClose);
    robot::MouseDown(close);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(Main())) << "a press alone does not close";
    robot::MouseUp(close);
    EXPECT_EQ(program->Wait(robot::kStepTimeout), 0);
    std::string ini = ReadFile(fs::path(dir->Path()) / "main.ini");
    EXPECT_NE(ini.find("BookName=Closing Book\r\n"), std::string::npos) << ini;
}

// Without a usable main.ini the program names the file in one message,
// ends with exit code 1 and writes nothing.
TEST(FoliantRefusesToStart, WithoutMainIni) {
    TempFolder dir;
    fs::path root(dir.Path());
    CopyPackage(dir, [](const std::string&) { return std::string(); });
    fs::remove(root / "main.ini");
    robot::Process program;
    ASSERT_TRUE(program.Start((root / "foliant.exe").string(), dir.Path()));
    HWND box = robot::WaitForWindow(program.id(), "#32770", "Foliant", robot::kStartTimeout);
    ASSERT_NE(box, nullptr);
    std::string message = robot::Text(robot::FindControl(box, 0xFFFF));
    EXPECT_NE(message.find(dir.Path() + "\\main.ini"), std::string::npos) << message;
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-no-main-ini.bmp");
    robot::Click(robot::FindControl(box, IDOK));
    EXPECT_EQ(program.Wait(robot::kStepTimeout), 1);
    EXPECT_FALSE(fs::exists(root / "main.ini"));
    EXPECT_EQ(robot::WaitForWindow(program.id(), kFrmMainClass, "", 0s, false), nullptr);
}

}  // namespace
