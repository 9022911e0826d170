// Archives that extract on their own, with no dialog to drive, under Wine:
// a signed archive of the samples, and an archive whose folder holds
// libraries planted under system libraries' names.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <map>

#include "Pack.h"
#include "SFXDefs.h"
#include "support/PeFile.h"
#include "support/StubArchive.h"
#include "support/TempFolder.h"
#include "support/WideProcess.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;
using wide_process::ReadAll;

namespace {

class UnfurlAlone : public ::testing::Test {
protected:
    TempFolder dir;
    robot::Process program;

    fs::path Root() const { return fs::path(dir.Path()); }
};

// An Authenticode-signed archive (packed and signed at build time)
// extracts by itself like an unsigned one.
TEST_F(UnfurlAlone, SignedAutoStartArchiveExtractsTheSamples) {
    fs::path exe = fs::current_path() / "signed-samples.exe";
    PeFile archive(ReadAll(exe));
    ASSERT_TRUE(archive.valid());
    ASSERT_GT(archive.DirectorySize(kSecurityDirectory), 0u) << "the archive is not signed";
    fs::path out = Root() / "signed out";
    SetEnvironmentVariableA("SIGNED_SAMPLES_OUT", out.string().c_str());
    fs::create_directories(Root() / "cwd");
    ASSERT_TRUE(program.Start(exe.string(), (Root() / "cwd").string()));
    SetEnvironmentVariableA("SIGNED_SAMPLES_OUT", nullptr);
    EXPECT_EQ(program.Wait(robot::kStartTimeout), 0);
    size_t compared = 0;
    for (const auto& sample : fs::directory_iterator(SAMPLES_DIR)) {
        EXPECT_EQ(ReadAll(out / sample.path().filename()), ReadAll(sample.path()))
            << sample.path().filename();
        ++compared;
    }
    EXPECT_GT(compared, 3u);
}

// Libraries installers are known to load by name, none of them a KnownDLL.
// Left out: version, uxtheme and msimg32. Wine's own user32 and comctl32
// import them, and Wine resolves those imports through the program's folder
// while it loads the program, before any of its code runs.
const char* const kPlantedNames[] = {
    "dwmapi",  "cryptbase", "comctl32", "textshaping", "propsys",       "profapi", "userenv",
    "winmm",   "cryptsp",   "wtsapi32", "netapi32",    "secur32",       "sspicli", "ntmarta",
    "apphelp", "dbghelp",   "riched20", "riched32",    "mpr",           "oleacc",  "winhttp",
    "wininet", "urlmon",    "iertutil", "bcrypt",      "rsaenh",        "dwrite",  "windowscodecs",
    "srvcli",  "linkinfo",  "ntshrui",  "cscapi",      "explorerframe", "edputil", "mlang",
    "msasn1",  "wldp",      "wintrust", "crypt32",     "imagehlp",
};

// Wine told to prefer a library it finds on the search path to its own, for
// one program name, as WINEDLLOVERRIDES would (which a process started from
// inside Wine does not read); removed when it goes.
class PreferPlantedLibraries {
public:
    explicit PreferPlantedLibraries(const std::string& program)
        : key_("Software\\Wine\\AppDefaults\\" + program) {
        HKEY overrides = nullptr;
        if (RegCreateKeyA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), &overrides) !=
            ERROR_SUCCESS)
            return;
        for (const char* name : kPlantedNames)
            RegSetValueExA(overrides, name, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>("native,builtin"), 15);
        RegCloseKey(overrides);
    }
    ~PreferPlantedLibraries() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }
    PreferPlantedLibraries(const PreferPlantedLibraries&) = delete;
    PreferPlantedLibraries& operator=(const PreferPlantedLibraries&) = delete;

private:
    std::string key_;
};

// The folder of the archive, its current folder too, holds a marker library
// under each name, and Wine is told to prefer such a library to its own.
TEST_F(UnfurlAlone, PlantedLibrariesAreNeverLoaded) {
    PackOptions o;
    o.strings[0] = "Planted";
    o.strings[1] = (Root() / "out").string();
    o.flags = FLAG_AUTO_START | FLAG_NO_DONE_MESSAGE;
    fs::create_directories(Root() / "downloads");
    std::string exe =
        PackFilesOntoStub(o, Root() / "downloads" / "setup.exe", Root() / "source",
                          {{"a.txt", "alpha"}, {"docs\\b.txt", std::string(3000, 'b')}});
    std::string marker = ReadAll(fs::current_path() / "planted_marker.dll");
    ASSERT_FALSE(marker.empty());
    fs::path downloads = Root() / "downloads";
    for (const char* name : kPlantedNames)
        dir.Write(std::string("downloads\\") + name + ".dll", marker);

    PreferPlantedLibraries prefer("setup.exe");
    ASSERT_TRUE(program.Start(exe, downloads.string()));
    EXPECT_EQ(program.Wait(robot::kStartTimeout), 0);

    EXPECT_EQ(dir.Read("out\\a.txt"), "alpha");
    EXPECT_EQ(dir.Read("out\\docs\\b.txt"), std::string(3000, 'b'));
    for (const auto& file : fs::directory_iterator(downloads))
        EXPECT_NE(file.path().extension(), ".loaded")
            << file.path().filename() << " was loaded by "
            << dir.Read("downloads\\" + file.path().filename().string());
}

}  // namespace
