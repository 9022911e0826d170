// End to end: the shipped installer. The robot runs foliant-setup.exe,
// installs into a fresh folder with the run box left checked, and the
// installed foliant.exe starts from there with its own main.ini.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <map>

#include "SFXResource.h"
#include "program/Frm_Main.h"
#include "support/TempFolder.h"
#include "win32/FoliantCopy.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;
using namespace foliant_e2e;

namespace {

const std::string kSetupCaption = "foliant " FOLIANT_VERSION " Setup";

// Every file below 'root' by its relative path, with its bytes.
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).generic_string()] = ReadFile(entry.path());
    return files;
}

// The package as built: the package folder and the program beside it.
std::map<std::string, std::string> PackageTree() {
    std::map<std::string, std::string> files = Tree(PACKAGE_DIR);
    files["foliant.exe"] = ReadFile(fs::current_path() / "foliant.exe");
    return files;
}

std::string Lower(std::string text) {
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The installer's destination as the dialog first shows it.
std::string ExpandedDefaultFolder() {
    char expanded[MAX_PATH] = "";
    ExpandEnvironmentStringsA("%ProgramFiles%\\foliant", expanded, sizeof expanded);
    return expanded;
}

std::string ImagePath(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    char path[MAX_PATH] = "";
    DWORD size = sizeof path;
    if (process) {
        QueryFullProcessImageNameA(process, 0, path, &size);
        CloseHandle(process);
    }
    return path;
}

bool WaitForProcessEnd(DWORD processId, std::chrono::seconds timeout) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process)
        return true;
    bool ended =
        WaitForSingleObject(process, static_cast<DWORD>(timeout.count() * 1000)) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

TEST(FoliantSetup, InstallsThePackageAndStartsTheInstalledProgram) {
    TempFolder dir;
    fs::path root(dir.Path());
    fs::path target = root / "Programs" / "foliant";
    fs::create_directories(root / "cwd");
    robot::Process setup;
    ASSERT_TRUE(setup.Start((fs::current_path() / "foliant-setup.exe").string(),
                            (root / "cwd").string()));

    HWND dialog = robot::WaitForWindow(setup.id(), "#32770", kSetupCaption, robot::kStartTimeout);
    ASSERT_NE(dialog, nullptr);
    HWND destination = GetDlgItem(dialog, IDC_DESTINATION);
    EXPECT_EQ(robot::Text(destination), ExpandedDefaultFolder() + "\\");
    HWND run = GetDlgItem(dialog, IDC_RUN);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(SendMessageA(run, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_NE(GetDlgItem(dialog, IDC_OVERWRITE_ASK), nullptr) << "the overwrite choice is offered";
    robot::SaveScreenshotOf(setup.id(), ScreenshotFolder() + "foliant-setup.bmp");

    robot::SetText(destination, target.string());
    robot::Click(GetDlgItem(dialog, IDOK));
    HWND done = robot::WaitForWindow(setup.id(), "#32770", "Terminado.", robot::kStartTimeout);
    ASSERT_NE(done, nullptr);

    // The program starts only once the message is answered: the tree can
    // be compared, and the installed main.ini marked, before that.
    EXPECT_EQ(Tree(target), PackageTree());
    fs::path ini = target / "main.ini";
    WriteFile(ini, Replace(ReadFile(ini), "[UserSettings]\r\n",
                           "[UserSettings]\r\nBookName=Installed Book\r\n"));
    robot::Click(robot::FindControl(done, IDOK));
    EXPECT_EQ(setup.Wait(robot::kStartTimeout), 0);

    HWND main = robot::WaitForWindow(0, kFrmMainClass, "", robot::kStartTimeout);
    ASSERT_NE(main, nullptr) << "the installed program did not show its main window";
    DWORD foliant = 0;
    GetWindowThreadProcessId(main, &foliant);
    EXPECT_EQ(Lower(ImagePath(foliant)), Lower((target / "foliant.exe").string()));
    EXPECT_EQ(robot::Text(robot::FindControl(main, kIdText1)), "Installed Book");
    robot::SaveScreenshotOf(foliant, ScreenshotFolder() + "foliant-installed.bmp");

    HWND close = robot::FindControl(main, kIdIClose);
    robot::MouseDown(close);
    robot::MouseUp(close);
    EXPECT_TRUE(WaitForProcessEnd(foliant, robot::kStepTimeout));
}

}  // namespace
