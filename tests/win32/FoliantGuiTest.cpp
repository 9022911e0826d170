// End to end: the real foliant.exe, started from a fresh copy of the
// package, driven by the robot through its windows. The cases share one
// running program (starting it under Wine is slow) and run in order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/win/Frm_Main.h"
#include "support/TempFolder.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string ScreenshotFolder() {
    fs::path folder = fs::current_path().parent_path() / "screenshots";
    fs::create_directories(folder);
    return folder.string() + "\\";
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FoliantWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempFolder;
        fs::path root(dir->Path());
        fs::path bin = fs::current_path();
        fs::copy_file(bin / "foliant.exe", root / "foliant.exe");
        fs::copy(bin / "language", root / "language", fs::copy_options::recursive);
        fs::copy(bin / "images", root / "images", fs::copy_options::recursive);
        std::string ini = ReadFile(bin / "main.ini");
        ini.replace(ini.find("[UserSettings]\r\n"), 16, "[UserSettings]\r\nBookName=Start\r\n");
        WriteFile(root / "main.ini", ini);
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
    fs::path bin = fs::current_path();
    fs::copy_file(bin / "foliant.exe", root / "foliant.exe");
    fs::copy(bin / "language", root / "language", fs::copy_options::recursive);
    fs::copy(bin / "images", root / "images", fs::copy_options::recursive);
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
