// The ZIP container reader: members stored and deflated, found by name,
// checked against their CRC-32 and size, and refused when damaged,
// encrypted or larger than the caller allows.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/PackageBuilder.h"
#include "convert/xml/ZipContainer.h"

namespace {

std::string Text(size_t size) {
    std::string s;
    for (size_t i = 0; s.size() < size; ++i)
        s += "line " + std::to_string(i) + " of the document\n";
    s.resize(size);
    return s;
}

}  // namespace

// Both methods give the member's bytes; a comment after the directory is
// allowed; a missing name is refused.
TEST(ZipContainer, ReadsStoredAndDeflatedMembers) {
    ZipBuilder zip;
    zip.entries.push_back(PackageMember("mimetype", "application/epub+zip", true));
    zip.entries.push_back(PackageMember("a/b.xml", Text(300000)));
    zip.entries.push_back(PackageMember("empty", ""));
    zip.comment = "PK\x05\x06 a comment that looks like an end record";
    std::string archive = zip.Build();
    ZipContainer container;
    ASSERT_TRUE(container.Open(archive));
    std::string data;
    ASSERT_TRUE(container.Read("mimetype", kMaxMemberSize, data));
    EXPECT_EQ(data, "application/epub+zip");
    ASSERT_TRUE(container.Read("a/b.xml", kMaxMemberSize, data));
    EXPECT_EQ(data, Text(300000));
    ASSERT_TRUE(container.Read("empty", kMaxMemberSize, data));
    EXPECT_TRUE(data.empty());
    EXPECT_TRUE(container.Has("a/b.xml"));
    EXPECT_FALSE(container.Has("A/B.XML"));
    EXPECT_FALSE(container.Read("b.xml", kMaxMemberSize, data));
}

// What is not a ZIP file, or a cut one, has no directory.
TEST(ZipContainer, RefusesWhatHasNoDirectory) {
    ZipContainer container;
    EXPECT_FALSE(container.Open(""));
    EXPECT_FALSE(container.Open("just some text that is long enough to look"));
    std::string archive = BuildPackage({{"x", Text(1000)}});
    EXPECT_FALSE(container.Open(archive.substr(0, archive.size() - 1)));
    EXPECT_FALSE(container.Open(archive.substr(archive.size() - 30)));
}

// A changed byte, a wrong CRC, an encrypted member, an unknown method and
// a member larger than the limit give no data.
TEST(ZipContainer, RefusesDamagedEncryptedAndOversizedMembers) {
    std::string text = Text(5000);
    struct Case {
        const char* what;
        void (*change)(ZipEntrySpec&);
    };
    const Case cases[] = {
        {"crc", [](ZipEntrySpec& e) { e.crc ^= 1; }},
        {"size", [](ZipEntrySpec& e) { e.uncompressedSize -= 1; }},
        {"encrypted", [](ZipEntrySpec& e) { e.flags |= 1; }},
        {"method", [](ZipEntrySpec& e) { e.method = 12; }},
        {"cut stream", [](ZipEntrySpec& e) { e.data.resize(e.data.size() / 2); }},
        {"changed byte", [](ZipEntrySpec& e) { e.data[e.data.size() / 2] ^= 0x55; }},
    };
    for (const Case& c : cases) {
        ZipBuilder zip;
        zip.entries.push_back(PackageMember("m", text));
        c.change(zip.entries[0]);
        std::string archive = zip.Build();
        ZipContainer container;
        ASSERT_TRUE(container.Open(archive)) << c.what;
        std::string data;
        EXPECT_FALSE(container.Read("m", kMaxMemberSize, data)) << c.what;
        SkipReason expected = std::string(c.what) == "encrypted" ? SkipReason::Encrypted
                                                                 : SkipReason::Damaged;
        EXPECT_EQ(container.LastProblem(), expected) << c.what;
    }
    ZipContainer container;
    std::string archive = BuildPackage({{"m", text}});
    ASSERT_TRUE(container.Open(archive));
    std::string data;
    EXPECT_FALSE(container.Read("m", text.size() - 1, data));
    EXPECT_EQ(container.LastProblem(), SkipReason::TooLarge);
    EXPECT_TRUE(container.Read("m", text.size(), data));
}

