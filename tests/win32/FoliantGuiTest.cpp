// End to end: the real foliant.exe, started from a fresh copy of the
// package, driven by the robot through its windows. The cases share one
// running program (starting it under Wine is slow) and run in order.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "controls/ButtonSkins.h"
#include "controls/win/xpcmdbutton.h"
#include "program/Frm_Main.h"
#include "controls/win/PanelControls.h"
#include "ui/win/Frm_Settings.h"
#include "support/NamedDocuments.h"
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
    // Read back from the screen, once painted: each face's top edge, and a corner.
    const std::pair<HWND, int> faces[] = {
        {add, kButtonHover}, {del, kButtonPressed}, {clear, kButtonDisabled}, {output, kButtonNormal}};
    auto topEdge = [](HWND button) {
        RECT r;
        GetWindowRect(button, &r);
        return robot::ScreenPixel((r.left + r.right) / 2, r.top + 2);
    };
    auto corner = [&] {
        RECT r;
        GetWindowRect(output, &r);
        return robot::ScreenPixel(r.left, r.top);
    };
    const uint32_t panel = (uint32_t{GetRValue(kPanelColor)} << 16) |
                           (uint32_t{GetGValue(kPanelColor)} << 8) | GetBValue(kPanelColor);
    robot::WaitFor([&] {
        for (auto [button, state] : faces)
            if (topEdge(button) != ButtonSkin(state).At(9, 2))
                return false;
        return corner() == panel;
    }, robot::kStepTimeout);
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-button-states.bmp");
    for (auto [button, state] : faces)
        EXPECT_EQ(topEdge(button), ButtonSkin(state).At(9, 2)) << "state " << state;
    EXPECT_EQ(corner(), panel);

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

// The run's question before the next file, once the stop button was pressed;
// nullptr when another box (the finish message) comes instead.
HWND StopQuestion(const robot::Process& program) {
    HWND box = robot::WaitForWindow(program.id(), "#32770", "Foliant 1.60", robot::kStepTimeout);
    return box && robot::FindControl(box, IDNO) ? box : nullptr;
}

