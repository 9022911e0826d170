// Extraction runs through a scripted host into a temporary folder: folders,
// overwrite modes, passwords, unknown methods, CRC errors, cancelling,
// second runs, refused entry names and file times, entries whose size is
// not the declared one and records that share their bytes.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "SFXCrypt.h"
#include "SFXDirectory.h"
#include "SFXExtract.h"
#include "UnfurlFixture.h"
#include "support/DeflateBitWriter.h"
#include "support/TempFolder.h"
#include "support/ZipBuilder.h"

namespace {

namespace fs = std::filesystem;

const char* const kPassword = "open sesame";

ZipEntrySpec Stored(const std::string& name, const std::string& data) {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    e.crc = CrcOf(data);
    e.uncompressedSize = static_cast<uint32_t>(data.size());
    return e;
}

// The entry's data behind a 12-byte encryption header whose check byte is
// the CRC's high byte.
ZipEntrySpec Encrypted(const std::string& name, const std::string& data,
                       const std::string& password = kPassword) {
    ZipEntrySpec e = Stored(name, data);
    std::string plain = "0123456789A" + std::string(1, static_cast<char>(e.crc >> 24)) + data;
    InitKeys(password);
    for (char& c : plain) {
        uint8_t p = static_cast<uint8_t>(c);
        c = static_cast<char>(p ^ DecryptByte());
        UpdateKeys(p);
    }
    e.data = plain;
    e.flags = kEntryEncrypted;
    return e;
}

class ExtractingEntries : public UnfurlTest {
protected:
    TempFolder temp;
    std::string out = "out";

    void SetUp() override {
        UnfurlTest::SetUp();
        Vars.Destination = temp.File(out);
    }
    // A new start in a new destination, for the next case of a table.
    void NextCase(int number) {
        host = ScriptedHost();
        system = TestSystem();
        out = "out" + std::to_string(number);
        SetUp();
    }
    // Lists the archive with every item selected, as the dialog leaves it.
    void Load(const ZipBuilder& zip, uint8_t mode = OVERWRITE_ALWAYS) {
        OpenArchive(zip.Build());
        Vars.Header.SetOverwriteMode(mode);
        ReadDirectory();
        for (auto& item : host.items)
            item.selected = true;
    }
    std::string Out(const std::string& name) const { return temp.Read(out + "/" + name); }
    bool OutExists(const std::string& name) const { return temp.Exists(out + "/" + name); }
    std::string Target(const std::string& name) const { return temp.File(out + "\\" + name); }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : host.messages)
            texts.push_back(m.text);
        return texts;
    }
};

using Names = std::vector<std::string>;

TEST_F(ExtractingEntries, FoldersAreCreatedOuterFirstAndTheDestinationWithThem) {
    ZipBuilder zip;
    zip.entries = {Stored("a/b/deep.txt", "deep"), Stored("top.txt", "top")};
    Load(zip);
    EXPECT_TRUE(ExtractRun());
    EXPECT_EQ(system.created, (Names{temp.File("out"), Target("a"), Target("a\\b")}));
    EXPECT_EQ(Out("a/b/deep.txt"), "deep");
    EXPECT_EQ(Out("top.txt"), "top");
    EXPECT_TRUE(host.Selected().empty());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.range, 2u);
    EXPECT_EQ(host.positions, (std::vector<uint32_t>{0, 1, 2}));
}

