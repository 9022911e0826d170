// Archives from the encoders people use (7-Zip, Info-ZIP, zlib at every
// level and strategy, libdeflate, pigz, zopfli), made at test time from
// data that reaches every distance up to 32768 and every length from 3 to
// 258, extract byte for byte with "sfxpack extract". Raw deflate streams
// are wrapped into a ZIP here; those of gzip tools are cut out of the
// gzip member first.
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <vector>

#include "SfxPackFixture.h"
#include "support/RawDeflate.h"

namespace {

bool HaveCommand(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

#define SKIP_WITHOUT(tool)                                                              \
    if (!HaveCommand(tool))                                                             \
    GTEST_SKIP() << tool << " is not installed (scripts/bootstrap installs it)"

// Blocks repeated at distances 32760 to 32768, each right after a short
// match, so that a far match reads the window's oldest bytes.
std::string FarRepeats() {
    std::mt19937 random(1);
    std::string s(40000, '\0');
    for (char& c : s)
        c = static_cast<char>(random());
    while (s.size() < 400000) {
        size_t from = s.size() - 50 - random() % 150;
        size_t length = 9 + random() % 32;
        for (size_t i = 0; i < length; ++i)
            s += s[from + i];
        size_t distance = 32760 + random() % 9;
        for (size_t i = 0, n = 10 + random() % 50; i < n; ++i)
            s += s[s.size() - distance];
        s += static_cast<char>(random());
    }
    return s;
}

// Copies of every length from 3 to 258 at distances spread over 1 to
// 32768, each broken off by a fresh byte.
std::string EveryLengthAndDistance() {
    std::mt19937 random(2);
    std::string s(32768, '\0');
    for (char& c : s)
        c = static_cast<char>(random());
    for (unsigned i = 0; i < 4 * 256; ++i) {
        size_t length = 3 + i % 256;
        size_t distance = 1 + (i * 7919u + (i / 256) * 4099u) % 32768;
        for (size_t k = 0; k < length; ++k)
            s += s[s.size() - distance];
        s += static_cast<char>(random());
    }
    return s;
}

// Long runs of one byte and of short patterns.
std::string Runs() {
    std::string s(100000, '\0');
    for (int value = 1; value < 256; value += 17)
        s += std::string(3000 + value, static_cast<char>(value));
    for (int i = 0; i < 20000; ++i)
        s += "ab";
    for (int i = 0; i < 5000; ++i)
        s += "0123456789ABCDE";
    return s;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Real text: this package's own sources.
std::string SourceText() {
    std::string s;
    for (const char* file : {"unfurl/SFXInflate.cpp", "unfurl/SFXExtract.cpp",
                             "unfurl/SFXDirectory.cpp", "unfurl/SFXHeader.cpp", "README.md",
                             "tools/sfxpack/Pack.cpp", "tests/sfxpack/ExtractCommandTest.cpp"})
        s += ReadFile(std::string(SOURCE_DIR) + "/" + file);
    return s;
}

uint32_t Crc(const std::string& data) {
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()),
                                       static_cast<uInt>(data.size())));
}

// The deflate stream of a single-member gzip file (RFC 1952): after the
// ten fixed bytes and the optional fields the flags announce, up to the
// eight-byte trailer.
std::string GzipRaw(const std::string& gz) {
    if (gz.size() < 18)
        return {};
    uint8_t flags = static_cast<uint8_t>(gz[3]);
    size_t at = 10;
    if (flags & 4)
        at += 2 + (static_cast<uint8_t>(gz[at]) | static_cast<uint8_t>(gz[at + 1]) << 8);
    if (flags & 8)
        at = gz.find('\0', at) + 1;
    if (flags & 16)
        at = gz.find('\0', at) + 1;
    if (flags & 2)
        at += 2;
    return gz.substr(at, gz.size() - 8 - at);
}

class EncoderMatrix : public SfxPackProgram {
protected:
    std::vector<std::pair<std::string, std::string>> files;

