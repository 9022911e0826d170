// Signed archives: a certificate table after the archive, named by the
// stub's security entry, ends the archive for the end-record search; tables
// that are damaged, stale or outside the file never break the reader.
#include <gtest/gtest.h>

#include <algorithm>

#include "SFXDirectory.h"
#include "SFXHeader.h"
#include "SFXStrings.h"
#include "UnfurlFixture.h"
#include "support/PeImage.h"
#include "support/ZipBuilder.h"

namespace {

constexpr uint32_t kStubSize = 0x400;
constexpr uint32_t kTableSize = 0x5B8;
const char* const kCorrupt = "Archivo corrupto, prueba a descargar el archivo otra vez.";

ZipBuilder TwoEntries(const std::string& comment = "") {
    ZipBuilder zip;
    for (const char* name : {"setup.exe", "docs/readme.txt"}) {
        ZipEntrySpec e;
        e.name = name;
        e.data = std::string("data of ") + name;
        e.uncompressedSize = static_cast<uint32_t>(e.data.size());
        zip.entries.push_back(e);
    }
    zip.comment = comment;
    return zip;
}

// A certificate table as signers write it: the WIN_CERTIFICATE header and
// filler. With 'lookalike' it ends in an end record lookalike whose comment
// reaches exactly to the end of the file.
std::string CertificateTableBytes(bool lookalike) {
    std::string table;
    AppendU32(table, kTableSize);
    AppendU16(table, 0x0200);
    AppendU16(table, 0x0002);
    table.append(kTableSize - table.size() - 22, '\x30');
    if (lookalike) {
        AppendU32(table, ZipSignature(5, 6));
        table.append(16, '\0');
        AppendU16(table, 0);
    } else {
        table.append(22, '\x30');
    }
    return table;
}

// Stub, overlay and archive as packed.
std::string Unsigned(const ZipBuilder& zip) {
    return PeImage({{0x200, kStubSize - 0x200}}, kStubSize) + OverlaySpec().Build() + zip.Build();
}

// The same, padded with zeros to 8 bytes and followed by the certificate
// table that the security entry names.
std::string Signed(const ZipBuilder& zip, uint32_t* tableStart = nullptr,
                   bool lookalike = false) {
    std::string file = Unsigned(zip);
    file.append((8 - file.size() % 8) % 8, '\0');
    uint32_t start = static_cast<uint32_t>(file.size());
    SetSecurityEntry(file, start, kTableSize);
    if (tableStart)
        *tableStart = start;
    return file + CertificateTableBytes(lookalike);
}

class SignedArchive : public UnfurlTest {
protected:
    // LoadHeader and ReadDirectory as the stub runs them; the exit code or -1.
    int Read(const std::string& file) {
        ResetVars(system, host);
        host.messages.clear();
        host.items.clear();
        OpenArchive(file);
        Vars.OverlayStart = kStubSize;
        return ExitCodeOf([] {
            LoadHeader();
            ReadDirectory();
        });
    }
    void ExpectCorrupt(const std::string& file, const std::string& what) {
        EXPECT_EQ(Read(file), 1) << what;
        ASSERT_EQ(host.messages.size(), 1u) << what;
        EXPECT_EQ(host.messages[0].text, kCorrupt) << what;
    }
};

TEST_F(SignedArchive, ListsAndReadsLikeTheUnsignedArchive) {
    // Searched from the end of the file, the lookalike in the table would
    // be taken for an empty archive.
    uint32_t start = 0;
    ASSERT_EQ(Read(Signed(TwoEntries(), &start, true)), -1) << host.messages.at(0).text;
    EXPECT_TRUE(Vars.CertificateEndsArchive);
    EXPECT_EQ(Vars.Certificate.start, start);
    EXPECT_EQ(Vars.Certificate.size, kTableSize);
    ASSERT_EQ(host.items.size(), 2u);
    EXPECT_EQ(host.items[1].name, "docs\\readme.txt");
    EXPECT_EQ(EntryData(0), "data of setup.exe");
    EXPECT_EQ(EntryData(1), "data of docs/readme.txt");

    ASSERT_EQ(Read(Unsigned(TwoEntries())), -1);
    EXPECT_FALSE(Vars.CertificateEndsArchive);
    EXPECT_FALSE(Vars.Certificate.Present());
    EXPECT_EQ(host.items.size(), 2u);
}

TEST_F(SignedArchive, EveryAlignmentPaddingFromNoneToSevenBytes) {
    std::vector<size_t> paddings;
    for (size_t length = 0; length < 8; ++length) {
        ZipBuilder zip = TwoEntries(std::string(length, 'c'));
        uint32_t start = 0;
        std::string file = Signed(zip, &start);
        paddings.push_back(start - Unsigned(zip).size());
        EXPECT_EQ(Read(file), -1) << "comment of " << length;
        EXPECT_EQ(host.items.size(), 2u) << "comment of " << length;
    }
    std::sort(paddings.begin(), paddings.end());
    EXPECT_EQ(paddings, (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(SignedArchive, LongestCommentIsFoundBeforeThePadding) {
    std::string comment(65535, 'c');
    ASSERT_NE(Unsigned(TwoEntries(comment)).size() % 8, 0u);
    EXPECT_EQ(Read(Signed(TwoEntries(comment))), -1);
    EXPECT_EQ(host.items.size(), 2u);
}

// Each case damages a signed file whose archive ends at 'end' and whose
// table starts at 'start'; 'lists' tells whether it must still read (the
// table ignored) or give the corrupt-archive message.
TEST_F(SignedArchive, DamagedStaleOrMisplacedTablesAreHandledSafely) {
    struct Case {
        const char* what;
        std::function<void(std::string& file, uint32_t end, uint32_t start)> damage;
        bool lists;
    };
    const uint32_t zipStart = kStubSize + static_cast<uint32_t>(OverlaySpec().Build().size());
    const Case cases[] = {
        {"table claims to start past the end",
         [](std::string& f, uint32_t, uint32_t) { SetSecurityEntry(f, f.size() + 8, kTableSize); },
         false},
        {"table claims bytes past the end",
         [](std::string& f, uint32_t, uint32_t s) { SetSecurityEntry(f, s, kTableSize + 1); },
         false},
        {"offset plus size wraps around",
         [](std::string& f, uint32_t, uint32_t) { SetSecurityEntry(f, 0xFFFFFFF8u, 0x10); }, false},
        {"size of zero", [](std::string& f, uint32_t, uint32_t s) { SetSecurityEntry(f, s, 0); },
         false},
        {"table inside the archive",
         [](std::string& f, uint32_t, uint32_t s) {
             SetSecurityEntry(f, kStubSize + 100, s - kStubSize);
         },
         false},
        {"table at the archive's start",
         [zipStart](std::string& f, uint32_t, uint32_t) {
             SetSecurityEntry(f, zipStart, kTableSize);
         },
         false},
        {"padding not zero", [](std::string& f, uint32_t, uint32_t s) { f[s - 1] = 'x'; }, false},
        {"eight bytes of padding",
         [](std::string& f, uint32_t, uint32_t s) {
             f.insert(s, 8, '\0');
             SetSecurityEntry(f, s + 8, kTableSize);
         },
         false},
        {"table cut short by a broken download",
         [](std::string& f, uint32_t, uint32_t) { f.resize(f.size() - 100); }, false},
        {"PE header offset past the file",
         [](std::string& f, uint32_t, uint32_t) { PutU32(f, 0x3C, 0x7FFFFFF0); }, false},
        {"unsigned, zero bytes after the archive",
         [](std::string& f, uint32_t, uint32_t s) {
             f.resize(s);
             SetSecurityEntry(f, 0, 0);
         },
         false},
        {"table and padding removed, entry left",
         [](std::string& f, uint32_t e, uint32_t) { f.resize(e); }, true},
        {"stale entry of a signed stub, inside the stub",
         [](std::string& f, uint32_t e, uint32_t) {
             f.resize(e);
             SetSecurityEntry(f, kStubSize - 0x100, 0x100);
         },
         true},
        {"stale entry past the end, nothing appended",
         [](std::string& f, uint32_t e, uint32_t s) {
             f.resize(e);
             SetSecurityEntry(f, s + 0x1000, kTableSize);
         },
         true},
    };
    ZipBuilder zip = TwoEntries("odd");
    const uint32_t end = static_cast<uint32_t>(Unsigned(zip).size());
    for (const Case& c : cases) {
        uint32_t start = 0;
        std::string file = Signed(zip, &start);
        ASSERT_LT(end, start) << "the cases need padding";
        c.damage(file, end, start);
        if (c.lists) {
            EXPECT_EQ(Read(file), -1) << c.what;
            EXPECT_EQ(host.items.size(), 2u) << c.what;
            EXPECT_FALSE(Vars.CertificateEndsArchive) << c.what;
        } else {
            ExpectCorrupt(file, c.what);
        }
    }
}

TEST_F(SignedArchive, ZipAloneWithoutAStubIsUnsigned) {
    // An archive read without a stub in front (as sfxpack checks one) has
    // no PE header, even when its bytes start with "MZ".
    ZipBuilder zip = TwoEntries();
    zip.entries[0].name = "MZ";
    std::string bytes = "MZ" + zip.Build();
    OpenArchive(bytes);
    Vars.ZipStart = 2;
    ReadDirectory();
    EXPECT_FALSE(Vars.Certificate.Present());
    EXPECT_EQ(host.items.size(), 2u);
}

TEST_F(SignedArchive, SecurityEntryIsReadOnlyFromAPe32Header) {
    std::string image = PeImage({{0x200, 0x200}}, kStubSize);
    SetSecurityEntry(image, 0x1000, 0x80);
    auto table = [](const std::string& bytes) {
        return FindCertificateTable(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    };
    CertificateTable found = table(image);
    EXPECT_EQ(found.start, 0x1000u);
    EXPECT_EQ(found.size, 0x80u);
    EXPECT_EQ(found.entryOffset, kTestSecurityEntry);

    struct Case {
        const char* what;
        std::function<void(std::string&)> change;
    };
    const Case cases[] = {
        {"no MZ", [](std::string& i) { i[0] = 'X'; }},
        {"no PE signature", [](std::string& i) { i[kTestPeHeader + 1] = 'X'; }},
        {"PE32+ magic", [](std::string& i) { PutU16(i, kTestPeHeader + 24, 0x20B); }},
        {"four data directories", [](std::string& i) { PutU32(i, kTestPeHeader + 24 + 92, 4); }},
        {"short optional header", [](std::string& i) { PutU16(i, kTestPeHeader + 20, 96); }},
        {"cut before the entry", [](std::string& i) { i.resize(kTestSecurityEntry + 4); }},
        {"PE offset past the end", [](std::string& i) { PutU32(i, 0x3C, 0xFFFFFFF0u); }},
    };
    for (const Case& c : cases) {
        std::string changed = image;
        c.change(changed);
        CertificateTable none = table(changed);
        EXPECT_FALSE(none.Present()) << c.what;
        EXPECT_EQ(none.entryOffset, 0u) << c.what;
    }
}

}  // namespace