TEST_F(ExtractingEntries, OverwriteModesDecideAboutExistingFiles) {
    struct Case {
        uint8_t mode;
        std::deque<int> answers;
        bool overwritten;
        size_t questions;
    } cases[] = {
        {OVERWRITE_ALWAYS, {}, true, 0},
        {OVERWRITE_NEVER, {}, false, 0},
        {OVERWRITE_ASK, {2}, false, 1},
        {OVERWRITE_ASK, {1}, true, 1},
        {OVERWRITE_ASK, {6}, true, 1},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << " questions " << c.questions);
        NextCase(++number);
        temp.Write(out + "/file.txt", "the old and longer contents");
        ZipBuilder zip;
        zip.entries = {Stored("file.txt", "new"), Stored("other.txt", "other")};
        Load(zip, c.mode);
        host.overwriteAnswers = c.answers;
        bool all = ExtractRun();
        EXPECT_EQ(all, c.overwritten);
        EXPECT_EQ(Out("file.txt"), c.overwritten ? "new" : "the old and longer contents");
        EXPECT_EQ(Out("other.txt"), "other");
        EXPECT_EQ(host.overwriteAsked, Names(c.questions, Target("file.txt")));
        EXPECT_EQ(host.Selected(), c.overwritten ? Names{} : Names{"file.txt"});
        EXPECT_EQ(host.scrolledTo, c.overwritten ? -1 : 0);
    }
}

TEST_F(ExtractingEntries, OnePasswordServesEveryEncryptedEntry) {
    ZipBuilder zip;
    zip.entries = {Encrypted("one.txt", "first secret"), Stored("plain.txt", "plain"),
                   Encrypted("two.txt", "second secret")};
    Load(zip);
    host.passwordAnswers = {{1, kPassword}};
    EXPECT_TRUE(ExtractRun());
    EXPECT_EQ(Out("one.txt"), "first secret");
    EXPECT_EQ(Out("two.txt"), "second secret");
    EXPECT_EQ(host.passwordAsked, Names{Target("one.txt")});
    EXPECT_EQ(host.beeps, 0);
    EXPECT_EQ(Vars.CurrentPassword, kPassword);

    // The password is kept for the next run: no question at all.
    host.passwordAsked.clear();
    for (auto& item : host.items)
        item.selected = true;
    EXPECT_TRUE(ExtractRun());
    EXPECT_TRUE(host.passwordAsked.empty());
}

TEST_F(ExtractingEntries, RefusedPasswordsAreAskedAgainAtMostThreeTimes) {
    struct Case {
        std::deque<ScriptedHost::PasswordAnswer> answers;
        size_t asked;
        int beeps;
        bool extracted;
        std::string keptPassword;
    } cases[] = {
        {{{1, "wrong"}, {1, kPassword}}, 2, 1, true, kPassword},
        {{{1, "a"}, {1, "b"}, {1, "c"}, {1, kPassword}}, 3, 3, false, "c"},
        {{{1, "a"}, {2, ""}}, 2, 1, false, ""},
        {{{2, ""}}, 1, 0, false, ""},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "questions " << c.asked << " beeps " << c.beeps);
        NextCase(++number);
        ZipBuilder zip;
        zip.entries = {Encrypted("one.txt", "secret"), Stored("after.txt", "after")};
        Load(zip);
        host.passwordAnswers = c.answers;
        EXPECT_EQ(ExtractRun(), c.extracted);
        EXPECT_EQ(host.passwordAsked.size(), c.asked);
        EXPECT_EQ(host.beeps, c.beeps);
        EXPECT_EQ(Vars.CurrentPassword, c.keptPassword);
        // A refused or cancelled password stops the whole run.
        EXPECT_EQ(OutExists("one.txt"), c.extracted);
        EXPECT_EQ(OutExists("after.txt"), c.extracted);
        EXPECT_EQ(host.Selected(), c.extracted ? Names{} : (Names{"one.txt", "after.txt"}));
    }
}

TEST_F(ExtractingEntries, UnknownMethodIsReportedAndTheRunGoesOn) {
    ZipBuilder zip;
    zip.entries = {Stored("odd.bin", "BZh9"), Stored("next.txt", "next")};
    zip.entries[0].method = 12;
    Load(zip);
    EXPECT_FALSE(ExtractRun());
    EXPECT_EQ(MessageTexts(), Names{"Tipo de compresi\xc3\xb3n desconocida"});
    EXPECT_TRUE(host.messages[0].owned);
    EXPECT_EQ(host.messages[0].caption, "Error...");
    EXPECT_FALSE(OutExists("odd.bin"));
    EXPECT_EQ(Out("next.txt"), "next");
    EXPECT_EQ(host.Selected(), Names{"odd.bin"});
}