// A run over a page and a small page. The robot holds the run at the stop
// question and reads both bars while it is up: clicks are posted, so each
// is handled when the run next looks at its messages. The first, posted
// behind the folder browser's OK, is seen before the first file; the
// second, posted behind "No", while the first page is cut, so the question
// comes again before the second file, with the first one done.
TEST_F(FoliantWindows, RunShowsBothProgressBars) {
    fs::path in = fs::path(dir->Path()) / "in";
    fs::create_directories(in);
    std::string large = "<html><body>\r\n";
    for (int i = 0; i < 3000; ++i)
        large += "<p>Line " + std::to_string(i) + " of a long page, with <b>some</b> markup.</p>\r\n";
    WriteFile(in / "large.htm", large + "</body></html>\r\n");
    WriteFile(in / "small.htm", "<html><body><p>One small page.</p></body></html>");
    HWND list = Control(kIdList1);
    for (const char* name : {"large.htm", "small.htm"})
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((in / name).string().c_str()));
    robot::SetText(Control(kIdText1), "Run Book");
    const fs::path out = "C:\\Run Book";
    fs::remove_all(out);

    robot::Click(Control(kIdCmdOutput));
    HWND stop = Control(kIdCmdStopOutput);
    ASSERT_TRUE(ChooseDriveC()) << "the folder browser";
    robot::Click(stop);

    HWND bar1 = Control(kIdProgressBar1), bar2 = Control(kIdProgressBar2);
    HWND question = StopQuestion(*program);
    ASSERT_NE(question, nullptr) << "no question before the first file";
    EXPECT_TRUE(IsWindowVisible(Control(kIdPicMake)));
    EXPECT_FALSE(IsWindowEnabled(Control(kIdPicMainFace)));
    EXPECT_EQ(BarValue(bar1), 0);
    EXPECT_EQ(BarValue(bar2), 0);
    robot::Click(robot::FindControl(question, IDNO));
    robot::Click(stop);
    ASSERT_TRUE(robot::WaitUntilGone(question, robot::kStepTimeout));

    question = StopQuestion(*program);
    ASSERT_NE(question, nullptr) << "no question before the second file";
    EXPECT_GT(BarValue(bar1), 0) << "pieces of the first page were written";
    EXPECT_LT(BarValue(bar1), 100);
    EXPECT_GT(BarValue(bar2), 0) << "the first page was converted";
    const std::string status = robot::Text(Control(kIdLabel2));
    EXPECT_NE(status.find((in / "large.htm").string()), std::string::npos) << status;
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-running.bmp");
    robot::Click(robot::FindControl(question, IDNO));
    ASSERT_TRUE(robot::WaitUntilGone(question, robot::kStepTimeout));

    HWND done = robot::WaitForWindow(program->id(), "#32770", "Foliant 1.60", robot::kStepTimeout);
    ASSERT_NE(done, nullptr) << "the finish message";
    EXPECT_EQ(robot::Text(robot::FindControl(done, 0xFFFF)),
              "Output finished! Please copy the output files of Run Book.");
    EXPECT_EQ(BarValue(bar1), 100);
    EXPECT_TRUE(IsWindowVisible(Control(kIdPicMake)));
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-finished.bmp");
    robot::Click(robot::FindControl(done, IDOK));
    ASSERT_TRUE(robot::WaitUntilGone(Control(kIdPicMake), robot::kStepTimeout));
    EXPECT_TRUE(IsWindowEnabled(Control(kIdPicMainFace)));
    RedrawWindow(Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-after-run.bmp");
    EXPECT_TRUE(fs::exists(out / "small.txt"));
    EXPECT_GT(fs::exists(out / "large.txt") ? fs::file_size(out / "large.txt") : 0u, 100000u);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
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

// When Windows ends the session the window may never be destroyed: the
// settings are saved then too, and the program goes on until it is closed.
TEST_F(FoliantWindows, EndingTheSessionAndClosingSaveTheBookName) {
    fs::path ini = fs::path(dir->Path()) / "main.ini";
    robot::SetText(Control(kIdText1), "Session Book");
    EXPECT_TRUE(SendMessageA(Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    EXPECT_EQ(ReadFile(ini).find("BookName=Session Book\r\n"), std::string::npos)
        << "the session may still go on";
    SendMessageA(Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_NE(ReadFile(ini).find("BookName=Session Book\r\n"), std::string::npos) << ReadFile(ini);
    ASSERT_TRUE(IsWindowVisible(Main()));

    robot::SetText(Control(kIdText1), "Closing Book");
    HWND close = robot::FindControl(Main(), kIdIClose);
    RECT r;
    GetClientRect(close, &r);
    // Sent, not posted: the press has been handled when the call returns.
    SendMessageA(close, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom / 2));
    EXPECT_TRUE(IsWindowVisible(Main())) << "a press alone does not close";
    robot::MouseUp(close);
    EXPECT_EQ(program->Wait(robot::kStepTimeout), 0);
    EXPECT_NE(ReadFile(ini).find("BookName=Closing Book\r\n"), std::string::npos) << ReadFile(ini);
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

// Wine's open-file dialog reads memory it guards with exception handlers;
// where 32-bit Wine runs under a CPU emulator those faults end the process,
// so the dialog is driven only where Wine runs natively.
bool WineUnderEmulation() {
    char value[8] = "";
    return GetEnvironmentVariableA("WINE_UNDER_EMULATION", value, sizeof value) != 0;
}

// The real open-file dialog: "Import file(s)" opens it in the stored input
// folder with the stored filter; names typed into it are appended in their
// order, a listed one is skipped, and both stored values follow the choice.
TEST(FoliantOpenFileDialog, TypedNamesAreAppendedAndTheChoiceIsStored) {
    if (WineUnderEmulation())
        GTEST_SKIP() << "32-bit Wine runs under a CPU emulator here, where its open-file "
                        "dialog cannot survive the faults it handles";
    TempFolder dir;
    fs::path root(dir.Path());
    const fs::path picked = root / "picked";
    fs::create_directories(picked);
    for (const char* name : {"one.htm", "two.txt", "three.rtf"})
        WriteFile(picked / name, "text");
    CopyPackage(dir, [&](const std::string& ini) {
        std::string edited = Replace(ini, "InPutDir=\r\n", "InPutDir=" + picked.string() + "\r\n");
        return Replace(edited, "OpenFilesFilterIndex=4\r\n", "OpenFilesFilterIndex=2\r\n");
    });
    robot::Process program;
    ASSERT_TRUE(program.Start((root / "foliant.exe").string(), dir.Path()));
    HWND main = robot::WaitForWindow(program.id(), kFrmMainClass, "", robot::kStartTimeout);
    ASSERT_NE(main, nullptr);
    HWND list = robot::FindControl(main, kIdList1);
    const std::string other = (root / "other.htm").string();
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(other.c_str()));

    // Opens the dialog, checks its filter, picks 'filter' and types 'names'.
    auto choose = [&](int shownFilter, int filter, const std::string& names) {
        robot::Click(robot::FindControl(main, kIdCmdAddFiles));
        HWND dialog = robot::WaitForWindow(program.id(), "#32770", "Please choose file(s)",
                                           robot::kStepTimeout);
        ASSERT_NE(dialog, nullptr) << "the open-file dialog";
        HWND types = robot::FindControl(dialog, cmb1);
        ASSERT_NE(types, nullptr);
        EXPECT_EQ(SendMessageA(types, CB_GETCURSEL, 0, 0), shownFilter - 1) << "the stored filter";
        if (filter != shownFilter) {
            SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(filter - 1), 0);
            // As a pick in the drop-down list reports it.
            for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code),
                             reinterpret_cast<LPARAM>(types));
        }
        HWND name = robot::FindControl(dialog, cmb13);
        if (!name)
            name = robot::FindControl(dialog, edt1);
        ASSERT_NE(name, nullptr) << "the file name box";
        robot::SetText(name, names);
        robot::SaveScreenshot(ScreenshotFolder() + "foliant-open-files.bmp");
        robot::Click(robot::FindControl(dialog, IDOK));
        ASSERT_TRUE(robot::WaitUntilGone(dialog, robot::kStepTimeout))
            << "the dialog did not take " << names;
    };
    using Items = std::vector<std::string>;
    auto listIs = [&](const Items& expected) {
        return robot::WaitFor([&] { return robot::ListItems(list) == expected; },
                              robot::kStepTimeout);
    };
    const std::string folder = picked.string() + "\\";

    // Bare names: they can only be found in the folder the dialog opened in.
    choose(2, 3, "\"two.txt\" \"one.htm\"");
    EXPECT_TRUE(listIs({other, folder + "two.txt", folder + "one.htm"}))
        << "appended in the order typed";
    // The choice is kept for the next time; one.htm is listed already.
    choose(3, 3, "\"one.htm\" \"three.rtf\" \"two.txt\"");
    EXPECT_TRUE(listIs({other, folder + "two.txt", folder + "one.htm", folder + "three.rtf"}));
    Items items = robot::ListItems(list);
    EXPECT_EQ(std::count(items.begin(), items.end(), folder + "one.htm"), 1);

    HWND close = robot::FindControl(main, kIdIClose);
    robot::MouseDown(close);
    robot::MouseUp(close);
    ASSERT_EQ(program.Wait(robot::kStepTimeout), 0);
    std::string ini = ReadFile(root / "main.ini");
    EXPECT_NE(ini.find("InPutDir=" + picked.string() + "\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("OpenFilesFilterIndex=3\r\n"), std::string::npos) << ini;
}

// Answers the output folder browser with the last folder on drive C:, the
// first drive of the tree. Its folders are listed by name, so a name in
// Greek comes after the Latin names of Wine's own folders there. (Item
// texts cannot be read from here where Wine runs under a CPU emulator, and
// the tree's type-ahead search takes no Greek letters.)
bool ChooseLastFolderOnDriveC(const robot::Process& program) {
    HWND browse = robot::WaitForWindow(program.id(), "#32770", "", robot::kStepTimeout);
    HWND tree = browse ? FindWindowExA(browse, nullptr, "SysTreeView32", nullptr) : nullptr;
    if (!tree)
        return false;
    auto next = [tree](UINT relation, LRESULT item) {
        return SendMessageW(tree, TVM_GETNEXTITEM, relation, item);
    };
    LRESULT drive = next(TVGN_CHILD, next(TVGN_ROOT, 0));
    if (!drive)
        return false;
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, drive);
    LRESULT last = next(TVGN_CHILD, drive);
    for (LRESULT item = last; item; item = next(TVGN_NEXT, item))
        last = item;
    if (!last)
        return false;
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, last);
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-browse-greek-folder.bmp");
    robot::Click(GetDlgItem(browse, IDOK));
    return robot::WaitUntilGone(browse, robot::kStepTimeout);
}

