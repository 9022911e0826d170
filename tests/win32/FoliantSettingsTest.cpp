// End to end: the settings dialog's long form, in a foliant.exe whose
// product cuts and has nine cut words. The cases share one running
// program and run in order.
#include <gtest/gtest.h>

#include <filesystem>

#include "program/Frm_Main.h"
#include "ui/win/Frm_Settings.h"
#include "win32/FoliantCopy.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;
using namespace foliant_e2e;

namespace {

std::string CuttingIni(const std::string& shipped) {
    std::string ini = Replace(shipped, "SingleFileSize0=0", "SingleFileSize0=4096");
    ini = Replace(ini, "CutWordNum=5", "CutWordNum=8");
    ini = Replace(ini, "CutWordDef5=)\r\n", "CutWordDef5=)\r\nCutWordDef6=!\r\nCutWordDef7=;\r\nCutWordDef8=:\r\n");
    ini = Replace(ini, "CutWord5=)\r\n", "CutWord5=)\r\nCutWord6=x6\r\nCutWord7=x7\r\nCutWord8=x8\r\n");
    return ini;
}

class FoliantSettings : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempFolder;
        CopyPackage(*dir, CuttingIni);
        program = new robot::Process;
        started = program->Start(dir->File("foliant.exe"), dir->Path());
    }
    static void TearDownTestSuite() {
        delete program;
        delete dir;
    }

    void SetUp() override {
        ASSERT_TRUE(started);
        main = robot::WaitForWindow(program->id(), kFrmMainClass, "", robot::kStartTimeout);
        ASSERT_NE(main, nullptr);
    }

    HWND Open() {
        robot::Click(robot::FindControl(main, kIdCmdSettings));
        dialog = WaitForClass(*program, kFrmSettingsClass);
        return dialog;
    }
    HWND Item(int id) const { return robot::FindControl(dialog, id); }
    std::string Text(int id) const { return robot::Text(Item(id)); }
    void Press(int button) {
        robot::Click(Item(button));
        ASSERT_TRUE(robot::WaitUntilGone(dialog, robot::kStepTimeout));
    }
    std::string MainIni() const { return ReadFile(fs::path(dir->File("main.ini"))); }

    static TempFolder* dir;
    static robot::Process* program;
    static bool started;
    HWND main = nullptr;
    HWND dialog = nullptr;
};

TempFolder* FoliantSettings::dir = nullptr;
robot::Process* FoliantSettings::program = nullptr;
bool FoliantSettings::started = false;

// CutWordNum = 8: nine boxes at a 24-pixel pitch, captions for the first
// six, and the buttons below the last box.
TEST_F(FoliantSettings, NineCutWordBoxesOnlySixCaptions) {
    ASSERT_NE(Open(), nullptr);
    HWND panel = Item(kIdSetPicture1);
    for (int i = 0; i <= 8; ++i) {
        HWND box = Item(kIdSetText2 + i);
        ASSERT_NE(box, nullptr) << i;
        EXPECT_TRUE(IsWindowVisible(box));
        EXPECT_EQ(robot::RectIn(box, panel).top, 104 + 24 * i);
    }
    EXPECT_EQ(Item(kIdSetText2 + 9), nullptr);
    const char* captions[] = {"first", "second", "third", "fourth", "fifth", "sixth"};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(Text(kIdSetLabel3 + k), captions[k]);
    EXPECT_EQ(Item(kIdSetLabel3 + 6), nullptr);
    EXPECT_EQ(Text(kIdSetText2 + 0), "enter");
    EXPECT_EQ(Text(kIdSetText2 + 4), "space");
    EXPECT_EQ(Text(kIdSetText2 + 8), "x8");
    EXPECT_LE(robot::RectIn(Item(kIdSetText2 + 8), panel).bottom,
              robot::RectIn(Item(kIdSetCommand3), panel).top);
    RECT panelRect;
    GetClientRect(panel, &panelRect);
    EXPECT_LE(robot::RectIn(Item(kIdSetCommand1), panel).bottom, panelRect.bottom);
    EXPECT_TRUE(IsWindowVisible(Item(kIdSetText1)));
    EXPECT_EQ(Text(kIdSetLabel1), "the number of joint characters");
    EXPECT_EQ(Text(kIdSetLabel4), "(0-64)");
    EXPECT_EQ(Text(kIdSetLabel2), "cut sensitive characters");
    EXPECT_EQ(Text(kIdSetCommand3), "recover sensitive characters");
    robot::SaveScreenshot(ScreenshotFolder() + "foliant-settings-long.bmp");
}

