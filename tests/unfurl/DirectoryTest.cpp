// The ZIP central directory: the end-record search, offsets corrected for
// another stub size, which entries are listed and under what names, and
// finding an entry's data through its local header.
#include <gtest/gtest.h>

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
    EXPECT_EQ(ListedNames(),
              (std::vector<std::string>{"caf\xE9.txt", "ni\xF1o.txt", "caf\x82.raw"}));
}

TEST_F(ReadingTheDirectory, Utf8NamesBecomeAnsiWithUnderscoreForTheRest) {
    ZipBuilder zip;
    ZipEntrySpec cafe = Entry("Caf\xC3\xA9.txt");
    cafe.flags = kEntryUtf8Name;
    cafe.host = 0;                // bit 11 wins over the OEM rule
    ZipEntrySpec kanji = Entry("\xE6\xBC\xA2-\xE2\x82\xAC.txt");
    kanji.flags = kEntryUtf8Name;
    zip.entries = {cafe, kanji};
    Open(zip);
    ReadDirectory();
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"Caf\xE9.txt", "_-\x80.txt"}));
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
