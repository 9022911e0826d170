// unfurl.exe as an installer people download: the image is relocatable and
// marked NX, imports only libraries the system always takes from its own
// folder, carries its manifest (the installer's asking for administrator
// rights), and its dialog with visual styles at 96 and 144 DPI.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "Pack.h"
#include "SFXResource.h"
#include "support/PeFile.h"
#include "support/StubArchive.h"
#include "support/TempFolder.h"
#include "support/WideProcess.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;

namespace {

constexpr uint16_t kDynamicBase = 0x0040, kNxCompatible = 0x0100;
constexpr uint16_t kRelocationsStripped = 0x0001;
constexpr uint32_t kManifestType = 24;

// A program of the build, beside the tests.
PeFile Program(const char* name) {
    return PeFile(wide_process::ReadAll(fs::current_path() / name));
}

bool Holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The image can be loaded at any base: relocations kept, the dynamic-base
// and NX marks set.
TEST(StubImage, IsRelocatableAndNotExecutableWhereItHoldsData) {
    PeFile stub = Program("unfurl.exe");
    ASSERT_TRUE(stub.valid());
    EXPECT_TRUE(stub.DllCharacteristics() & kDynamicBase) << std::hex << stub.DllCharacteristics();
    EXPECT_TRUE(stub.DllCharacteristics() & kNxCompatible) << std::hex << stub.DllCharacteristics();
    EXPECT_FALSE(stub.Characteristics() & kRelocationsStripped);
    EXPECT_GT(stub.DirectorySize(kRelocationDirectory), 0u);
    EXPECT_LE(fs::file_size(fs::current_path() / "unfurl.exe"), 65536u);
}

// Libraries the system maps from its own folder whatever the search path
// (the KnownDLLs), and comctl32, which the manifest binds to the system's
// side-by-side copy. Nothing is imported late.
TEST(StubImage, ImportsOnlyLibrariesThatCannotBePlanted) {
    const std::vector<std::string> allowed = {
        "kernel32.dll", "user32.dll", "gdi32.dll",    "advapi32.dll", "shell32.dll", "ole32.dll",
        "oleaut32.dll", "msvcrt.dll", "comdlg32.dll", "shlwapi.dll",  "comctl32.dll"};
    PeFile stub = Program("unfurl.exe");
    ASSERT_TRUE(stub.valid());
    std::vector<std::string> imports = stub.Imports();
    EXPECT_NE(std::find(imports.begin(), imports.end(), "kernel32.dll"), imports.end());
    for (const std::string& name : imports)
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end()) << name;
    EXPECT_EQ(stub.DirectorySize(kDelayImportDirectory), 0u);
}

TEST(StubImage, ManifestBindsCommonControlsSixAndRunsWithTheInvokersRights) {
    std::string manifest = Program("unfurl.exe").Resource(kManifestType);
    ASSERT_FALSE(manifest.empty());
    EXPECT_TRUE(Holds(manifest, "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_TRUE(Holds(manifest, "<requestedExecutionLevel level=\"asInvoker\" "));
    EXPECT_TRUE(Holds(manifest, ">true</dpiAware>"));
    EXPECT_TRUE(Holds(manifest, ">system</dpiAwareness>"));
    // Vista, 7, 8, 8.1, and 10 (which 11 shares).
    for (const char* id :
         {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
          "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
          "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_TRUE(Holds(manifest, std::string("<supportedOS Id=\"{") + id + "}\"/>")) << id;
}

TEST(StubImage, TheInstallerAsksForAdministratorRights) {
    PeFile setup = Program("foliant-setup.exe");
    ASSERT_TRUE(setup.valid());
    std::string manifest = setup.Resource(kManifestType);
    EXPECT_TRUE(Holds(manifest, "<requestedExecutionLevel level=\"requireAdministrator\" "))
        << manifest;
    EXPECT_TRUE(setup.DllCharacteristics() & kDynamicBase);
}

class UnfurlBeside : public ::testing::Test {
protected:
    TempFolder dir;
    robot::Process program;

    fs::path Root() const { return fs::path(dir.Path()); }

    // Packs the files with the header options into 'name'.
    std::string Pack(const std::string& name, const PackOptions& options,
                     const std::map<std::string, std::string>& files) {
        return PackFilesOntoStub(options, Root() / name, Root() / "source", files);
    }
};

