// Hand-built deflate streams: the block types, the window's edges, the
// table builder's accepted code sets, and a stream for every place decoding
// can fail, checked for its reason.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "UnfurlFixture.h"
#include "support/DeflateBitWriter.h"

namespace {

// Canonical codes for a set of lengths (RFC 1951 3.2.2).
std::vector<uint32_t> CanonicalCodes(const std::vector<int>& lengths) {
    int count[17] = {};
    for (int l : lengths)
        ++count[l];
    count[0] = 0;
    uint32_t next[17] = {};
    uint32_t code = 0;
    for (int bits = 1; bits <= 16; ++bits) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = code;
    }
    std::vector<uint32_t> codes(lengths.size());
    for (size_t i = 0; i < lengths.size(); ++i)
        if (lengths[i])
            codes[i] = next[lengths[i]]++;
    return codes;
}

// The header of a last dynamic block up to its code-length code, whose
// lengths are given by symbol (0 to 18); all nineteen are sent.
void PutCodeLengthCode(DeflateBitWriter& w, size_t literalCount, size_t distanceCount,
                       const std::vector<int>& lengthBySymbol) {
    w.Put(1, 1);
    w.Put(2, 2);
    w.Put(static_cast<uint32_t>(literalCount - 257), 5);
    w.Put(static_cast<uint32_t>(distanceCount - 1), 5);
    w.Put(15, 4);
    static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    for (int symbol : order)
        w.Put(static_cast<uint32_t>(lengthBySymbol.at(static_cast<size_t>(symbol))), 3);
}

// A last dynamic block; code-length symbols 0..15 all get four bits.
struct DynamicBlock {
    std::vector<int> literalLengths, distanceLengths;
    std::vector<uint32_t> literalCodes, distanceCodes;

    void WriteHeader(DeflateBitWriter& w) {
        std::vector<int> fourBits(19, 4);
        fourBits[16] = fourBits[17] = fourBits[18] = 0;
        PutCodeLengthCode(w, literalLengths.size(), distanceLengths.size(), fourBits);
        for (int l : literalLengths)
            w.PutCode(static_cast<uint32_t>(l), 4);
        for (int l : distanceLengths)
            w.PutCode(static_cast<uint32_t>(l), 4);
        literalCodes = CanonicalCodes(literalLengths);
        distanceCodes = CanonicalCodes(distanceLengths);
    }
    void Literal(DeflateBitWriter& w, unsigned symbol) {
        w.PutCode(literalCodes[symbol], static_cast<unsigned>(literalLengths[symbol]));
    }
    void Distance(DeflateBitWriter& w, unsigned code) {
        w.PutCode(distanceCodes[code], static_cast<unsigned>(distanceLengths[code]));
    }
};

// 288 literal/length codes, 286 and 287 included: a complete set.
std::vector<int> FullLiteralLengths() {
    std::vector<int> lengths(288, 9);
    for (int s = 256; s < 288; ++s)
        lengths[s] = 6;
    return lengths;
}

// A stored block's header with LEN and NLEN as given.
void PutStoredHeader(DeflateBitWriter& w, bool last, uint32_t length, uint32_t check) {
    w.Put(last ? 1 : 0, 1);
    w.Put(0, 2);
    w.AlignToByte();
    w.Put(length, 16);
    w.Put(check & 0xFFFF, 16);
}

void PutStoredBlock(DeflateBitWriter& w, const std::string& data, bool last) {
    PutStoredHeader(w, last, static_cast<uint32_t>(data.size()),
                    ~static_cast<uint32_t>(data.size()));
    for (char c : data)
        w.PutByte(static_cast<uint8_t>(c));
}

std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

class InflateBlocks : public UnfurlTest {};

TEST_F(InflateBlocks, EmptyStoredEntryWritesNothingWithCrcZero) {
    Decoded d = DecodeBytes("", true);
    EXPECT_EQ(d.bytes, "");
    EXPECT_EQ(d.crc, 0u);
}

TEST_F(InflateBlocks, StoredEntryCopiesAndDecrypts) {
    std::string data = Pattern(70000);
    Decoded d = DecodeBytes(data, true);
    EXPECT_EQ(d.bytes, data);
    EXPECT_EQ(d.crc, CrcOf(data));
}