TEST_F(ExtractingEntries, WrongCrcLeavesTheFileAndReportsIt) {
    ZipBuilder zip;
    zip.entries = {Stored("bad.txt", "contents"), Stored("good.txt", "good")};
    zip.entries[0].crc ^= 1;
    Load(zip);
    EXPECT_FALSE(ExtractRun());
    EXPECT_EQ(MessageTexts(), Names{"Error de CRC32 en " + Target("bad.txt")});
    EXPECT_EQ(Out("bad.txt"), "contents");
    EXPECT_EQ(Out("good.txt"), "good");
    EXPECT_EQ(host.Selected(), Names{"bad.txt"});
}

// A deflated entry of 1 + 258 * matches zero bytes that declares 'declared'.
ZipEntrySpec Zeros(const std::string& name, unsigned matches, uint32_t declared) {
    ZipEntrySpec e;
    e.name = name;
    e.data = ZeroRunStream(matches);
    e.method = kMethodDeflated;
    e.crc = CrcOf(std::string(1 + 258 * matches, '\0'));
    e.uncompressedSize = declared;
    return e;
}

TEST_F(ExtractingEntries, MoreOrFewerBytesThanDeclaredAreReportedAsDamage) {
    ZipEntrySpec stored = Stored("stored.txt", "contents");
    struct Case {
        const char* what;
        ZipEntrySpec entry;
        uint32_t declared;
        std::string written;
    } cases[] = {
        {"stored, longer", stored, 3, "con"},
        {"stored, shorter", stored, 20, "contents"},
        {"deflated, longer", Zeros("zeros.bin", 400, 0), 1000, std::string(1000, '\0')},
        {"deflated, shorter", Zeros("zeros.bin", 4, 0), 2000, std::string(1033, '\0')},
    };
    int number = 0;
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        NextCase(++number);
        c.entry.uncompressedSize = c.declared;
        ZipBuilder zip;
        zip.entries = {c.entry, Stored("next.txt", "next")};
        Load(zip);
        EXPECT_FALSE(ExtractRun());
        EXPECT_EQ(MessageTexts(), Names{"Error de CRC32 en " + Target(c.entry.name)});
        EXPECT_EQ(Out(c.entry.name), c.written);
        EXPECT_EQ(Out("next.txt"), "next");
        EXPECT_EQ(host.Selected(), Names{c.entry.name});
    }
}

TEST_F(ExtractingEntries, RecordsNamingTheBytesOfAnEarlierEntryWriteNothing) {
    ZipBuilder zip;
    ZipEntrySpec first = Zeros("first.bin", 2000, 1 + 258 * 2000);
    ZipEntrySpec second, third;
    second.name = "second.bin";
    second.aliasOf = 0;
    third.name = "sub/third.bin";
    third.aliasOf = 0;
    zip.entries = {first, second, third, Stored("after.txt", "after")};
    Load(zip);
    EXPECT_FALSE(ExtractRun());
    EXPECT_EQ(MessageTexts(), (Names{"Error de CRC32 en " + Target("second.bin"),
                                     "Error de CRC32 en " + Target("sub\\third.bin")}));
    EXPECT_EQ(Out("first.bin"), std::string(1 + 258 * 2000, '\0'));
    EXPECT_FALSE(OutExists("second.bin"));
    EXPECT_FALSE(OutExists("sub"));
    EXPECT_EQ(Out("after.txt"), "after");
    EXPECT_EQ(host.Selected(), (Names{"second.bin", "sub\\third.bin"}));
}