// Sets the display's DPI for the programs started from now on; puts the old
// settings back when it goes.
class DisplayDpi {
public:
    explicit DisplayDpi(DWORD dpi) {
        for (size_t i = 0; i < kPlaces; ++i) {
            HKEY key = nullptr;
            if (RegCreateKeyA(Root(i), kKeys[i], &key) != ERROR_SUCCESS)
                continue;
            DWORD size = sizeof old_[i];
            had_[i] = RegQueryValueExA(key, "LogPixels", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&old_[i]), &size) == ERROR_SUCCESS;
            RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                           sizeof dpi);
            RegCloseKey(key);
        }
    }
    ~DisplayDpi() {
        for (size_t i = 0; i < kPlaces; ++i) {
            HKEY key = nullptr;
            if (RegOpenKeyA(Root(i), kKeys[i], &key) != ERROR_SUCCESS)
                continue;
            if (had_[i])
                RegSetValueExA(key, "LogPixels", 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&old_[i]), sizeof old_[i]);
            else
                RegDeleteValueA(key, "LogPixels");
            RegCloseKey(key);
        }
    }
    DisplayDpi(const DisplayDpi&) = delete;
    DisplayDpi& operator=(const DisplayDpi&) = delete;

private:
    static constexpr size_t kPlaces = 2;
    static HKEY Root(size_t i) { return i == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
    static constexpr const char* kKeys[kPlaces] = {
        "Control Panel\\Desktop",
        "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"};
    DWORD old_[kPlaces] = {};
    bool had_[kPlaces] = {};
};

std::string ScreenshotFolder() {
    fs::path folder = fs::current_path().parent_path() / "screenshots";
    fs::create_directories(folder);
    return folder.string() + "\\";
}

// The main dialog with its list shown, at both DPIs: the controls scale
// with the font and the buttons stay inside the dialog.
TEST_F(UnfurlBeside, TheDialogFitsAt96And144Dpi) {
    PackOptions o;
    o.strings[0] = "Prueba de Scrollix";
    o.strings[1] = (Root() / "out").string();
    std::string exe = Pack("dpi.exe", o,
                           {{"readme.txt", "read me"},
                            {"docs\\manual.txt", std::string(5000, 'm')},
                            {"setup.ini", "[setup]"}});
    std::map<DWORD, int> buttonHeights;
    for (DWORD dpi : {96u, 144u}) {
        DisplayDpi display(dpi);
        robot::Process run;
        ASSERT_TRUE(run.Start(exe, Root().string()));
        HWND dialog = robot::WaitForWindow(run.id(), "#32770", o.strings[0], robot::kStartTimeout);
        ASSERT_NE(dialog, nullptr) << dpi;
        robot::Click(GetDlgItem(dialog, IDC_SHOW_FILES));
        HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
        ASSERT_TRUE(
            robot::WaitFor([&] { return IsWindowVisible(list) != 0; }, robot::kStepTimeout));
        Sleep(1500);
        robot::SaveScreenshotOf(run.id(), ScreenshotFolder() + "unfurl-main-" +
                                              std::to_string(dpi) + "dpi.bmp");

        // From the top down, nothing overlaps what follows it.
        int above = 0;
        for (int id :
             {IDC_DESTINATION, IDC_FILE_LIST, IDC_OVERWRITE_GROUP, IDC_BUTTON_LINE, IDOK}) {
            RECT r;
            GetWindowRect(GetDlgItem(dialog, id), &r);
            EXPECT_LE(above, r.top) << dpi << " dpi, control " << id;
            above = r.bottom;
        }
        RECT client, start, close;
        GetClientRect(dialog, &client);
        GetWindowRect(GetDlgItem(dialog, IDOK), &start);
        GetWindowRect(GetDlgItem(dialog, IDCANCEL), &close);
        POINT corner{close.right, close.bottom};
        ScreenToClient(dialog, &corner);
        EXPECT_LE(corner.x, client.right) << dpi;
        EXPECT_LE(corner.y, client.bottom) << dpi;
        buttonHeights[dpi] = start.bottom - start.top;
        robot::Click(GetDlgItem(dialog, IDCANCEL));
        EXPECT_EQ(run.Wait(robot::kStartTimeout), 0) << dpi;
    }
    // A 14-unit button is about 23 pixels at 96 DPI and half as tall again
    // at 144.
    EXPECT_GE(buttonHeights[144] * 4, buttonHeights[96] * 5) << buttonHeights[96];
}

}  // namespace