TEST_F(InflateBlocks, StoredBlocksFillExactlyOneWindow) {
    DeflateBitWriter w;
    std::string data = Pattern(32768);
    PutStoredBlock(w, data.substr(0, 20000), false);
    PutStoredBlock(w, data.substr(20000), true);
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_EQ(d.result, InflateResult::Ok);
    EXPECT_EQ(d.bytes, data);
    EXPECT_EQ(d.crc, CrcOf(data));
}

TEST_F(InflateBlocks, LongestMatchAtDistanceOneWrapsTheWindow) {
    DeflateBitWriter w;
    std::string data = Pattern(32760);
    PutStoredBlock(w, data, false);
    w.Put(1, 1);
    w.Put(1, 2);
    w.PutFixedSymbol(285);        // length 258
    w.PutFixedDistance(0);        // distance 1
    w.PutFixedSymbol(256);
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_EQ(d.result, InflateResult::Ok);
    EXPECT_EQ(d.bytes, data + std::string(258, data.back()));
}

TEST_F(InflateBlocks, OverlappingMatchRepeatsThePattern) {
    DeflateBitWriter w;
    w.Put(1, 1);
    w.Put(1, 2);
    w.PutFixedSymbol('a');
    w.PutFixedSymbol('b');
    w.PutFixedSymbol('c');
    w.PutFixedSymbol(265);        // lengths 11-12, one extra bit
    w.Put(1, 1);                  // 12
    w.PutFixedDistance(2);        // distance 3
    w.PutFixedSymbol(256);
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_EQ(d.result, InflateResult::Ok);
    EXPECT_EQ(d.bytes, "abcabcabcabcabc");
}

TEST_F(InflateBlocks, LastCodeShorterThanTheLookupEndsOnAByte) {
    // 3 header bits, six 9-bit literals and the 7-bit end code: 64 bits.
    DeflateBitWriter w;
    w.Put(1, 1);
    w.Put(1, 2);
    for (int i = 0; i < 6; ++i)
        w.PutFixedSymbol(0xE0);
    w.PutFixedSymbol(256);
    ASSERT_EQ(w.Bytes().size(), 8u);
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_EQ(d.result, InflateResult::Ok);
    EXPECT_EQ(d.bytes, std::string(6, '\xE0'));
}

class InflateTables : public UnfurlTest {};

TEST_F(InflateTables, ListsWithCodes286And287AndDistances30And31Build) {
    DynamicBlock block{FullLiteralLengths(), std::vector<int>(32, 5), {}, {}};
    DeflateBitWriter w;
    block.WriteHeader(w);
    block.Literal(w, 'a');
    block.Literal(w, 'b');
    block.Literal(w, 257);        // length 3
    block.Distance(w, 0);         // distance 1
    block.Literal(w, 256);
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_EQ(d.result, InflateResult::Ok);
    EXPECT_EQ(d.bytes, "abbbb");
}

TEST_F(InflateTables, SingleDistanceCodeOfOneBitIsAccepted) {
    DynamicBlock block{FullLiteralLengths(), {1}, {}, {}};
    DeflateBitWriter w;
    block.WriteHeader(w);
    block.Literal(w, 'z');
    block.Literal(w, 258);        // length 4
    block.Distance(w, 0);
    block.Literal(w, 256);
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_EQ(d.result, InflateResult::Ok);
    EXPECT_EQ(d.bytes, "zzzzz");
}

class InflateFailures : public UnfurlTest {};

std::string Stream(const std::function<void(DeflateBitWriter&)>& write) {
    DeflateBitWriter w;
    write(w);
    return w.Bytes();
}

using BlockWriter = std::function<void(DynamicBlock&, DeflateBitWriter&)>;

// A last dynamic block with these code lengths, its body written by 'write'.
std::string DynamicStream(std::vector<int> literals, std::vector<int> distances,
                          const BlockWriter& write) {
    DynamicBlock block{std::move(literals), std::move(distances), {}, {}};
    DeflateBitWriter w;
    block.WriteHeader(w);
    write(block, w);
    return w.Bytes();
}

// Zero bits after a bad code, so that the input holds a longest code's
// worth of bits there and the code is not taken as cut short.
constexpr unsigned kPastABadCode = 32;
// Literals enough, and zero bits after the bad code enough, for the fast loop.
constexpr unsigned kFastLiterals = 40;
constexpr unsigned kPastForTheFastLoop = 8 * 32;