// A member read as a stream gives the same bytes in reads of any size,
// and its damage shows by the last read at the latest; the same members
// are found through Zip64 records.
TEST(ZipContainer, StreamsMembersAndReadsZip64) {
    std::string text = Text(200000);
    for (bool zip64 : {false, true}) {
        ZipBuilder zip;
        zip.zip64 = zip64;
        zip.entries.push_back(PackageMember("stored", text, true));
        zip.entries.push_back(PackageMember("deflated", text));
        zip.entries.push_back(PackageMember("bad crc", text));
        zip.entries.back().crc ^= 1;
        std::string archive = zip.Build();
        ZipContainer container;
        ASSERT_TRUE(container.Open(archive)) << zip64;
        for (const char* name : {"stored", "deflated", "bad crc"}) {
            for (size_t size : {1, 1000, 70000}) {
                std::unique_ptr<FileReader> member = container.OpenMember(name, kMaxMemberSize);
                ASSERT_TRUE(member) << name;
                std::string data, buffer(size, '\0');
                size_t got = 0;
                bool sound;
                while ((sound = member->Read(&buffer[0], size, got)) && got > 0)
                    data.append(buffer, 0, got);
                EXPECT_EQ(sound, std::string(name) != "bad crc") << name << " " << size;
                if (sound) {
                    EXPECT_TRUE(data == text) << name << " " << size;
                }
            }
        }
    }
}

// A small member that claims a small size but inflates to far more (a zip
// bomb) stops at its claimed size.
TEST(ZipContainer, StopsABombAtItsClaimedSize) {
    std::string huge(50u << 20, 'a');
    ZipEntrySpec bomb = PackageMember("bomb", huge);
    bomb.uncompressedSize = 1000;
    ZipBuilder zip;
    zip.entries.push_back(bomb);
    std::string archive = zip.Build();
    EXPECT_LT(archive.size(), 200000u);
    ZipContainer container;
    ASSERT_TRUE(container.Open(archive));
    std::string data;
    EXPECT_FALSE(container.Read("bomb", kMaxMemberSize, data));
    EXPECT_LE(data.capacity(), 1u << 20);
}

// Members whose bytes meet are refused, however their records name them:
// one local header named twice or twenty times, or a record that points
// into another member's data. Members side by side are not.
TEST(ZipContainer, RefusesOverlappingMembers) {
    struct Case {
        const char* what;
        int aliases;            // more records naming the second member's header
        uint32_t secondOffset;  // moves the second record's offset, when not 0
        bool opens;
    };
    const Case cases[] = {
        {"side by side", 0, 0, true},
        {"same header twice", 1, 0, false},
        {"twenty names for one member", 20, 0, false},
        {"inside another's data", 0, 40, false},
    };
    for (const Case& c : cases) {
        ZipBuilder zip;
        zip.entries.push_back(PackageMember("a.xml", Text(3000), true));
        zip.entries.push_back(PackageMember("b.xml", Text(3000)));
        for (int i = 0; i < c.aliases; ++i) {
            ZipEntrySpec alias;
            alias.name = "copy" + std::to_string(i);
            alias.aliasOf = 1;
            zip.entries.push_back(alias);
        }
        std::string archive = zip.Build();
        if (c.secondOffset != 0) {
            std::string central = "PK";
            AppendU16(central, 0x0201);
            size_t second = archive.find(central, archive.find(central) + 1);
            ASSERT_NE(second, std::string::npos);
            std::string offset;
            AppendU32(offset, c.secondOffset);
            archive.replace(second + 42, 4, offset);
        }
        ZipContainer container;
        EXPECT_EQ(container.Open(archive), c.opens) << c.what;
    }
}

// Reads of one document together give at most its limit, counted at the
// members' declared sizes; a member read twice counts twice.
TEST(ZipContainer, HoldsAllReadsOfADocumentToItsLimit) {
    std::string archive = BuildPackage({{"a", Text(600)}, {"b", Text(600)}, {"c", Text(300)}});
    ZipContainer container(1000);
    ASSERT_TRUE(container.Open(archive));
    std::string data;
    EXPECT_TRUE(container.Read("a", kMaxMemberSize, data));
    EXPECT_FALSE(container.Read("b", kMaxMemberSize, data));
    EXPECT_TRUE(container.Read("c", kMaxMemberSize, data));
    EXPECT_FALSE(container.Read("c", kMaxMemberSize, data));
    ASSERT_TRUE(container.Open(archive));  // a new document starts afresh
    EXPECT_TRUE(container.Read("b", kMaxMemberSize, data));
}
