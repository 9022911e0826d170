// "sfxpack extract" against Info-ZIP unzip on archives of Info-ZIP zip and
// 7-Zip, its password and overwrite options, spanned archives written by
// "pack --volume-size", entry names that point outside the destination, and
// zip bombs: records sharing one block, entries larger than declared.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <filesystem>
#include <random>

#include <zlib.h>

#include "SfxPackFixture.h"
#include "support/DeflateBitWriter.h"
#include "support/RandomBytes.h"

namespace {

namespace fs = std::filesystem;

struct FileState {
    std::string bytes;
    long long mtime;
};

// Every regular file under 'root' by its relative name.
std::map<std::string, FileState> Tree(const std::string& root) {
    std::map<std::string, FileState> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file())
            continue;
        struct stat info;
        stat(it->path().c_str(), &info);
        files[fs::relative(it->path(), root).generic_string()] = {ReadNative(it->path()),
                                                                   info.st_mtime};
    }
    return files;
}

bool HaveCommand(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

class ExtractCommand : public SfxPackProgram {
protected:
    void MakeTree() const {
        std::string text;
        for (int i = 0; i < 3000; ++i)
            text += "line " + std::to_string(i) + " of a text that packs well\r\n";
        temp.Write("tree/readme.txt", text);
        temp.Write("tree/bin/tool.dat", RandomBytes(100000, 7));
        temp.Write("tree/bin/deep/er/empty.txt", "");
        temp.Write("tree/docs/note.txt", "a note");
        Shell("touch -d '2019-03-04 05:06:07' " + Native("tree/readme.txt") + " " +
              Native("tree/docs/note.txt"));
        Shell("touch -d '2003-11-30 23:59:59' " + Native("tree/bin/tool.dat"));
    }
    int Shell(const std::string& command) const {
        return std::system(("cd " + Native() + " && " + command + " >/dev/null 2>&1").c_str());
    }
    void ExpectSameTrees(const std::string& expected, const std::string& actual) const {
        auto want = Tree(Native(expected)), got = Tree(Native(actual));
        ASSERT_FALSE(want.empty());
        ASSERT_EQ(got.size(), want.size());
        for (const auto& [name, state] : want) {
            ASSERT_TRUE(got.count(name)) << name;
            EXPECT_EQ(got[name].bytes, state.bytes) << name;
            EXPECT_LE(std::llabs(got[name].mtime - state.mtime), 2) << name;
        }
    }
};

TEST_F(ExtractCommand, ArchivesOfOtherToolsExtractAsUnzipExtractsThem) {
    MakeTree();
    struct Case {
        const char* tool;
        const char* command;   // run inside "tree", writing ../in.zip
        const char* password;
    } cases[] = {
        {"zip", "zip -q -r ../in.zip .", ""},
        {"zip", "zip -q -r -e -P s3cret ../in.zip .", "s3cret"},
        {"zip", "echo 'an archive comment' | zip -q -r -z ../in.zip .", ""},
        {"zip", "zip -q -r -0 ../in.zip .", ""},
        {"7z", "7z a -tzip -bd ../in.zip .", ""},
        {"7z", "7z a -tzip -bd -ps3cret ../in.zip .", "s3cret"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        if (!HaveCommand(c.tool)) {
            ADD_FAILURE() << c.tool << " is not installed";
            continue;
        }
        Shell("rm -rf in.zip ref out sfx.exe");
        ASSERT_EQ(Shell(std::string("cd tree && ") + c.command), 0);
        std::string pw = *c.password ? std::string(" -P ") + c.password : "";
        ASSERT_EQ(Shell("unzip -q" + pw + " in.zip -d ref"), 0);
        ASSERT_EQ(Pack("--zip in.zip").exitCode, 0);
        std::string option = *c.password ? std::string(" --password ") + c.password : "";
        Result extract = Run("extract sfx.exe out" + option);
        EXPECT_EQ(extract.exitCode, 0) << extract.err;
        EXPECT_EQ(extract.err, "");
        ExpectSameTrees("ref", "out");
    }
}

TEST_F(ExtractCommand, PackedTreesComeBackWholeWithTheirTimes) {
    MakeTree();
    for (const char* options : {"", "--store", "--password pw", "--level 9"}) {
        SCOPED_TRACE(options);
        Shell("rm -rf out");
        ASSERT_EQ(Pack(std::string(options) + " tree").exitCode, 0);
        std::string option = std::string(options) == "--password pw" ? " --password pw" : "";
        Result extract = Run("extract sfx.exe out" + option);
        EXPECT_EQ(extract.exitCode, 0) << extract.err;
        ExpectSameTrees("tree", "out");
    }
}

TEST_F(ExtractCommand, AMissingOrWrongPasswordFailsTheRun) {
    MakeTree();
    ASSERT_EQ(Pack("--password right tree").exitCode, 0);
    for (const char* option : {"", " --password wrong"}) {
        SCOPED_TRACE(option);
        Shell("rm -rf out");
        Result extract = Run(std::string("extract sfx.exe out") + option);
        EXPECT_EQ(extract.exitCode, 1);
        EXPECT_NE(extract.err.find("missing or wrong password for "), std::string::npos)
            << extract.err;
        // A wrong password passes the one-byte check of an entry now and
        // then (1 in 256); that entry then decodes to damage, which is
        // reported by name. Nothing comes out as if the password were right;
        // an empty file holds nothing a password could get wrong.
        auto source = Tree(Native("tree"));
        for (const auto& [name, state] : Tree(Native("out"))) {
            if (source[name].bytes.empty() && state.bytes.empty())
                continue;
            std::string leaf = fs::path(name).filename().string();
            EXPECT_NE(extract.err.find(leaf), std::string::npos) << name << "\n" << extract.err;
            if (!state.bytes.empty())
                EXPECT_NE(state.bytes, source[name].bytes) << name;
        }
    }
}

TEST_F(ExtractCommand, OverwriteOptionDecidesAboutExistingFiles) {
    temp.Write("tree/a.txt", "from the archive");
    ASSERT_EQ(Pack("--overwrite ask tree").exitCode, 0);
    struct Case {
        const char* option;
        int exitCode;
        const char* contents;
    } cases[] = {
        {" --overwrite never", 1, "already there"},
        {"", 1, "already there"},   // the header asks; the console keeps the file
        {" --overwrite always", 0, "from the archive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        temp.Write("out/a.txt", "already there");
        Result extract = Run(std::string("extract sfx.exe out") + c.option);
        EXPECT_EQ(extract.exitCode, c.exitCode) << extract.err;
        EXPECT_EQ(temp.Read("out/a.txt"), c.contents);
    }
}

TEST_F(ExtractCommand, VolumeSizeWritesNumberedVolumesBesideTheStub) {
    MakeTree();
    Result pack = Pack("--volume-size 20000 tree");
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    auto volume = [](int number) {
        char name[32];
        std::snprintf(name, sizeof name, "sfx%03d.vol", number);
        return std::string(name);
    };
    std::vector<size_t> sizes;
    for (int d = 1; temp.Exists(volume(d)); ++d)
        sizes.push_back(temp.Read(volume(d)).size());
    ASSERT_GE(sizes.size(), 3u);
    for (size_t i = 0; i + 1 < sizes.size(); ++i)
        EXPECT_EQ(sizes[i], 20000u);
    EXPECT_LT(temp.Read("sfx.exe").size(), 2000u);
    Result list = Run("list sfx.exe");
    EXPECT_NE(list.out.find("flags: 0x0400 spanned\n"), std::string::npos) << list.out;

    Result extract = Run("extract sfx.exe out");
    EXPECT_EQ(extract.exitCode, 0) << extract.err;
    ExpectSameTrees("tree", "out");

    Shell("rm sfx002.vol");
    Result missing = Run("extract sfx.exe out2");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("No se puede abrir "), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("sfx002.vol"), std::string::npos) << missing.err;
}

TEST_F(ExtractCommand, NamesPointingOutsideTheDestinationWriteNothingThere) {
    // An absolute name inside the temporary folder, outside the destination.
    std::string absolute = temp.Native() + "/absolute.txt";
    std::vector<std::string> names = {"../up.txt",       "..\\up2.txt", "C:\\drive.txt",
                                      "\\\\server\\share\\unc.txt", absolute,
                                      "sub/../../up3.txt"};
    ZipBuilder zip;
    for (const std::string& name : names) {
        ZipEntrySpec e;   // never read: the names are refused first
        e.name = name;
        e.data = "escaped";
        e.uncompressedSize = 7;
        zip.entries.push_back(e);
    }
    temp.Write("slip.zip", zip.Build());
    ASSERT_EQ(Pack("--zip slip.zip").exitCode, 0);
    Result extract = Run("extract sfx.exe dest/inner");
    EXPECT_EQ(extract.exitCode, 1);
    for (const std::string& name : names) {
        std::string listed = name;
        std::replace(listed.begin(), listed.end(), '/', '\\');
        EXPECT_NE(extract.err.find("Error en directorio " + listed + "\n"), std::string::npos)
            << listed << "\n" << extract.err;
    }
    EXPECT_TRUE(Tree(Native("dest")).empty());
    for (const char* file : {"up.txt", "up2.txt", "up3.txt", "drive.txt", "unc.txt", "absolute.txt"})
        EXPECT_FALSE(temp.Exists(file)) << file;
    EXPECT_FALSE(temp.Exists("dest/up.txt"));
}

// Names Windows would open as devices or could not hold are refused on every
// host, though Linux could write them; the other entries are extracted.
TEST_F(ExtractCommand, ReservedAndUnfitWindowsNamesAreRefused) {
    const std::vector<std::string> refused = {"CON",    "nul.txt", "Aux.c",        "COM1.log",
                                              "lpt9",   "dir/PRN.txt", "trail.",   "space ",
                                              "bad|pipe.txt", "q?.txt", "star*.txt"};
    const std::map<std::string, std::string> ordinary = {
        {"readme.txt", "read me"}, {"dir/notes.txt", "notes"}, {"console.txt", "not a device"},
        {"com10.log", "ten"}};
    // Linux holds all of these names, so Info-ZIP packs them as they are.
    for (const std::string& name : refused)
        temp.Write("names/" + name, "device");
    for (const auto& [name, data] : ordinary)
        temp.Write("names/" + name, data);
    ASSERT_EQ(Shell("cd names && zip -q -r ../names.zip ."), 0);
    std::map<std::string, std::string> expected;
    for (const auto& [name, data] : ordinary)
        expected[name] = data;

    ASSERT_EQ(Pack("--zip names.zip").exitCode, 0);
    Result extract = Run("extract sfx.exe dest");
    EXPECT_EQ(extract.exitCode, 1);
    std::map<std::string, std::string> written;
    for (const auto& [name, state] : Tree(Native("dest")))
        written[name] = state.bytes;
    EXPECT_EQ(written, expected);
    for (std::string name : refused) {
        std::replace(name.begin(), name.end(), '/', '\\');
        EXPECT_NE(extract.err.find("Error en directorio " + name + "\n"), std::string::npos)
            << name << "\n" << extract.err;
    }
}

// A deflated entry of 5 MB of zeros in 32 KB, with its true CRC.
ZipEntrySpec FiveMegabytesOfZeros(const std::string& name, uint32_t declared) {
    const unsigned matches = 20000;
    std::string zeros(1 + 258 * matches, '\0');
    ZipEntrySpec e;
    e.name = name;
    e.data = ZeroRunStream(matches);
    e.method = 8;
    e.crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(zeros.size())));
    e.uncompressedSize = declared;
    return e;
}