TEST_F(ExtractingEntries, ASecondRunExtractsOnlyWhatIsStillSelected) {
    temp.Write("out/kept.txt", "old");
    ZipBuilder zip;
    zip.entries = {Stored("kept.txt", "new"), Stored("done.txt", "done")};
    Load(zip, OVERWRITE_NEVER);
    EXPECT_FALSE(ExtractRun());
    EXPECT_EQ(Out("kept.txt"), "old");
    temp.Write("out/done.txt", "changed after the first run");
    Vars.Header.SetOverwriteMode(OVERWRITE_ALWAYS);
    EXPECT_TRUE(ExtractRun());
    EXPECT_EQ(Out("kept.txt"), "new");
    EXPECT_EQ(Out("done.txt"), "changed after the first run");
}

TEST_F(ExtractingEntries, CancelIsNoticedBeforeEachItemAndBeforeEachFile) {
    struct Case {
        int cancelAtPump;
        Names written;
    } cases[] = {
        {1, {}},          // before the first item
        {2, {}},          // before the first file is created
        {3, {"a.txt"}},   // before the second item
        {-1, {"a.txt", "b.txt"}},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cancelAtPump);
        NextCase(++number);
        ZipBuilder zip;
        zip.entries = {Stored("a.txt", "a"), Stored("b.txt", "b")};
        Load(zip);
        host.cancelAtPump = c.cancelAtPump;
        EXPECT_EQ(ExtractRun(), c.cancelAtPump < 0);
        Names written;
        for (const char* name : {"a.txt", "b.txt"})
            if (OutExists(name))
                written.push_back(name);
        EXPECT_EQ(written, c.written);
    }
}

TEST_F(ExtractingEntries, NamesLeavingTheDestinationAreRefusedAndTheRunGoesOn) {
    const char* refused[] = {"../up.txt",         "..\\up2.txt", "a/../../up3.txt",
                             "C:\\drive.txt",      "C:drive2.txt", "\\\\server\\share\\unc.txt",
                             "/absolute.txt",      "a/.. /up4.txt", "...\\up5.txt"};
    ZipBuilder zip;
    for (const char* name : refused)
        zip.entries.push_back(Stored(name, "outside"));
    zip.entries.push_back(Stored("inside/ok.txt", "inside"));
    Load(zip);
    EXPECT_FALSE(ExtractRun());
    EXPECT_EQ(Out("inside/ok.txt"), "inside");

    Names expected, messages;
    for (const auto& item : host.items)
        if (item.name != "inside\\ok.txt")
            expected.push_back(item.name);
    EXPECT_EQ(host.Selected(), expected);
    for (const std::string& name : expected)
        messages.push_back("Error en directorio " + name);
    EXPECT_EQ(MessageTexts(), messages);
    // Nothing beside the destination or anywhere above it.
    std::vector<std::string> found;
    for (const auto& file : fs::recursive_directory_iterator(temp.Native()))
        found.push_back(file.path().filename().string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"inside", "ok.txt", "out"}));
    for (const char* name : {"up.txt", "up2.txt", "up3.txt", "up4.txt", "up5.txt"})
        EXPECT_FALSE(fs::exists(fs::temp_directory_path() / name)) << name;
}

TEST_F(ExtractingEntries, AFolderThatCannotBeMadeStopsTheRun) {
    temp.Write("out/blocked", "a file where a folder should be");
    ZipBuilder zip;
    zip.entries = {Stored("blocked/x.txt", "x"), Stored("later.txt", "later")};
    Load(zip);
    EXPECT_FALSE(ExtractRun());
    EXPECT_EQ(MessageTexts(), Names{"Error en directorio " + Target("blocked")});
    EXPECT_FALSE(OutExists("later.txt"));
    EXPECT_EQ(host.Selected(), (Names{"blocked\\x.txt", "later.txt"}));
}