// How the documents reach the import list.
enum class Filling { OpenFileDialog, Directly };

void PrintTo(Filling filling, std::ostream* os) {
    *os << (filling == Filling::OpenFileDialog ? "through the open-file dialog" : "directly");
}

class FoliantNamesBeyondTheAnsiCodePage : public ::testing::TestWithParam<Filling> {};

// Documents named in Cyrillic and Japanese lie in a folder named in Greek;
// the run writes a piece for each into a book named in Cyrillic inside a
// folder named in Greek, each piece named after its document and holding
// its text, and the input folder is kept in main.ini.
TEST_P(FoliantNamesBeyondTheAnsiCodePage, PiecesAreNamedAfterTheDocumentsAndHoldTheirText) {
    const Filling filling = GetParam();
    if (filling == Filling::OpenFileDialog && WineUnderEmulation())
        GTEST_SKIP() << "32-bit Wine runs under a CPU emulator here, where its open-file "
                        "dialog cannot survive the faults it handles";
    const std::string shelfName = "Βιβλία", outName = "Κείμενα", book = "Книга";
    const std::vector<NamedDocument> documents = DocumentsBeyondTheAnsiCodePage();
    TempFolder dir;
    fs::path root(dir.Path());
    const fs::path shelf = root / fs::u8path(shelfName);
    fs::create_directories(shelf);
    for (const NamedDocument& document : documents)
        WriteFile(shelf / fs::u8path(document.name), document.bytes);
    CopyPackage(dir, [&](const std::string& ini) {
        std::string edited = Replace(ini, "\r\n\r\n[UserSettings]\r\n",
                                     "\r\nOutputCodePage=utf-8\r\n\r\n[UserSettings]\r\n");
        return Replace(edited, "InPutDir=\r\n", "InPutDir=utf-8:" + Utf8Of(shelf) + "\r\n");
    });
    const fs::path out = fs::path("C:\\") / fs::u8path(outName);
    fs::remove_all(out);
    fs::create_directories(out);

    robot::Process program;
    ASSERT_TRUE(program.Start((root / "foliant.exe").string(), dir.Path()));
    HWND main = robot::WaitForWindow(program.id(), kFrmMainClass, "", robot::kStartTimeout);
    ASSERT_NE(main, nullptr);
    HWND list = robot::FindControl(main, kIdList1);
    std::vector<std::string> listed;
    for (const NamedDocument& document : documents)
        listed.push_back(Utf8Of(shelf) + "\\" + document.name);
    if (filling == Filling::OpenFileDialog) {
        robot::Click(robot::FindControl(main, kIdCmdAddFiles));
        HWND dialog = robot::WaitForWindow(program.id(), "#32770", "Please choose file(s)",
                                           robot::kStepTimeout);
        ASSERT_NE(dialog, nullptr) << "the open-file dialog";
        HWND name = robot::FindControl(dialog, cmb13);
        if (!name)
            name = robot::FindControl(dialog, edt1);
        ASSERT_NE(name, nullptr) << "the file name box";
        std::string names;
        for (const NamedDocument& document : documents)
            names += "\"" + document.name + "\" ";
        robot::SetUtf8Text(name, names);
        robot::SaveScreenshot(ScreenshotFolder() + "foliant-open-files-names.bmp");
        robot::Click(robot::FindControl(dialog, IDOK));
        ASSERT_TRUE(robot::WaitUntilGone(dialog, robot::kStepTimeout))
            << "the dialog did not take " << names;
    } else {
        for (const std::string& path : listed)
            robot::AddUtf8ListItem(list, path);
    }
    EXPECT_TRUE(robot::WaitFor([&] { return robot::Utf8ListItems(list) == listed; },
                               robot::kStepTimeout));
    robot::SetUtf8Text(robot::FindControl(main, kIdText1), book);

    robot::Click(robot::FindControl(main, kIdCmdOutput));
    ASSERT_TRUE(ChooseLastFolderOnDriveC(program)) << "the folder browser";
    // The first message after the browser is the run's last.
    HWND done = robot::WaitForWindow(program.id(), "#32770", "", robot::kStartTimeout);
    ASSERT_NE(done, nullptr) << "the finish message";
    EXPECT_EQ(robot::Utf8Text(robot::FindControl(done, 0xFFFF)),
              "Output finished! Please copy the output files of " + book + ".");
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-main-finished-names.bmp");
    robot::Click(robot::FindControl(done, IDOK));
    ASSERT_TRUE(robot::WaitUntilGone(robot::FindControl(main, kIdPicMake), robot::kStepTimeout));

    const fs::path pieces = out / fs::u8path(book);
    const std::vector<std::string> expected = PerFilePieceNames(documents);
    EXPECT_EQ(FileNamesIn(pieces), std::set<std::string>(expected.begin(), expected.end()));
    for (size_t i = 0; i < documents.size(); ++i)
        EXPECT_NE(ReadFile(pieces / fs::u8path(expected[i])).find(documents[i].text),
                  std::string::npos) << expected[i];

    HWND close = robot::FindControl(main, kIdIClose);
    robot::MouseDown(close);
    robot::MouseUp(close);
    EXPECT_EQ(program.Wait(robot::kStepTimeout), 0);
    const std::string ini = ReadFile(root / "main.ini");
    EXPECT_NE(ini.find("InPutDir=utf-8:" + Utf8Of(shelf) + "\r\n"), std::string::npos) << ini;
    fs::remove_all(out);
}

INSTANTIATE_TEST_SUITE_P(Lists, FoliantNamesBeyondTheAnsiCodePage,
                         ::testing::Values(Filling::OpenFileDialog, Filling::Directly),
                         [](const ::testing::TestParamInfo<Filling>& info) {
                             return info.param == Filling::OpenFileDialog ? "OpenFileDialog"
                                                                          : "FilledDirectly";
                         });

}  // namespace