    void SetUp() override {
        SfxPackProgram::SetUp();
        files = {{"far.bin", FarRepeats()},
                 {"lengths.bin", EveryLengthAndDistance()},
                 {"runs.bin", Runs()},
                 {"text.txt", SourceText()},
                 {"program.exe", ReadFile(SFXPACK_EXE).substr(0, 500000)}};
        for (const auto& [name, data] : files)
            temp.Write("tree/" + name, data);
    }
    int Shell(const std::string& command) const {
        return std::system(("cd " + Native() + " && " + command + " >/dev/null 2>&1").c_str());
    }
    // Packs the archive and extracts it; every file must come back whole.
    void ExpectExtractsWhole(const std::string& zipName) {
        SCOPED_TRACE(zipName);
        Shell("rm -rf out sfx.exe");
        ASSERT_EQ(Pack("--zip " + zipName).exitCode, 0);
        Result extract = Run("extract sfx.exe out");
        EXPECT_EQ(extract.exitCode, 0) << extract.err;
        EXPECT_EQ(extract.err, "");
        for (const auto& [name, data] : files) {
            std::string got = ReadNative(Native("out/" + name));
            EXPECT_EQ(got.size(), data.size()) << name;
            EXPECT_TRUE(got == data) << name << " differs";
        }
    }
    // A ZIP of the files from their raw deflate streams.
    void WriteRawZip(const std::string& zipName,
                     const std::function<std::string(const std::string&, const std::string&)>&
                         rawOf) {
        ZipBuilder zip;
        for (const auto& [name, data] : files) {
            ZipEntrySpec e;
            e.name = name;
            e.data = rawOf(name, data);
            e.method = 8;
            e.crc = Crc(data);
            e.uncompressedSize = static_cast<uint32_t>(data.size());
            zip.entries.push_back(e);
        }
        temp.Write(zipName, zip.Build());
    }
    // The files through a gzip tool, 'options' before the file name.
    void ExpectGzipToolExtracts(const std::string& tool, const std::string& options) {
        std::string zipName = tool + options + ".zip";
        zipName.erase(std::remove(zipName.begin(), zipName.end(), ' '), zipName.end());
        WriteRawZip(zipName, [&](const std::string& name, const std::string&) {
            EXPECT_EQ(Shell("(" + tool + " " + options + " -c tree/" + name + " > member.gz)"), 0);
            return GzipRaw(temp.Read("member.gz"));
        });
        ExpectExtractsWhole(zipName);
    }
};

TEST_F(EncoderMatrix, SevenZipAtEveryLevelAndWithItsLongestSearch) {
    SKIP_WITHOUT("7z");
    for (const char* options :
         {"-mx=1", "-mx=3", "-mx=5", "-mx=7", "-mx=9", "-mx=9 -mfb=258 -mpass=15"}) {
        Shell("rm -f 7z.zip");
        ASSERT_EQ(Shell(std::string("cd tree && 7z a -tzip -bd ") + options + " ../7z.zip ."), 0)
            << options;
        ExpectExtractsWhole("7z.zip");
    }
}

TEST_F(EncoderMatrix, InfoZipFastestAndBest) {
    SKIP_WITHOUT("zip");
    for (const char* level : {"-1", "-9"}) {
        Shell("rm -f zip.zip");
        ASSERT_EQ(Shell(std::string("cd tree && zip -q -r ") + level + " ../zip.zip ."), 0);
        ExpectExtractsWhole("zip.zip");
    }
}

TEST_F(EncoderMatrix, ZlibAtEveryLevelAndStrategy) {
    for (int level = 0; level <= 9; ++level)
        for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
            std::string zipName =
                "zlib" + std::to_string(level) + "-" + std::to_string(strategy) + ".zip";
            WriteRawZip(zipName, [&](const std::string&, const std::string& data) {
                return RawDeflate(data, level, strategy);
            });
            ExpectExtractsWhole(zipName);
        }
}

TEST_F(EncoderMatrix, LibdeflateAtEveryLevel) {
    SKIP_WITHOUT("libdeflate-gzip");
    for (int level = 1; level <= 12; ++level)
        ExpectGzipToolExtracts("libdeflate-gzip", "-" + std::to_string(level));
}

TEST_F(EncoderMatrix, PigzWithItsZopfliLevel) {
    SKIP_WITHOUT("pigz");
    ExpectGzipToolExtracts("pigz", "-11");
}

TEST_F(EncoderMatrix, ZopfliRawDeflate) {
    SKIP_WITHOUT("zopfli");
    WriteRawZip("zopfli.zip", [&](const std::string& name, const std::string&) {
        EXPECT_EQ(Shell("(zopfli --deflate -c tree/" + name + " > member.deflate)"), 0);
        return temp.Read("member.deflate");
    });
    ExpectExtractsWhole("zopfli.zip");
}

}  // namespace