TEST_F(ExtractingEntries, AnOutputFileThatCannotBeCreatedIsSkipped) {
    temp.Write("out/taken/inner.txt", "a folder holds the target's name");
    ZipBuilder zip;
    zip.entries = {Stored("taken", "x"), Stored("later.txt", "later")};
    Load(zip);
    EXPECT_FALSE(ExtractRun());
    EXPECT_EQ(MessageTexts(), Names{"Error escribiendo " + Target("taken")});
    EXPECT_EQ(Out("later.txt"), "later");
    EXPECT_EQ(host.Selected(), Names{"taken"});
}

// Files whose close fails, as on a full network drive.
class FailingCloseSystem : public TestSystem {
public:
    std::unique_ptr<SfxFile> CreateWrite(const std::string& path) override {
        struct File : MemoryFile {
            bool Close() override { return false; }
        };
        written.push_back(path);
        return std::make_unique<File>();
    }
    Names written;
};

TEST_F(ExtractingEntries, AFailedCloseIsReportedAndTheItemStaysSelected) {
    FailingCloseSystem failing;
    Vars.system = &failing;
    ZipBuilder zip;
    zip.entries = {Stored("a.txt", "a"), Stored("b.txt", "b")};
    Load(zip);
    EXPECT_FALSE(ExtractRun());
    EXPECT_EQ(failing.written, (Names{Target("a.txt"), Target("b.txt")}));
    EXPECT_EQ(MessageTexts(), (Names{"No se puede cerrar " + Target("a.txt"),
                                     "No se puede cerrar " + Target("b.txt")}));
    EXPECT_EQ(host.Selected(), (Names{"a.txt", "b.txt"}));
}

// Files that take two bytes, as on a full disk.
class FullDiskSystem : public TestSystem {
public:
    std::unique_ptr<SfxFile> CreateWrite(const std::string& path) override {
        written.push_back(path);
        auto file = std::make_unique<MemoryFile>();
        file->LimitWrites(2);
        return file;
    }
    Names written;
};

// A full disk ends the program with the write error naming the file,
// whether the entry is stored or deflated; the next entry is not started.
TEST_F(ExtractingEntries, AShortWriteEndsTheProgramWithTheWriteError) {
    int number = 0;
    for (const ZipEntrySpec& entry :
         {Stored("stored.txt", "contents"), Zeros("zeros.bin", 4, 1 + 258 * 4)}) {
        SCOPED_TRACE(entry.name);
        NextCase(++number);
        FullDiskSystem full;
        Vars.system = &full;
        ZipBuilder zip;
        zip.entries = {entry, Stored("next.txt", "next")};
        Load(zip);
        EXPECT_EQ(ExitCodeOf([] { ExtractRun(); }), 1);
        EXPECT_EQ(full.written, Names{Target(entry.name)});
        EXPECT_EQ(MessageTexts(), Names{"Error escribiendo " + Target(entry.name)});
        EXPECT_FALSE(host.messages.at(0).owned);
    }
}

// An archive that ends inside a stored entry is corrupt and ends the
// program; one that ends inside deflated data leaves a damaged entry.
TEST_F(ExtractingEntries, CutInsideStoredDataIsFatalAndInsideDeflatedDataDamage) {
    struct Case {
        ZipEntrySpec entry;
        bool fatal;
    } cases[] = {
        {Stored("stored.txt", "contents"), true},
        {Zeros("zeros.bin", 40, 1 + 258 * 40), false},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry.name);
        NextCase(++number);
        ZipBuilder zip;
        zip.entries = {c.entry};
        Load(zip);
        OpenArchive(zip.Build().substr(0, kLocalHeaderSize + c.entry.name.size() + 3));
        EXPECT_EQ(ExitCodeOf([] { ExtractRun(); }), c.fatal ? 1 : -1);
        EXPECT_EQ(MessageTexts(),
                  Names{c.fatal ? "Archivo corrupto, prueba a descargar el archivo otra vez."
                                : "Error de CRC32 en " + Target(c.entry.name)});
    }
}

