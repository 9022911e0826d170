// Names in Japanese, Cyrillic, Greek, accented Latin and emoji, in nested
// folders, under Wine: archives made by 7-Zip and Info-ZIP on the build
// machine and by sfxpack's packer are extracted by unfurl.exe into a
// destination with such names, taken from the environment, and by
// sfxpack.exe given one on its command line; both make exactly the names
// and contents of the tree.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "Pack.h"
#include "support/NameTree.h"
#include "support/TempFolder.h"
#include "sys/WideText.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;

namespace {

constexpr uint16_t kAutoStart = 0x0008, kNoDoneMessage = 0x0010, kExpandEnv = 0x0020;
// "Ziel ü 日本": a destination the ANSI code page cannot hold.
constexpr const char* kDestination = "Ziel \xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC";

fs::path Utf8Path(const std::string& text) { return fs::u8path(text); }

std::string Utf8Of(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a command line given in UTF-8 through the wide API, its standard
// output and error into 'output'; the exit code, or -1 when it did not end.
int RunWide(const std::string& commandLine, const fs::path& output) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = file;
    PROCESS_INFORMATION started{};
    WideText line(commandLine);
    BOOL ok = CreateProcessW(nullptr, line, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &startup, &started);
    CloseHandle(file);
    if (!ok)
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    DWORD wait = static_cast<DWORD>(robot::kStartTimeout.count() * 1000);
    if (WaitForSingleObject(started.hProcess, wait) == WAIT_OBJECT_0)
        GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return static_cast<int>(code);
}

// How an archive is made: the peer's file wrapped with --zip, or packed by
// sfxpack from the tree.
struct Way {
    const char* what;
    const char* zip;   // in the peers' folder; nullptr: packed from the tree
};

// One case per way, so that each reports before the next starts: under
// emulation every program started takes about a minute.
class UnicodeNames : public ::testing::TestWithParam<Way> {
protected:
    TempFolder dir;
    fs::path Root() const { return fs::path(dir.Path()); }
    static fs::path Peers() { return fs::current_path().parent_path() / "names"; }
};

TEST_P(UnicodeNames, UnfurlAndSfxpackListAndExtractExactNames) {
    const Way& way = GetParam();
    const FileTree expected = NameTree(NAME_TREE);
    ASSERT_EQ(FilesUnder(Peers() / "tree"), expected) << "the peers' archives were not made";
    PackOptions o;
    o.output = (Root() / "names.exe").string();
    o.stub = (fs::current_path() / "unfurl.exe").string();
    o.strings[0] = "Names";
    o.strings[1] = "%NAMES_OUT%";
    o.flags = kAutoStart | kNoDoneMessage | kExpandEnv;
    o.overwriteMode = 0;
    if (way.zip)
        o.zip = (Peers() / way.zip).string();
    else
        o.paths = {(Peers() / "tree").string()};
    std::ostringstream err;
    ASSERT_EQ(RunPack(o, err), 0) << err.str();

    fs::path byStub = Root() / Utf8Path(kDestination) / "unfurl";
    SetEnvironmentVariableW(L"NAMES_OUT", WideText(Utf8Of(byStub)));
    robot::Process program;
    fs::create_directories(Root() / "cwd");
    ASSERT_TRUE(program.Start(o.output, (Root() / "cwd").string()));
    SetEnvironmentVariableW(L"NAMES_OUT", nullptr);
    EXPECT_EQ(program.Wait(robot::kStartTimeout), 0);
    EXPECT_EQ(FilesUnder(byStub), expected);

    std::string sfxpack = "\"" + Utf8Of(fs::current_path() / "sfxpack.exe") + "\" ";
    fs::path byTool = Root() / Utf8Path(kDestination) / "sfxpack";
    fs::path log = Root() / "extract.log";
    EXPECT_EQ(RunWide(sfxpack + "extract \"" + o.output + "\" \"" + Utf8Of(byTool) + "\"", log), 0)
        << ReadAll(log);
    EXPECT_EQ(FilesUnder(byTool), expected);

    // The list names them in UTF-8, with the stub's backslashes. It writes to
    // a file of its own: Wine may still hold the last one for a moment.
    fs::path listLog = Root() / "list.log";
    ASSERT_EQ(RunWide(sfxpack + "list \"" + o.output + "\"", listLog), 0) << ReadAll(listLog);
    std::string listed = ReadAll(listLog);
    for (const auto& [name, text] : expected) {
        std::string backslashed = name;
        for (char& c : backslashed)
            if (c == '/')
                c = '\\';
        EXPECT_NE(listed.find(backslashed + "\t"), std::string::npos) << name << "\n" << listed;
    }
}

INSTANTIATE_TEST_SUITE_P(Peers, UnicodeNames,
                         ::testing::Values(Way{"SevenZip", "7z.zip"}, Way{"InfoZip", "infozip.zip"},
                                           Way{"Sfxpack", nullptr}),
                         [](const ::testing::TestParamInfo<Way>& info) {
                             return std::string(info.param.what);
                         });

}  // namespace