// The joint-characters box: letters are discarded, an empty box becomes
// 32 and a value above 64 becomes 64 when the key is released.
TEST_F(FoliantSettings, JointCharactersKeyFilters) {
    dialog = WaitForClass(*program, kFrmSettingsClass);
    ASSERT_NE(dialog, nullptr);
    HWND joint = Item(kIdSetText1);
    EXPECT_EQ(robot::Text(joint), "34");
    SendMessageA(joint, EM_SETSEL, 2, 2);
    robot::TypeChar(joint, 'a');
    robot::TypeChar(joint, '-');
    EXPECT_EQ(robot::Text(joint), "34");
    robot::PressBackspace(joint);
    EXPECT_EQ(robot::Text(joint), "3");
    robot::PressBackspace(joint);
    EXPECT_EQ(robot::Text(joint), "32") << "emptied, then released";
    SendMessageA(joint, EM_SETSEL, 0, -1);
    robot::TypeChar(joint, '9');
    EXPECT_EQ(robot::Text(joint), "9");
    robot::TypeChar(joint, '9');
    EXPECT_EQ(robot::Text(joint), "64");
}

// "space" typed in any letter case is stored as one blank, written back
// as "space" and shown so at the next opening.
TEST_F(FoliantSettings, SpaceInAnyCaseStoresOneBlank) {
    dialog = WaitForClass(*program, kFrmSettingsClass);
    ASSERT_NE(dialog, nullptr);
    robot::SetText(Item(kIdSetText2 + 2), "SpAcE");
    robot::SetText(Item(kIdSetText2 + 7), "ENTER");
    Press(kIdSetCommand1);
    std::string ini = MainIni();
    EXPECT_NE(ini.find("CutWord2=space\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("CutWord7=enter\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("KeepFileSize=64\r\n"), std::string::npos) << ini;
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(kIdSetText2 + 2), "space");
    EXPECT_EQ(Text(kIdSetText2 + 7), "enter");
    EXPECT_EQ(Text(kIdSetText1), "64");
}

// Restoring the defaults and then cancelling changes nothing; the title
// bar's close button cancels too.
TEST_F(FoliantSettings, RestoreDefaultsThenCancelChangesNothing) {
    dialog = WaitForClass(*program, kFrmSettingsClass);
    ASSERT_NE(dialog, nullptr);
    std::string before = MainIni();
    robot::Click(Item(kIdSetCommand3));
    ASSERT_TRUE(robot::WaitFor([&] { return Text(kIdSetText2 + 6) == "!"; }, robot::kStepTimeout));
    EXPECT_EQ(Text(kIdSetText2 + 0), "enter");
    EXPECT_EQ(Text(kIdSetText2 + 2), "?");
    EXPECT_EQ(Text(kIdSetText2 + 8), ":");
    robot::SetText(Item(kIdSetText1), "5");
    Press(kIdSetCommand2);
    EXPECT_EQ(MainIni(), before);

    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(kIdSetText2 + 6), "x6");
    EXPECT_EQ(Text(kIdSetText2 + 2), "space");
    EXPECT_EQ(Text(kIdSetText1), "64");
    robot::SetText(Item(kIdSetText2 + 6), "changed");
    HWND close = Item(kIdSetIClose);
    robot::MouseDown(close);
    robot::MouseUp(close);
    ASSERT_TRUE(robot::WaitUntilGone(dialog, robot::kStepTimeout));
    EXPECT_EQ(MainIni(), before);
}

TEST_F(FoliantSettings, ProgramEndsWhenClosed) {
    HWND close = robot::FindControl(main, kIdIClose);
    robot::MouseDown(close);
    robot::MouseUp(close);
    EXPECT_EQ(program->Wait(robot::kStepTimeout), 0);
}

}  // namespace