TEST_F(ExtractingEntries, ARecordWithoutItsSignatureIsFatal) {
    ZipBuilder zip;
    zip.entries = {Stored("a.txt", "a")};
    Load(zip);
    EntryRecord broken = Vars.EntryTable[0];
    broken.bytes[0] ^= 0xFF;
    bool stop = false;
    EXPECT_EQ(ExitCodeOf([&] { ExtractEntry(Target("a.txt"), broken, stop); }), 1);
    EXPECT_EQ(MessageTexts(), Names{"Error leyendo archivo C:\\dl\\archive.exe"});
    EXPECT_FALSE(host.messages[0].owned);
}

// The file's modification time as local calendar fields.
std::tm LocalModificationTime(const std::string& native) {
    std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::file_clock::to_sys(fs::last_write_time(native)));
    return *std::localtime(&t);
}

TEST_F(ExtractingEntries, TheFileTimeIsTheEntrysLocalDosTime) {
    ZipBuilder zip;
    zip.entries = {Stored("dated.txt", "d"), Stored("undated.txt", "u")};
    zip.entries[0].dosDate = static_cast<uint16_t>(((2011 - 1980) << 9) | (7 << 5) | 14);
    zip.entries[0].dosTime = static_cast<uint16_t>((9 << 11) | (41 << 5) | (36 / 2));
    zip.entries[1].dosDate = static_cast<uint16_t>(((1999 - 1980) << 9) | (13 << 5) | 1);
    Load(zip);
    EXPECT_TRUE(ExtractRun());
    std::string native = temp.Native();
    std::tm dated = LocalModificationTime(native + "/out/dated.txt");
    EXPECT_EQ(dated.tm_year + 1900, 2011);
    EXPECT_EQ(dated.tm_mon + 1, 7);
    EXPECT_EQ(dated.tm_mday, 14);
    EXPECT_EQ(dated.tm_hour, 9);
    EXPECT_EQ(dated.tm_min, 41);
    EXPECT_EQ(dated.tm_sec, 36);
    // Month 13 cannot be converted: the time stays the time of writing.
    EXPECT_GT(LocalModificationTime(native + "/out/undated.txt").tm_year + 1900, 2020);
}