TEST_F(ExtractCommand, ThreeRecordsOfOneBlockWriteOneFile) {
    ZipBuilder zip;
    zip.entries = {FiveMegabytesOfZeros("a.bin", 1 + 258 * 20000), ZipEntrySpec(), ZipEntrySpec()};
    zip.entries[1].name = "b.bin";
    zip.entries[1].aliasOf = 0;
    zip.entries[2].name = "c.bin";
    zip.entries[2].aliasOf = 0;
    temp.Write("bomb.zip", zip.Build());
    ASSERT_EQ(Pack("--zip bomb.zip").exitCode, 0);
    Result extract = Run("extract sfx.exe out");
    EXPECT_EQ(extract.exitCode, 1);
    auto files = Tree(Native("out"));
    EXPECT_LE(files.size(), 1u);
    for (const std::string name : {"b.bin", "c.bin"}) {
        size_t report = extract.err.find("Error de CRC32 en ");
        while (report != std::string::npos &&
               extract.err.compare(extract.err.find('\n', report) - name.size(), name.size(),
                                   name) != 0)
            report = extract.err.find("Error de CRC32 en ", report + 1);
        EXPECT_NE(report, std::string::npos) << name << "\n" << extract.err;
        EXPECT_NE(extract.err.find("not extracted: " + name), std::string::npos) << extract.err;
    }
}

