// Names in Japanese, Cyrillic, Greek, accented Latin and emoji, in nested
// folders, under Wine: archives made by 7-Zip and Info-ZIP on the build
// machine and by sfxpack's packer are extracted by unfurl.exe into a
// destination with such names, taken from the environment, and make exactly
// the names and contents of the tree. sfxpack.exe, given such a destination
// on its command line, does the same with one of them and lists it; how it
// reads every peer's names is tested natively.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "Pack.h"
#include "SFXDefs.h"
#include "support/NameTree.h"
#include "support/StubArchive.h"
#include "support/TempFolder.h"
#include "support/WideProcess.h"
#include "sys/WideText.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;

namespace {

// "Ziel ü 日本": a destination the ANSI code page cannot hold.
constexpr const char* kDestination = "Ziel \xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC";

fs::path Utf8Path(const std::string& text) { return fs::u8path(text); }

std::string Utf8Of(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// How an archive is made: the peer's file wrapped with --zip, or packed by
// sfxpack from the tree.
struct Way {
    const char* what;
    const char* zip;   // in the peers' folder; nullptr: packed from the tree
    bool bySfxpack;    // sfxpack.exe extracts and lists it too
};

// One case per way, so that each reports before the next starts: under
// emulation every program started takes about a minute.
class UnicodeNames : public ::testing::TestWithParam<Way> {
protected:
    TempFolder dir;
    fs::path Root() const { return fs::path(dir.Path()); }
    static fs::path Peers() { return fs::current_path().parent_path() / "names"; }
};

TEST_P(UnicodeNames, ExtractWithExactNames) {
    const Way& way = GetParam();
    const FileTree expected = NameTree(NAME_TREE);
    ASSERT_EQ(FilesUnder(Peers() / "tree"), expected) << "the peers' archives were not made";
    PackOptions o;
    o.strings[0] = "Names";
    o.strings[1] = "%NAMES_OUT%";
    o.flags = FLAG_AUTO_START | FLAG_NO_DONE_MESSAGE | FLAG_EXPAND_ENV;
    o.overwriteMode = OVERWRITE_ALWAYS;
    if (way.zip)
        o.zip = (Peers() / way.zip).string();
    else
        o.paths = {(Peers() / "tree").string()};
    const std::string archive = PackOntoStub(o, Root() / "names.exe");
    ASSERT_FALSE(archive.empty());

    fs::path byStub = Root() / Utf8Path(kDestination) / "unfurl";
    SetEnvironmentVariableW(L"NAMES_OUT", WideText(Utf8Of(byStub)));
    robot::Process program;
    fs::create_directories(Root() / "cwd");
    ASSERT_TRUE(program.Start(archive, (Root() / "cwd").string()));
    SetEnvironmentVariableW(L"NAMES_OUT", nullptr);
    EXPECT_EQ(program.Wait(robot::kStartTimeout), 0);
    EXPECT_EQ(FilesUnder(byStub), expected);
    if (!way.bySfxpack)
        return;

    std::string sfxpack = "\"" + Utf8Of(fs::current_path() / "sfxpack.exe") + "\" ";
    fs::path byTool = Root() / Utf8Path(kDestination) / "sfxpack";
    WideProcessEnd extracted =
        RunWideCommand(sfxpack + "extract \"" + archive + "\" \"" + Utf8Of(byTool) + "\"",
                       robot::kStartTimeout, Root() / "extract.log");
    EXPECT_EQ(extracted.code, 0) << extracted.out;
    EXPECT_EQ(FilesUnder(byTool), expected);

    // The list names them in UTF-8, with the stub's backslashes. It writes to
    // a file of its own: Wine may still hold the last one for a moment.
    WideProcessEnd list = RunWideCommand(sfxpack + "list \"" + archive + "\"",
                                         robot::kStartTimeout, Root() / "list.log");
    ASSERT_EQ(list.code, 0) << list.out;
    const std::string& listed = list.out;
    for (const auto& [name, text] : expected) {
        std::string backslashed = name;
        for (char& c : backslashed)
            if (c == '/')
                c = '\\';
        EXPECT_NE(listed.find(backslashed + "\t"), std::string::npos) << name << "\n" << listed;
    }
}

INSTANTIATE_TEST_SUITE_P(Peers, UnicodeNames,
                         ::testing::Values(Way{"SevenZip", "7z.zip", false},
                                           Way{"InfoZip", "infozip.zip", false},
                                           Way{"Sfxpack", nullptr, true}),
                         [](const ::testing::TestParamInfo<Way>& info) {
                             return std::string(info.param.what);
                         });

}  // namespace