TEST(DosDateTime, FieldsOutOfRangeAreInvalid) {
    auto date = [](int y, int m, int d) { return static_cast<uint16_t>(((y - 1980) << 9) | (m << 5) | d); };
    auto time = [](int h, int m, int s) { return static_cast<uint16_t>((h << 11) | (m << 5) | (s / 2)); };
    struct Case {
        uint16_t date, time;
        bool valid;
    } cases[] = {
        {date(1980, 1, 1), time(0, 0, 0), true},
        {date(2107, 12, 31), time(23, 59, 58), true},
        {date(2000, 2, 29), time(12, 0, 0), true},
        {date(2001, 2, 29), time(12, 0, 0), false},
        {date(2004, 4, 31), time(12, 0, 0), false},
        {date(2004, 0, 10), time(12, 0, 0), false},
        {date(2004, 13, 10), time(12, 0, 0), false},
        {date(2004, 5, 0), time(12, 0, 0), false},
        {date(2004, 5, 1), time(24, 0, 0), false},
        {date(2004, 5, 1), time(23, 60, 0), false},
        {date(2004, 5, 1), time(23, 59, 60), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidDosDateTime(c.date, c.time), c.valid) << std::hex << c.date << " " << c.time;
}

TEST(EntryNames, OnlyNamesThatStayInsideAreSafe) {
    for (const char* safe : {"a.txt", "a\\b\\c.txt", "a..b", "..a", "a\\.b", "a\\.\\b", "x. y"})
        EXPECT_TRUE(IsSafeEntryName(safe)) << safe;
    for (const char* unsafe : {"", "..", "..\\x", "a\\..\\b", "a\\..", "\\x", "/x", "C:x", "C:\\x",
                               "\\\\srv\\s\\x", ". .\\x", "...\\x", "a\\.. \\b", "a/../b"})
        EXPECT_FALSE(IsSafeEntryName(unsafe)) << unsafe;
}

// Windows opens device names as devices and drops trailing dots and spaces,
// so such names are refused in every folder, with any case and extension.
TEST(EntryNames, NamesWindowsCannotHoldAreRefused) {
    struct Case {
        const char* name;
        bool safe;
    };
    const Case cases[] = {
        {"CON", false},        {"con", false},          {"Con.txt", false},
        {"PRN", false},        {"prn.tar.gz", false},   {"AUX", false},
        {"aux.c", false},      {"NUL", false},          {"nul.txt", false},
        {"NuL", false},        {"COM1", false},         {"com9.log", false},
        {"LPT1", false},       {"lpt9", false},         {"Lpt5.txt", false},
        {"COM\xc2\xb9", false}, {"lpt\xc2\xb2.txt", false}, {"COM\xc2\xb3", false},
        {"NUL .txt", false},   {"con  ", false},        {"dir\\PRN.txt", false},
        {"dir/aux/x.txt", false}, {"a\\b\\com4", false},
        {"trail.", false},     {"dir.\\x", false},      {"space ", false},
        {"dir \\x", false},    {"a\\b.\\", false},
        {"bad|pipe.txt", false}, {"q?.txt", false},     {"star*.txt", false},
        {"lt<.txt", false},    {"gt>.txt", false},      {"quote\".txt", false},
        {"tab\t.txt", false},  {"\x01", false},         {"esc\x1f.txt", false},
        // Near misses stay ordinary names.
        {"CONSOLE", true},     {"con_x.txt", true},     {"xcon", true},
        {"COM10", true},       {"COM0", true},          {"LPT", true},
        {"com.txt", true},     {"auxiliary.c", true},   {"nul2.txt", true},
        {".hidden", true},     {"a\\.\\b", true},       {"dir\\", true},
        {"dir/sub/", true},    {"x. y", true},          {"caf\xc3\xa9.txt", true},
        {"COM\xc2\xb4", true},  {"COM\xc2\xb9x", true},
        {"bad!pipe.txt", true}, {"plus+sign", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSafeEntryName(c.name), c.safe) << c.name;
}

TEST_F(ExtractingEntries, ReservedAndUnfitNamesAreRefusedAndTheRunGoesOn) {
    const Names refused = {"CON",   "nul.txt", "Aux.c",        "COM1.log", "lpt9",     "dir/PRN.txt",
                           "trail.", "space ", "bad|pipe.txt", "q?.txt",   "star*.txt"};
    ZipBuilder zip;
    zip.entries.push_back(Stored("first.txt", "1"));
    for (const std::string& name : refused)
        zip.entries.push_back(Stored(name, "device"));
    zip.entries.push_back(Stored("dir/last.txt", "2"));
    Load(zip);
    EXPECT_FALSE(ExtractRun());
    EXPECT_EQ(Out("first.txt"), "1");
    EXPECT_EQ(Out("dir/last.txt"), "2");

    Names expected, messages;
    for (const auto& item : host.items)
        if (item.name != "first.txt" && item.name != "dir\\last.txt")
            expected.push_back(item.name);
    EXPECT_EQ(expected.size(), refused.size());
    EXPECT_EQ(host.Selected(), expected);
    for (const std::string& name : expected)
        messages.push_back("Error en directorio " + name);
    EXPECT_EQ(MessageTexts(), messages);
    std::vector<std::string> found;
    for (const auto& file : fs::recursive_directory_iterator(temp.Native() + "/" + out))
        found.push_back(file.path().filename().string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"dir", "first.txt", "last.txt"}));
}