TEST_F(ExtractCommand, EntryInflatingBeyondItsDeclaredSizeWritesNoMore) {
    ZipBuilder zip;
    zip.entries = {FiveMegabytesOfZeros("big.bin", 1000)};
    temp.Write("bomb.zip", zip.Build());
    ASSERT_EQ(Pack("--zip bomb.zip").exitCode, 0);
    Result extract = Run("extract sfx.exe out");
    EXPECT_EQ(extract.exitCode, 1);
    EXPECT_LE(ReadNative(Native("out/big.bin")).size(), 1000u);
    EXPECT_NE(extract.err.find("Error de CRC32 en "), std::string::npos) << extract.err;
    EXPECT_NE(extract.err.find("big.bin"), std::string::npos) << extract.err;
}

TEST_F(ExtractCommand, BadUsageExitsWithTwo) {
    temp.Write("f.txt", "x");
    for (const char* args : {"extract", "extract sfx.exe", "extract a b c",
                             "extract sfx.exe out --overwrite ask", "extract sfx.exe out --password",
                             "pack -o x.exe --stub stub.exe --volume-size 10 f.txt",
                             "pack -o x.exe --stub stub.exe --volume-size 4096 --zip f.txt"})
        EXPECT_EQ(Run(args).exitCode, 2) << args;
}

