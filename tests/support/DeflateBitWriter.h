// Builds deflate streams bit by bit for tests: fields least significant bit
// first, Huffman codes most significant bit first, as RFC 1951 packs them.
#pragma once

#include <cstdint>
#include <string>

class DeflateBitWriter {
public:
    // A field of 'count' bits, low bit first; bits past the value's 32 are 0.
    void Put(uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i)
            PutBit(i < 32 ? (value >> i) & 1 : 0);
    }
    // A Huffman code of 'length' bits, high bit first.
    void PutCode(uint32_t code, unsigned length) {
        for (unsigned i = length; i > 0; --i)
            PutBit((code >> (i - 1)) & 1);
    }
    void AlignToByte() {
        while (bitCount_ != 0)
            PutBit(0);
    }
    void PutByte(uint8_t byte) { Put(byte, 8); }

    // Fixed-code literal/length symbol and distance code (RFC 1951 3.2.6).
    void PutFixedSymbol(unsigned symbol) {
        if (symbol < 144)
            PutCode(0x30 + symbol, 8);
        else if (symbol < 256)
            PutCode(0x190 + symbol - 144, 9);
        else if (symbol < 280)
            PutCode(symbol - 256, 7);
        else
            PutCode(0xC0 + symbol - 280, 8);
    }
    void PutFixedDistance(unsigned code) { PutCode(code, 5); }
    // A whole match in a fixed-code block: length symbol, its extra bits,
    // distance code, its extra bits (RFC 1951 3.2.5). Length 3..258,
    // distance 1..32768.
    void PutFixedMatch(unsigned length, unsigned distance) {
        static const uint16_t lengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10,  11,  13,
                                                15, 17, 19, 23, 27, 31, 35, 43,  51,  59,
                                                67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const uint8_t lengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static const uint16_t distanceBase[30] = {
            1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
            193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        unsigned l = 28;
        while (lengthBase[l] > length)
            --l;
        PutFixedSymbol(257 + l);
        Put(length - lengthBase[l], lengthExtra[l]);
        unsigned d = 29;
        while (distanceBase[d] > distance)
            --d;
        PutFixedDistance(d);
        Put(distance - distanceBase[d], d < 4 ? 0 : d / 2 - 1);
    }

    // The stream so far, the last byte padded with zero bits.
    std::string Bytes() const {
        std::string out = bytes_;
        if (bitCount_ != 0)
            out += static_cast<char>(current_);
        return out;
    }

private:
    void PutBit(unsigned bit) {
        current_ |= static_cast<uint8_t>(bit << bitCount_);
        if (++bitCount_ == 8) {
            bytes_ += static_cast<char>(current_);
            current_ = 0;
            bitCount_ = 0;
        }
    }
    std::string bytes_;
    uint8_t current_ = 0;
    unsigned bitCount_ = 0;
};

// A fixed-code stream that decodes to 1 + 258 * matches zero bytes: one
// literal, then matches of the longest length at distance 1.
inline std::string ZeroRunStream(unsigned matches) {
    DeflateBitWriter w;
    w.Put(1, 1);
    w.Put(1, 2);
    w.PutFixedSymbol(0);
    for (unsigned i = 0; i < matches; ++i)
        w.PutFixedMatch(258, 1);
    w.PutFixedSymbol(256);
    return w.Bytes();
}
