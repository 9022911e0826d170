// The ZIP central directory: the end-record search, offsets corrected for
// another stub size, which entries are listed and under what names, and
// finding an entry's data through its local header.
#include <gtest/gtest.h>

#include "SFXDirectory.h"
#include "UnfurlFixture.h"
#include "support/ZipBuilder.h"

namespace {

const char* const kCorrupt = "Archivo corrupto, prueba a descargar el archivo otra vez.";

ZipEntrySpec Entry(const std::string& name, const std::string& data = "data") {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    e.uncompressedSize = static_cast<uint32_t>(data.size());
    return e;
}

class ReadingTheDirectory : public UnfurlTest {
protected:
    // Opens stub + archive with the archive starting at ZipStart.
    void Open(const ZipBuilder& zip, size_t stubSize = 1000, uint16_t flags = 0) {
        OpenArchive(std::string(stubSize, 'S') + zip.Build());
        Vars.ZipStart = static_cast<uint32_t>(stubSize);
        Vars.Header.SetHeaderFlags(flags);
    }
    std::vector<std::string> ListedNames() const {
        std::vector<std::string> names;
        for (const auto& item : host.items)
            names.push_back(item.name);
        return names;
    }
};

TEST_F(ReadingTheDirectory, FolderEntriesAreNotListedButTheirFilesAre) {
    ZipBuilder zip;
    zip.entries = {Entry("app/setup.exe", "MZ"), Entry("readme.txt", "hi"), Entry("app/", "")};
    Open(zip);
    ReadDirectory();
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"app\\setup.exe", "readme.txt"}));
    EXPECT_EQ(Vars.EntryTable.size(), 2u);
    EXPECT_EQ(host.items[1].index, 1u);
    EXPECT_EQ(host.items[1].size, 2u);
    EXPECT_FALSE(host.items[0].selected);
    EXPECT_EQ(EntryData(0), "MZ");
    EXPECT_EQ(EntryData(1), "hi");
}

TEST_F(ReadingTheDirectory, UserSelectsStartsItemsSelected) {
    ZipBuilder zip;
    zip.entries = {Entry("a"), Entry("b")};
    Open(zip, 1000, FLAG_USER_SELECTS);
    ReadDirectory();
    ASSERT_EQ(host.items.size(), 2u);
    EXPECT_TRUE(host.items[0].selected && host.items[1].selected);
}

TEST_F(ReadingTheDirectory, OffsetsBuiltForAnotherStubSizeAreCorrected) {
    ZipBuilder zip;
    zip.entries = {Entry("one", "first"), Entry("two", "second")};
    zip.offsetBias = 0x4C00;
    Open(zip, 3000);
    ReadDirectory();
    EXPECT_EQ(Vars.OffsetDelta, 3000 - 0x4C00);
    EXPECT_EQ(EntryData(0), "first");
    EXPECT_EQ(EntryData(1), "second");
}

TEST_F(ReadingTheDirectory, LongestCommentWithAFakeEndRecordInside) {
    ZipBuilder zip;
    zip.entries = {Entry("real.txt")};
    std::string fake;
    AppendU32(fake, ZipSignature(5, 6));
    fake.append(16, '\0');
    AppendU16(fake, 3);           // its comment would end far before the file does
    zip.comment = "x" + fake + std::string(65535 - 1 - fake.size(), 'c');
    ASSERT_EQ(zip.comment.size(), 65535u);
    Open(zip);
    ReadDirectory();
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"real.txt"}));
}

TEST_F(ReadingTheDirectory, ZeroEntriesGiveAnEmptyList) {
    Open(ZipBuilder());
    ReadDirectory();
    EXPECT_TRUE(host.items.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ReadingTheDirectory, NamesFromDosHostsAreConvertedFromTheOemCodePage) {
    ZipBuilder zip;
    ZipEntrySpec dos = Entry("caf\x82.txt");
    dos.host = 0;
    ZipEntrySpec ntfs = Entry("ni\xA4o.txt");
    ntfs.host = 11;
    ntfs.version = 50;
    ZipEntrySpec unix = Entry("caf\x82.raw");
    zip.entries = {dos, ntfs, unix};
    Open(zip);
    ReadDirectory();
    // The last is in the ANSI code page: 0x82 is a low quotation mark.
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"caf\xC3\xA9.txt", "ni\xC3\xB1o.txt",
                                                       "caf\xE2\x80\x9A.raw"}));
}