// In a block where every symbol has a code: 'count' literals "a", what 'bad'
// writes, and 'zeros' zero bits.
std::string AfterLiterals(unsigned count, const BlockWriter& bad, unsigned zeros) {
    return DynamicStream(FullLiteralLengths(), std::vector<int>(32, 5),
                         [&](DynamicBlock& b, DeflateBitWriter& w) {
                             for (unsigned i = 0; i < count; ++i)
                                 b.Literal(w, 'a');
                             bad(b, w);
                             w.Put(0, zeros);
                         });
}

// One case per place a stream can fail, each with the reason and the bytes
// written before it.
TEST_F(InflateFailures, EachFailureHasItsReasonAndKeepsTheBytesBeforeIt) {
    std::vector<int> oversubscribed = FullLiteralLengths();
    oversubscribed[0] = 1;
    std::vector<int> incomplete = FullLiteralLengths();
    incomplete[287] = 0;
    // A complete code of the 256 literals alone: the block could never end.
    std::vector<int> withoutEnd(257, 8);
    withoutEnd[256] = 0;
    auto codeLengthCode = [](std::vector<std::pair<int, int>> lengths, unsigned after,
                             unsigned bits) {
        return Stream([&](DeflateBitWriter& w) {
            std::vector<int> bySymbol(19, 0);
            for (auto [symbol, length] : lengths)
                bySymbol[static_cast<size_t>(symbol)] = length;
            PutCodeLengthCode(w, 257, 1, bySymbol);
            w.Put(after, bits);
        });
    };
    auto fixed = [](const std::string& literals) {
        return Stream([&](DeflateBitWriter& w) {
            w.Put(1, 1);
            w.Put(1, 2);
            for (char c : literals)
                w.PutFixedSymbol(static_cast<unsigned char>(c));
            w.PutFixedSymbol(256);
        });
    };
    auto zeroBits = [](DynamicBlock&, DeflateBitWriter& w) { w.Put(0, 16); };
    auto literalsABC = [](DynamicBlock& b, DeflateBitWriter& w) {
        for (char c : std::string("abc"))
            b.Literal(w, static_cast<unsigned char>(c));
    };
    auto symbol286 = [](DynamicBlock& b, DeflateBitWriter& w) { b.Literal(w, 286); };
    auto distance30 = [](DynamicBlock& b, DeflateBitWriter& w) {
        b.Literal(w, 257);        // length 3
        b.Distance(w, 30);
    };
    auto distance100 = [](DynamicBlock& b, DeflateBitWriter& w) {
        b.Literal(w, 257);
        b.Distance(w, 13);        // 97 and five extra bits
        w.Put(3, 5);
    };
    const std::string zeros = ZeroRunStream(200);
    struct Case {
        const char* what;
        std::string stream;
        bool stored;
        DecodeLimits limits;
        InflateResult result;
        std::string bytes;
    } cases[] = {
        {"no input at all", "", false, {}, InflateResult::InputEnded, ""},
        {"fixed block without its end", Stream([](DeflateBitWriter& w) {
             w.Put(1, 1);
             w.Put(1, 2);
             w.PutFixedSymbol('q');
             w.PutFixedSymbol('r');
         }), false, {}, InflateResult::InputEnded, "qr"},
        {"stored block longer than the input", Stream([](DeflateBitWriter& w) {
             PutStoredHeader(w, true, 100, ~100u);
             w.Put('A', 8);
         }), false, {}, InflateResult::InputEnded, "A"},
        {"dynamic header cut short", Stream([](DeflateBitWriter& w) {
             w.Put(1, 1);
             w.Put(2, 2);
             w.Put(0, 14);
         }), false, {}, InflateResult::InputEnded, ""},
        {"reserved block type", Stream([](DeflateBitWriter& w) {
             w.Put(1, 1);
             w.Put(3, 2);
         }), false, {}, InflateResult::BadBlockType, ""},
        {"stored NLEN not the complement", Stream([](DeflateBitWriter& w) {
             PutStoredHeader(w, true, 5, 5);
             w.Put(0, 40);
         }), false, {}, InflateResult::StoredLengthMismatch, ""},
        {"code-length code oversubscribed", codeLengthCode({{0, 1}, {8, 1}, {18, 1}}, 0, 32),
         false, {}, InflateResult::BadCodeLengthCode, ""},
        {"code-length code incomplete", codeLengthCode({{0, 2}, {8, 2}}, 0, 32), false, {},
         InflateResult::BadCodeLengthCode, ""},
        // One code of one bit: "0" names symbol 0, "1" nothing.
        {"code-length bits naming nothing", codeLengthCode({{0, 1}}, 1, 1 + kPastABadCode), false,
         {}, InflateResult::BadCodeLengthSymbol, ""},
        // Symbols 8 and 18 get one bit each: code 1 is 18, 11 + 127 zeros, and
        // the third run passes the 258 lengths.
        {"repeat past the lengths", codeLengthCode({{8, 1}, {18, 1}}, 0xFFFFFF, 24), false, {},
         InflateResult::RepeatPastEnd, ""},
        // Symbols 8 and 16 get one bit each: the first code is a repeat.
        {"repeat with no length before it", codeLengthCode({{8, 1}, {16, 1}}, 1, 1 + 2 + 32),
         false, {}, InflateResult::RepeatWithoutLength, ""},
        {"no end-of-block code", DynamicStream(withoutEnd, {1}, literalsABC), false, {},
         InflateResult::NoEndOfBlockCode, ""},
        {"literal lengths oversubscribed", DynamicStream(oversubscribed, {1}, zeroBits), false, {},
         InflateResult::BadLiteralLengths, ""},
        {"literal lengths incomplete", DynamicStream(incomplete, {1}, zeroBits), false, {},
         InflateResult::BadLiteralLengths, ""},
        {"distance lengths oversubscribed",
         DynamicStream(FullLiteralLengths(), {1, 1, 1}, zeroBits), false, {},
         InflateResult::BadDistanceLengths, ""},
        {"literal/length symbol 286", AfterLiterals(1, symbol286, kPastABadCode), false, {},
         InflateResult::BadLiteralCode, "a"},
        {"symbol 286 in the fast loop",
         AfterLiterals(kFastLiterals, symbol286, kPastForTheFastLoop), false, {},
         InflateResult::BadLiteralCode, std::string(kFastLiterals, 'a')},
        {"distance symbol 30", AfterLiterals(1, distance30, kPastABadCode), false, {},
         InflateResult::BadDistanceCode, "a"},
        {"distance 30 in the fast loop",
         AfterLiterals(kFastLiterals, distance30, kPastForTheFastLoop), false, {},
         InflateResult::BadDistanceCode, std::string(kFastLiterals, 'a')},
        {"distance before the first byte", Stream([](DeflateBitWriter& w) {
             w.Put(1, 1);
             w.Put(1, 2);
             w.PutFixedSymbol('a');
             w.PutFixedMatch(3, 2);
             w.PutFixedSymbol(256);
         }), false, {}, InflateResult::DistanceTooFar, "a"},
        {"too far in the fast loop",
         AfterLiterals(kFastLiterals, distance100, kPastForTheFastLoop), false, {},
         InflateResult::DistanceTooFar, std::string(kFastLiterals, 'a')},
        {"stored entry shorter than its size", "abcdef", true, {.missing = 10},
         InflateResult::StoredDataCut, ""},
        {"stored, more than declared", "abcdef", true, {.room = 3}, InflateResult::OutputOverflow,
         "abc"},
        {"more than declared, at the end", fixed("abcdef"), false, {.room = 3},
         InflateResult::OutputOverflow, "abc"},
        {"more than declared, as the window fills", zeros, false, {.room = 1000},
         InflateResult::OutputOverflow, std::string(1000, '\0')},
        {"stored, short write", "abcdef", true, {.writable = 2}, InflateResult::WriteFailed, "ab"},
        {"short write at the end", fixed("abcdef"), false, {.writable = 2},
         InflateResult::WriteFailed, "ab"},
        {"short write as the window fills", zeros, false, {.writable = 1000},
         InflateResult::WriteFailed, std::string(1000, '\0')},
    };
    for (const Case& c : cases) {
        Decoded d = DecodeBytes(c.stream, c.stored, c.limits);
        EXPECT_EQ(d.result, c.result) << c.what;
        EXPECT_EQ(d.bytes, c.bytes) << c.what;
    }
}

}  // namespace
