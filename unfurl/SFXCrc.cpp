// CRC-32 of ZIP (reflected polynomial 0xEDB88320) by table, eight bytes
// at a time in six braids, after the folded form where the processor has it.
#include "SFXCrc.h"

#include <bit>
#include <cstring>

#include "SFXCrcFold.h"

std::array<uint32_t, 256> Crc32Table;

namespace {

constexpr uint32_t kCrcPolynomial = 0xEDB88320;

// Long buffers are cut into blocks of kBraids 8-byte words, and each word
// position of a block has its own CRC (a "braid"). BraidTable[k][n] is the
// CRC of byte n at byte k of a word advanced past the rest of the block, so
// every braid steps one block at a time independently of the others; the
// braids are combined in the last block.
constexpr int kBraids = 6;
constexpr size_t kWordBytes = 8;
constexpr size_t kBlockBytes = kBraids * kWordBytes;
uint32_t BraidTable[kWordBytes][256];

uint64_t LoadWord(const uint8_t* p) {
    uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, p, sizeof word);
    } else {
        for (int i = 7; i >= 0; --i)
            word = (word << 8) | p[i];
    }
    return word;
}

// The CRC register after eight more bytes, all folded into 'word' already.
uint32_t CrcWord(uint64_t word) {
    for (size_t i = 0; i < kWordBytes; ++i)
        word = (word >> 8) ^ Crc32Table[word & 0xFF];
    return static_cast<uint32_t>(word);
}

inline uint32_t Braid(uint64_t w) {
    return BraidTable[0][w & 0xFF] ^ BraidTable[1][(w >> 8) & 0xFF] ^
           BraidTable[2][(w >> 16) & 0xFF] ^ BraidTable[3][(w >> 24) & 0xFF] ^
           BraidTable[4][(w >> 32) & 0xFF] ^ BraidTable[5][(w >> 40) & 0xFF] ^
           BraidTable[6][(w >> 48) & 0xFF] ^ BraidTable[7][w >> 56];
}

}  // namespace

void BuildCrcTable() {
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t v = n;
        for (int k = 0; k < 8; ++k)
            v = (v & 1) ? (v >> 1) ^ kCrcPolynomial : v >> 1;
        Crc32Table[n] = v;
    }
    for (size_t k = 0; k < kWordBytes; ++k)
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t v = Crc32Table[n];
            for (size_t zeros = 0; zeros < kBlockBytes - 1 - k; ++zeros)
                v = (v >> 8) ^ Crc32Table[v & 0xFF];
            BraidTable[k][n] = v;
        }
}

void UpdateCrc(const uint8_t* buffer, size_t length, uint32_t& crc) {
    size_t folded = UpdateCrcFolded(buffer, length, crc);
    buffer += folded;
    length -= folded;
    uint32_t c = crc;
    size_t blocks = length / kBlockBytes;
    if (blocks > 0) {
        length -= blocks * kBlockBytes;
        static_assert(kBraids == 6, "the loop below is written out for six braids");
        uint32_t c0 = c, c1 = 0, c2 = 0, c3 = 0, c4 = 0, c5 = 0;
        for (; blocks > 1; --blocks, buffer += kBlockBytes) {
            c0 = Braid(c0 ^ LoadWord(buffer));
            c1 = Braid(c1 ^ LoadWord(buffer + 8));
            c2 = Braid(c2 ^ LoadWord(buffer + 16));
            c3 = Braid(c3 ^ LoadWord(buffer + 24));
            c4 = Braid(c4 ^ LoadWord(buffer + 32));
            c5 = Braid(c5 ^ LoadWord(buffer + 40));
        }
        c = CrcWord(c0 ^ LoadWord(buffer));
        c = CrcWord(c1 ^ LoadWord(buffer + 8) ^ c);
        c = CrcWord(c2 ^ LoadWord(buffer + 16) ^ c);
        c = CrcWord(c3 ^ LoadWord(buffer + 24) ^ c);
        c = CrcWord(c4 ^ LoadWord(buffer + 32) ^ c);
        c = CrcWord(c5 ^ LoadWord(buffer + 40) ^ c);
        buffer += kBlockBytes;
    }
    while (length-- > 0)
        c = CrcByte(c, *buffer++);
    crc = c;
}