// Where a name comes from: the UTF-8 flag, Info-ZIP's Unicode path field
// when its CRC belongs to the stored name, UTF-8 from a Unix host, or the
// code page of the host. Names that are not well-formed UTF-8 keep a "?"
// for every bad byte, which no entry name may hold.
TEST_F(ReadingTheDirectory, NamesComeFromTheFlagTheUnicodeFieldOrTheCodePage) {
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E/\xE3\x83\x95.txt";
    const std::string greek =
        "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1/\xF0\x9F\x98\x80.txt";
    const std::string dosName = "caf\x82.txt";    // "café" in code page 437
    struct Case {
        const char* what;
        std::string stored;
        uint16_t flags;
        uint8_t host;
        std::string extra;
        std::string listed;
    };
    const Case cases[] = {
        {"flagged", japanese, kEntryUtf8Name, 0, "",
         "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\\\xE3\x83\x95.txt"},
        {"field", dosName, 0, 0, UnicodePathField(greek, dosName),
         "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1\\\xF0\x9F\x98\x80.txt"},
        {"field after another field", dosName, 0, 0,
         std::string("UT\x05\0\x01\0\0\0\0", 9) + UnicodePathField(greek, dosName),
         "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1\\\xF0\x9F\x98\x80.txt"},
        {"field of a renamed entry", dosName, 0, 0, UnicodePathField(greek, "old.txt"),
         "caf\xC3\xA9.txt"},
        {"field of another version", dosName, 0, 0, UnicodePathField(greek, dosName, 2),
         "caf\xC3\xA9.txt"},
        {"field cut short", dosName, 0, 0, UnicodePathField(greek, dosName).substr(0, 12),
         "caf\xC3\xA9.txt"},
        {"flag before field", japanese, kEntryUtf8Name, 0, UnicodePathField(greek, japanese),
         "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\\\xE3\x83\x95.txt"},
        {"UTF-8 from Unix", "\xD0\x9A\xD0\xB8/r\xC3\xA9.txt", 0, 3, "",
         "\xD0\x9A\xD0\xB8\\r\xC3\xA9.txt"},
        {"ANSI from Unix", "caf\xE9.txt", 0, 3, "", "caf\xC3\xA9.txt"},
        {"flagged, overlong slash", "a\xC0\xAF" "b.txt", kEntryUtf8Name, 0, "", "a??b.txt"},
        {"flagged, surrogate", "\xED\xA0\x80.txt", kEntryUtf8Name, 0, "", "???.txt"},
        {"flagged, cut sequence", "x\xE6\x97", kEntryUtf8Name, 0, "", "x??"},
        {"field, not UTF-8", dosName, 0, 0, UnicodePathField("\xFF" "a.txt", dosName), "?a.txt"},
    };
    for (const Case& c : cases) {
        ResetVars(system, host);
        host.items.clear();
        ZipBuilder zip;
        ZipEntrySpec e = Entry(c.stored);
        e.flags = c.flags;
        e.host = c.host;
        e.extra = c.extra;
        zip.entries = {e, Entry("next.txt", "next")};
        Open(zip);
        ReadDirectory();
        EXPECT_EQ(ListedNames(), (std::vector<std::string>{c.listed, "next.txt"})) << c.what;
        EXPECT_EQ(EntryData(1), "next") << c.what;
    }
}

TEST_F(ReadingTheDirectory, DamagedDirectoriesAreCorrupt) {
    struct Case {
        const char* what;
        std::function<void(ZipBuilder&)> damage;
    };
    const Case cases[] = {
        {"empty name", [](ZipBuilder& z) { z.entries[0].name = ""; }},
        {"name over 520 bytes", [](ZipBuilder& z) { z.entries[0].name = std::string(521, 'n'); }},
        {"other disk, not spanned", [](ZipBuilder& z) { z.entries[0].diskStart = 2; }},
    };
    for (const Case& c : cases) {
        ResetVars(system, host);
        host.messages.clear();
        ZipBuilder zip;
        zip.entries = {Entry("a.txt")};
        c.damage(zip);
        Open(zip);
        EXPECT_EQ(ExitCodeOf([] { ReadDirectory(); }), 1) << c.what;
        ASSERT_EQ(host.messages.size(), 1u) << c.what;
        EXPECT_EQ(host.messages[0].text, kCorrupt) << c.what;
    }
}

TEST_F(ReadingTheDirectory, NameOf520BytesIsRead) {
    ZipBuilder zip;
    zip.entries = {Entry(std::string(520, 'n'))};
    Open(zip);
    ReadDirectory();
    ASSERT_EQ(host.items.size(), 1u);
    EXPECT_EQ(host.items[0].name.size(), 520u);
}

TEST_F(ReadingTheDirectory, MissingOrTruncatedEndRecordIsCorrupt) {
    std::string archive = [] {
        ZipBuilder zip;
        zip.entries = {Entry("a.txt")};
        return zip.Build();
    }();
    for (size_t cut : {size_t{0}, size_t{10}, archive.size() - 1}) {
        ResetVars(system, host);
        OpenArchive(std::string(100, 'S') + archive.substr(0, cut));
        Vars.ZipStart = 100;
        EXPECT_EQ(ExitCodeOf([] { ReadDirectory(); }), 1) << cut;
    }
}

TEST_F(ReadingTheDirectory, BadCentralSignatureIsCorrupt) {
    ZipBuilder zip;
    zip.entries = {Entry("a.txt")};
    std::string archive = zip.Build();
    size_t central = archive.find("a.txt", 40) - 46;
    archive[central] = 'Q';
    OpenArchive(archive);
    EXPECT_EQ(ExitCodeOf([] { ReadDirectory(); }), 1);
}

TEST_F(ReadingTheDirectory, BadLocalHeaderNamesTheArchive) {
    ZipBuilder zip;
    zip.entries = {Entry("a.txt")};
    std::string archive = zip.Build();
    archive[0] = 'Q';
    OpenArchive(archive, "C:\\dl\\Setup.exe");
    ReadDirectory();
    EXPECT_EQ(ExitCodeOf([this] { EntryData(0); }), 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Error leyendo archivo C:\\dl\\Setup.exe");
}

}  // namespace
