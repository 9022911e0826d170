// Names in Japanese, Cyrillic, Greek, accented Latin and emoji, in nested
// folders: archives made by 7-Zip and Info-ZIP (wrapped with --zip) and by
// sfxpack itself list and extract with exactly their names and contents.
#include <gtest/gtest.h>

#include <vector>

#include "SfxPackFixture.h"
#include "support/NameTree.h"

namespace {

struct CentralRecord {
    uint16_t flags;
    uint8_t host;
    std::string name;
};

std::vector<CentralRecord> CentralRecords(const std::string& zip) {
    std::vector<CentralRecord> records;
    const std::string signature = {'P', 'K', '\x01', '\x02'};
    auto u16 = [&](size_t at) {
        return static_cast<uint16_t>(static_cast<uint8_t>(zip[at]) |
                                     (static_cast<uint8_t>(zip[at + 1]) << 8));
    };
    for (size_t at = zip.find(signature); at != std::string::npos && at + 46 <= zip.size();
         at = zip.find(signature, at + 4))
        records.push_back({u16(at + 8), static_cast<uint8_t>(zip[at + 5]),
                           zip.substr(at + 46, u16(at + 28))});
    return records;
}

bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::string Backslashed(std::string name) {
    for (char& c : name)
        if (c == '/')
            c = '\\';
    return name;
}

class PeerNames : public SfxPackProgram {};

TEST_F(PeerNames, ArchivesOfEveryPeerExtractWithExactNames) {
    ASSERT_EQ(std::system(("sh " MAKE_NAME_ARCHIVES " " NAME_TREE " " + Native("peers") +
                           " >/dev/null 2>&1")
                              .c_str()),
              0);
    const FileTree expected = NameTree(NAME_TREE);
    ASSERT_EQ(expected.size(), 7u);

    // Which reading each peer's archive takes: 7-Zip flags its non-ASCII
    // names, Info-ZIP stores them unflagged from a Unix host.
    for (const CentralRecord& r : CentralRecords(ReadNative(Native("peers/7z.zip"))))
        EXPECT_EQ((r.flags & 0x0800) != 0, !IsAscii(r.name)) << r.name;
    for (const CentralRecord& r : CentralRecords(ReadNative(Native("peers/infozip.zip")))) {
        EXPECT_EQ(r.flags & 0x0800, 0) << r.name;
        EXPECT_EQ(r.host, 3) << r.name;
    }

    struct Way {
        const char* what;
        std::string packArguments;
    };
    const Way ways[] = {{"7-Zip", "--zip peers/7z.zip"},
                        {"Info-ZIP", "--zip peers/infozip.zip"},
                        {"sfxpack", "peers/tree"}};
    for (const Way& way : ways) {
        Result packed = Pack(way.packArguments);
        ASSERT_EQ(packed.exitCode, 0) << way.what << packed.err;
        Result list = Run("list sfx.exe");
        EXPECT_EQ(list.exitCode, 0) << way.what << list.err;
        for (const auto& [name, text] : expected)
            EXPECT_NE(list.out.find("\n" + Backslashed(name) + "\t" + std::to_string(text.size())),
                      std::string::npos)
                << way.what << " lists " << name << ":\n" << list.out;

        std::string destination = std::string("Zielordner \xC3\xBC \xE6\x97\xA5/") + way.what;
        Result extracted = Run("extract sfx.exe '" + destination + "'");
        EXPECT_EQ(extracted.exitCode, 0) << way.what << extracted.err;
        EXPECT_EQ(FilesUnder(Native(destination)), expected) << way.what;
    }
}

}  // namespace