// Messages of the extraction core name paths as the host writes them and
// reach the terminal in its encoding, though the core holds Windows paths
// and Windows-1252 texts.
TEST_F(ExtractCommand, MessagesShowHostPathsInTheTerminalsEncoding) {
    ZipBuilder zip;
    ZipEntrySpec bad;
    bad.name = "text.txt";
    bad.data = "stored text";
    bad.uncompressedSize = static_cast<uint32_t>(bad.data.size());
    bad.crc = 0x12345678;  // not the text's
    zip.entries.push_back(bad);
    temp.Write("bad.zip", zip.Build());
    ASSERT_EQ(Pack("--zip bad.zip").exitCode, 0);
    setenv("LC_ALL", "C.UTF-8", 1);
    Result crc = Run("extract sfx.exe out");
    EXPECT_NE(crc.exitCode, 0);
    EXPECT_NE(crc.err.find("Error de CRC32 en " + Native("out/text.txt") + "\n"),
              std::string::npos)
        << crc.err;
    EXPECT_EQ(crc.err.find("Z:"), std::string::npos) << crc.err;

    ZipBuilder odd;
    ZipEntrySpec unknown;
    unknown.name = "odd.bin";
    unknown.method = 99;
    unknown.data = "????";
    unknown.uncompressedSize = 4;
    odd.entries.push_back(unknown);
    temp.Write("odd.zip", odd.Build());
    ASSERT_EQ(Pack("--zip odd.zip").exitCode, 0);
    Result method = Run("extract sfx.exe out2");
    unsetenv("LC_ALL");
    EXPECT_NE(method.err.find("Tipo de compresi\xc3\xb3n desconocida"), std::string::npos)
        << method.err;
}

}  // namespace
