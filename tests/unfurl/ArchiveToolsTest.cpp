// Archives made by Info-ZIP zip and 7-Zip, and public test archives of
// other ZIP readers when they are present: listed and decoded by the core.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "SFXCrypt.h"
#include "SFXDirectory.h"
#include "SFXMessages.h"
#include "UnfurlFixture.h"
#include "support/TempFolder.h"

namespace {

std::string NativeOf(const TempFolder& folder) {
    std::string p = folder.Path().substr(2);
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

std::string SampleText() {
    std::string s;
    for (int i = 0; i < 4000; ++i)
        s += "line " + std::to_string(i * 37 % 1000) + " of the sample\r\n";
    return s;
}

std::string SampleRandom() {
    std::mt19937 random(3);
    std::string s(70000, '\0');
    for (char& c : s)
        c = static_cast<char>(random());
    return s;
}

struct Extracted {
    bool passwordFits;
    Decoded decoded;
};

class ToolArchives : public UnfurlTest {
protected:
    TempFolder folder;

    void OpenFile(const std::string& path) {
        Vars.ArchivePath = path;
        Vars.ArchiveFile = system.OpenRead(path);
        ASSERT_TRUE(Vars.ArchiveFile) << path;
        Vars.ZipStart = 0;
        ReadDirectory();
    }
    // Of sixteen wrong passwords, how many pass the entry's check byte. A
    // check of one byte lets a wrong password through once in 256 tries,
    // so a few may; a missing or misplaced check lets most through.
    int WrongPasswordsThatFit(size_t index) {
        int fits = 0;
        for (int i = 0; i < 16; ++i)
            fits += Extract(index, "wrong" + std::to_string(i)).passwordFits ? 1 : 0;
        return fits;
    }
    // Decodes entry 'index' as extraction does, into memory.
    Extracted Extract(size_t index, const std::string& password = "") {
        const EntryRecord& e = Vars.EntryTable.at(index);
        LocateEntryData(e, e.LocalHeaderOffset() + static_cast<int64_t>(Vars.OffsetDelta));
        MemoryFile output;
        Decoder = DecoderState();
        Decoder.input = Vars.ArchiveFile.get();
        Decoder.output = &output;
        Decoder.remaining = e.CompressedSize();
        if (e.IsEncrypted()) {
            uint8_t header[12];
            ReadExact(header, sizeof header);
            Decoder.remaining -= 12;
            Decoder.encrypted = true;
            if (!CheckPassword(header, e.Flags(), e.DosTime(), e.Crc(), password))
                return {false, {}};
        }
        InflateResult result = e.Method() == kMethodStored ? CopyStoredEntry() : InflateEntry();
        return {true, {output.Bytes(), result, ~Decoder.crc}};
    }
    size_t IndexOf(const std::string& name) {
        for (size_t i = 0; i < Vars.EntryNames.size(); ++i)
            if (Vars.EntryNames[i] == name)
                return i;
        ADD_FAILURE() << "no entry " << name;
        return 0;
    }
    void WriteSamples() {
        folder.Write("in/text.txt", SampleText());
        folder.Write("in/sub/random.bin", SampleRandom());
        folder.Write("in/empty.txt", "");
    }
    void ExpectSamples(const std::string& password = "") {
        ASSERT_EQ(Vars.EntryTable.size(), 3u);
        for (auto [name, data] : {std::pair{"text.txt", SampleText()},
                                  std::pair{"sub\\random.bin", SampleRandom()},
                                  std::pair{"empty.txt", std::string()}}) {
            size_t i = IndexOf(name);
            Extracted x = Extract(i, password);
            ASSERT_TRUE(x.passwordFits) << name;
            EXPECT_EQ(x.decoded.result, InflateResult::Ok) << name;
            EXPECT_EQ(x.decoded.bytes, data) << name;
            EXPECT_EQ(x.decoded.crc, Vars.EntryTable[i].Crc()) << name;
        }
    }
};

TEST_F(ToolArchives, InfoZipAtSeveralLevels) {
    WriteSamples();
    for (int level : {0, 1, 6, 9}) {
        ResetVars(system, host);
        std::string zip = NativeOf(folder) + "/z" + std::to_string(level) + ".zip";
        ASSERT_EQ(Shell("cd " + NativeOf(folder) + "/in && zip -q -r -" + std::to_string(level) +
                      " " + zip + " ."),
                  0);
        OpenFile(folder.File("z" + std::to_string(level) + ".zip"));
        ExpectSamples();
    }
}

TEST_F(ToolArchives, SevenZipDeflate) {
    WriteSamples();
    ASSERT_EQ(Shell("cd " + NativeOf(folder) + "/in && 7z a -tzip -mx=9 ../s.zip ."), 0);
    OpenFile(folder.File("s.zip"));
    ExpectSamples();
}

TEST_F(ToolArchives, InfoZipEncryptionChecksTheTimeByte) {
    WriteSamples();
    ASSERT_EQ(Shell("cd " + NativeOf(folder) + "/in && zip -q -r -e -P s3cret ../e.zip ."), 0);
    OpenFile(folder.File("e.zip"));
    EXPECT_TRUE(Vars.EntryTable[IndexOf("text.txt")].Flags() & kEntryHasDescriptor);
    ExpectSamples("s3cret");
    EXPECT_LE(WrongPasswordsThatFit(IndexOf("text.txt")), 2);
}

TEST_F(ToolArchives, SevenZipCryptoChecksTheCrcByte) {
    WriteSamples();
    ASSERT_EQ(Shell("cd " + NativeOf(folder) + "/in && 7z a -tzip -mem=ZipCrypto -ps3cret ../c.zip ."),
              0);
    OpenFile(folder.File("c.zip"));
    EXPECT_FALSE(Vars.EntryTable[IndexOf("text.txt")].Flags() & kEntryHasDescriptor);
    ExpectSamples("s3cret");
    EXPECT_LE(WrongPasswordsThatFit(IndexOf("sub\\random.bin")), 2);
}

class PeerArchives : public ToolArchives {
protected:
    std::string Peer(const std::string& name) {
        std::string path = std::string(PEER_ZIP_DIR) + "/" + name;
        if (!std::filesystem::exists(path))
            return std::string();
        std::string core = path;
        for (char& c : core)
            if (c == '/')
                c = '\\';
        return "Z:" + core;
    }
};

#define OPEN_PEER_OR_SKIP(name)                                 \
    std::string peer = Peer(name);                              \
    if (peer.empty())                                           \
        GTEST_SKIP() << "peer archives not present";            \
    OpenFile(peer)

TEST_F(PeerArchives, HighCompressionEntryDecodesWhole) {
    OPEN_PEER_OR_SKIP("libarchive/test_read_format_zip_high_compression.zip");
    Extracted x = Extract(IndexOf("char.bin"));
    EXPECT_EQ(x.decoded.result, InflateResult::Ok);
    EXPECT_EQ(x.decoded.bytes.size(), 262304u);
    EXPECT_EQ(x.decoded.crc, 0x5f1c1d17u);
}

TEST_F(PeerArchives, BytesBeforeTheArchiveWithUnadjustedOffsets) {
    OPEN_PEER_OR_SKIP("libarchive/test_read_format_zip_padded1.zip");
    EXPECT_EQ(Extract(IndexOf("file0")).decoded.bytes, "file0\n");
    EXPECT_EQ(Extract(IndexOf("file1")).decoded.bytes, "file1\n");
}

TEST_F(PeerArchives, BytesBeforeTheArchiveWithAbsoluteOffsets) {
    OPEN_PEER_OR_SKIP("libarchive/test_compat_zip_4.zip");
    EXPECT_EQ(Vars.OffsetDelta, 0);
    EXPECT_EQ(Extract(IndexOf("foo")).decoded.bytes, "foo\n");
    EXPECT_EQ(Extract(IndexOf("baz")).decoded.bytes, "baz\n");
}

TEST_F(PeerArchives, WrongStoredCrcIsSeen) {
    OPEN_PEER_OR_SKIP("libarchive/test_read_format_zip.zip");
    size_t good = IndexOf("file1"), bad = IndexOf("file2");
    EXPECT_EQ(Extract(good).decoded.crc, Vars.EntryTable[good].Crc());
    EXPECT_NE(Extract(bad).decoded.crc, Vars.EntryTable[bad].Crc());
}

TEST_F(PeerArchives, LongCommentAndDeflatedEntry) {
    OPEN_PEER_OR_SKIP("libarchive/test_read_format_zip_comment_stored_2.zip");
    size_t i = IndexOf("file0");
    Extracted x = Extract(i);
    EXPECT_EQ(x.decoded.bytes.size(), 81514u);
    EXPECT_EQ(x.decoded.crc, Vars.EntryTable[i].Crc());
}

TEST_F(PeerArchives, BrokenFilesWithoutDirectoryAreCorrupt) {
    std::string peer = Peer("libarchive/test_read_format_zip_malformed1.zip");
    if (peer.empty())
        GTEST_SKIP() << "peer archives not present";
    EXPECT_EQ(ExitCodeOf([&] { OpenFile(peer); }), 1);
}

}  // namespace
