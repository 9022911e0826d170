// Differential tests against zlib: streams zlib makes at every level and
// strategy decode to the same bytes and CRC; damaged streams end.
#include <gtest/gtest.h>

#include <zlib.h>

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "UnfurlFixture.h"
#include "support/RandomBytes.h"
#include "support/RawDeflate.h"

namespace {

std::string Text(size_t size, unsigned seed) {
    static const char* words[] = {"the ", "archive ", "window ", "code ", "length ",
                                  "distance ", "of ", "a ", "block\r\n", "Huffman "};
    std::mt19937 random(seed);
    std::string s;
    while (s.size() < size)
        s += words[random() % 10];
    s.resize(size);
    return s;
}

std::string ProgramBytes() {
    std::ifstream in("/proc/self/exe", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.substr(0, 400000);
}

std::vector<std::pair<std::string, std::string>> Corpus() {
    std::string random = RandomBytes(100000, 1);
    std::string text = Text(300000, 2);
    std::string mixed = text.substr(0, 50000) + random.substr(0, 30000) + text;
    return {{"empty", ""},        {"one byte", "x"},       {"random", random},
            {"text", text},       {"binary", ProgramBytes()}, {"mixed", mixed},
            {"zeros", std::string(200000, '\0')}};
}

class InflateMatchesZlib : public UnfurlTest {};

TEST_F(InflateMatchesZlib, EveryLevelAndStrategy) {
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (const auto& [name, data] : Corpus()) {
        uint32_t expectedCrc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
        for (int level = 0; level <= 9; ++level)
            for (int strategy : strategies) {
                Decoded d = DecodeBytes(RawDeflate(data, level, strategy));
                ASSERT_EQ(d.result, InflateResult::Ok)
                    << name << " level " << level << " strategy " << strategy;
                ASSERT_EQ(d.bytes, data) << name << " level " << level << " strategy " << strategy;
                ASSERT_EQ(d.crc, expectedCrc) << name;
            }
    }
}

TEST_F(InflateMatchesZlib, CrcAgreesForEveryLengthAndAlignment) {
    std::string data = RandomBytes(5000, 9);
    for (size_t start = 0; start < 9; ++start)
        for (size_t length : {0, 1, 7, 8, 9, 15, 16, 17, 47, 48, 63, 64, 65, 79, 80, 100, 127,
                              128, 129, 191, 192, 1000, 4096, 4991}) {
            std::string piece = data.substr(start, length);
            uint32_t expected = static_cast<uint32_t>(crc32(
                0, reinterpret_cast<const Bytef*>(piece.data()), static_cast<uInt>(piece.size())));
            ASSERT_EQ(CrcOf(piece), expected) << start << " " << length;
        }
    EXPECT_EQ(CrcOf("123456789"), 0xCBF43926u);
}

TEST_F(InflateMatchesZlib, TruncatedAndFlippedStreamsEnd) {
    std::string data = Text(60000, 5) + RandomBytes(5000, 6);
    std::mt19937 random(7);
    for (int level : {1, 6, 9}) {
        std::string stream = RawDeflate(data, level, Z_DEFAULT_STRATEGY);
        const size_t bound = 258 * 8 * stream.size() + 65536;
        for (size_t cut = 0; cut < stream.size(); cut += 1 + stream.size() / 97) {
            Decoded d = DecodeBytes(stream.substr(0, cut));
            EXPECT_EQ(d.result, InflateResult::InputEnded) << "cut at " << cut;
            EXPECT_LE(d.bytes.size(), bound);
        }
        for (int trial = 0; trial < 200; ++trial) {
            std::string damaged = stream;
            damaged[random() % damaged.size()] ^= static_cast<char>(1 << (random() % 8));
            Decoded d = DecodeBytes(damaged);
            EXPECT_LE(d.bytes.size(), bound);
            if (d.result == InflateResult::Ok && d.bytes != data) {
                EXPECT_NE(d.crc, CrcOf(data));
            }
        }
    }
}

}  // namespace