// Look-alikes of ".", "/", "\" and ":" that a best-fit conversion to a
// code page turns into the real ones. Held as UTF-8 and given to the system
// whole they are ordinary characters: every name built from them is
// extracted inside the destination under exactly its own name.
TEST_F(ExtractingEntries, LookAlikesOfDotsAndSeparatorsStayInside) {
    const char* const dots[] = {"\xEF\xBC\x8E", "\xE2\x80\xA4", "\xEF\xB9\x92", "\xE3\x80\x82"};
    const char* const separators[] = {"\xEF\xBC\x8F", "\xEF\xBC\xBC", "\xE2\x88\x95",
                                      "\xE2\x81\x84", "\xEF\xB9\xA8", "\xE2\xA7\xB5",
                                      "\xEF\xBC\x9A"};
    Names names;
    for (const char* dot : dots)
        for (const char* separator : separators) {
            std::string up = std::string(dot) + dot + separator;
            names.push_back(up + up + "escape.txt");
            names.push_back("sub/" + up + "x.txt");
            names.push_back(std::string("C") + separator + "root.txt");
            names.push_back(up + dot + "\xE2\x80\xA5" + separator + "y.txt");
        }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    ZipBuilder zip;
    for (const std::string& name : names) {
        zip.entries.push_back(Stored(name, "data of " + name));
        zip.entries.back().flags = kEntryUtf8Name;
    }
    Load(zip);
    EXPECT_TRUE(ExtractRun());
    EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
    for (const std::string& name : names)
        EXPECT_EQ(Out(name), "data of " + name) << name;
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(temp.Native()))
        if (entry.is_regular_file()) {
            ++files;
            EXPECT_EQ(*entry.path().lexically_relative(temp.Native()).begin(), fs::path(out));
        }
    EXPECT_EQ(files, names.size());
}

// Bytes that are not UTF-8 under the UTF-8 flag or in the Unicode path
// field: overlong forms of ".", "/" and "\", surrogates, code points past
// U+10FFFF, stray and cut sequences. Each such entry is refused by name
// and nothing is written for it; the entries around it are extracted.
TEST_F(ExtractingEntries, NamesThatAreNotUtf8AreRefused) {
    const char* const bad[] = {"\xC0\xAE",         "\xC0\xAF",         "\xC1\x9C",
                               "\xE0\x80\xAF",     "\xF0\x80\x80\xAE", "\xED\xA0\x80",
                               "\xED\xBF\xBF",     "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
                               "\x80",             "\xFF",             "\xE6\x97"};
    int number = 0;
    for (const char* sequence : bad)
        for (bool inField : {false, true}) {
            for (const std::string& name : {std::string(sequence) + sequence + "escape.txt",
                                            std::string("..") + sequence + "x.txt",
                                            std::string("d/") + sequence})
            {
                NextCase(++number);
                ZipBuilder zip;
                zip.entries.push_back(Stored("before.txt", "1"));
                ZipEntrySpec e = Stored(inField ? "stored.txt" : name, "hostile");
                if (inField) {
                    e.host = 0;
                    e.extra = UnicodePathField(name, "stored.txt");
                } else {
                    e.flags = kEntryUtf8Name;
                }
                zip.entries.push_back(e);
                zip.entries.push_back(Stored("after.txt", "2"));
                Load(zip);
                EXPECT_FALSE(ExtractRun()) << number;
                ASSERT_EQ(host.items.size(), 3u) << number;
                const std::string& listed = host.items[1].name;
                EXPECT_NE(listed.find('?'), std::string::npos) << number;
                EXPECT_EQ(host.Selected(), Names{listed}) << number;
                EXPECT_EQ(MessageTexts(), Names{"Error en directorio " + listed}) << number;
                EXPECT_EQ(Out("before.txt") + Out("after.txt"), "12") << number;
                size_t files = 0;
                for (const auto& entry : fs::recursive_directory_iterator(temp.Native()))
                    files += entry.is_regular_file() ? 1 : 0;
                EXPECT_EQ(files, 2u * static_cast<size_t>(number)) << number;
            }
        }
}

}  // namespace
