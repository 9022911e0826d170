// Hand-built deflate streams: the block types, the window's edges, the
// table builder's accepted and refused code sets, and damaged input.
#include <gtest/gtest.h>

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

// A dynamic block header; code-length symbols 0..15 all get four bits.
struct DynamicBlock {
    std::vector<int> literalLengths, distanceLengths;
    std::vector<uint32_t> literalCodes, distanceCodes;

    void WriteHeader(DeflateBitWriter& w, bool last) {
        w.Put(last ? 1 : 0, 1);
        w.Put(2, 2);
        w.Put(static_cast<uint32_t>(literalLengths.size() - 257), 5);
        w.Put(static_cast<uint32_t>(distanceLengths.size() - 1), 5);
        w.Put(15, 4);
        static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                      11, 4, 12, 3, 13, 2, 14, 1, 15};
        for (int symbol : order)
            w.Put(symbol < 16 ? 4 : 0, 3);
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

void PutStoredBlock(DeflateBitWriter& w, const std::string& data, bool last) {
    w.Put(last ? 1 : 0, 1);
    w.Put(0, 2);
    w.AlignToByte();
    w.Put(static_cast<uint32_t>(data.size()), 16);
    w.Put(static_cast<uint32_t>(~data.size() & 0xFFFF), 16);
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
    EXPECT_TRUE(d.ok);
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
    EXPECT_TRUE(d.ok);
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
    EXPECT_TRUE(d.ok);
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
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.bytes, std::string(6, '\xE0'));
}

class InflateTables : public UnfurlTest {};

TEST_F(InflateTables, ListsWithCodes286And287AndDistances30And31Build) {
    DynamicBlock block{FullLiteralLengths(), std::vector<int>(32, 5), {}, {}};
    DeflateBitWriter w;
    block.WriteHeader(w, true);
    block.Literal(w, 'a');
    block.Literal(w, 'b');
    block.Literal(w, 257);        // length 3
    block.Distance(w, 0);         // distance 1
    block.Literal(w, 256);
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.bytes, "abbbb");
}

TEST_F(InflateTables, DecodingCode286OrDistance30IsADataError) {
    for (int variant = 0; variant < 2; ++variant) {
        DynamicBlock block{FullLiteralLengths(), std::vector<int>(32, 5), {}, {}};
        DeflateBitWriter w;
        block.WriteHeader(w, true);
        block.Literal(w, 'x');
        if (variant == 0) {
            block.Literal(w, 286);
        } else {
            block.Literal(w, 257);
            block.Distance(w, 30);
        }
        block.Literal(w, 256);
        Decoded d = DecodeBytes(w.Bytes());
        EXPECT_FALSE(d.ok) << variant;
        EXPECT_EQ(d.bytes, "x") << variant;
    }
}

TEST_F(InflateTables, SingleDistanceCodeOfOneBitIsAccepted) {
    DynamicBlock block{FullLiteralLengths(), {1}, {}, {}};
    DeflateBitWriter w;
    block.WriteHeader(w, true);
    block.Literal(w, 'z');
    block.Literal(w, 258);        // length 4
    block.Distance(w, 0);
    block.Literal(w, 256);
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.bytes, "zzzzz");
}

TEST_F(InflateTables, OversubscribedAndIncompleteLiteralSetsAreRefused) {
    std::vector<int> over = FullLiteralLengths();
    over[0] = 1;
    std::vector<int> incomplete = FullLiteralLengths();
    incomplete[287] = 0;
    for (const auto& lengths : {over, incomplete}) {
        DynamicBlock block{lengths, {1}, {}, {}};
        DeflateBitWriter w;
        block.WriteHeader(w, true);
        w.Put(0, 16);
        Decoded d = DecodeBytes(w.Bytes());
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.bytes, "");
    }
}

TEST_F(InflateTables, BlockWithoutEndOfBlockCodeIsRefusedBeforeItWrites) {
    // A complete code of the 256 literals alone: the block could never end.
    std::vector<int> literals(257, 8);
    literals[256] = 0;
    DynamicBlock block{literals, {1}, {}, {}};
    DeflateBitWriter w;
    block.WriteHeader(w, true);
    for (char c : std::string("abc"))
        block.Literal(w, static_cast<unsigned char>(c));
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.bytes, "");
}

TEST_F(InflateTables, RepeatPastTheEndOfTheListsIsRefused) {
    DeflateBitWriter w;
    w.Put(1, 1);
    w.Put(2, 2);
    w.Put(0, 5);
    w.Put(0, 5);
    w.Put(15, 4);
    static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                  11, 4, 12, 3, 13, 2, 14, 1, 15};
    // Symbols 18 and 8 get one bit each: codes 0 (for 8) and 1 (for 18).
    for (int symbol : order)
        w.Put(symbol == 18 || symbol == 8 ? 1 : 0, 3);
    for (int i = 0; i < 3; ++i) {
        w.PutCode(1, 1);          // 18: 11 + 127 zeros
        w.Put(127, 7);
    }
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_FALSE(d.ok);
}

class InflateDamage : public UnfurlTest {};

TEST_F(InflateDamage, ReservedBlockTypeAndBadStoredLengthAreDataErrors) {
    DeflateBitWriter reserved;
    reserved.Put(1, 1);
    reserved.Put(3, 2);
    EXPECT_FALSE(DecodeBytes(reserved.Bytes()).ok);

    DeflateBitWriter stored;
    stored.Put(1, 1);
    stored.Put(0, 2);
    stored.AlignToByte();
    stored.Put(5, 16);
    stored.Put(5, 16);
    stored.Put(0, 40);
    EXPECT_FALSE(DecodeBytes(stored.Bytes()).ok);
}

TEST_F(InflateDamage, StreamWithoutEndStopsWhereTheBytesEnd) {
    // Past the end the bit buffer fills with ones, which the fixed code
    // reads as literal 255 forever; the decoder must stop instead.
    DeflateBitWriter w;
    w.Put(1, 1);
    w.Put(1, 2);
    w.PutFixedSymbol('q');
    w.PutFixedSymbol('r');
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.bytes, "qr");
}

TEST_F(InflateDamage, StoredDataBeyondTheInputIsADataError) {
    DeflateBitWriter w;
    w.Put(1, 1);
    w.Put(0, 2);
    w.AlignToByte();
    w.Put(100, 16);
    w.Put(~100u & 0xFFFF, 16);
    w.Put(0x41, 8);
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.bytes, "A");
}

TEST_F(InflateDamage, DistanceBeforeTheFirstByteIsADataError) {
    DeflateBitWriter w;
    w.Put(1, 1);
    w.Put(1, 2);
    w.PutFixedSymbol('a');
    w.PutFixedSymbol(257);
    w.PutFixedDistance(1);        // distance 2, one byte written
    w.PutFixedSymbol(256);
    Decoded d = DecodeBytes(w.Bytes());
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.bytes, "a");
}

class DecoderOutput : public UnfurlTest {};

TEST_F(DecoderOutput, ShortWriteIsFatalAndNamesTheOutput) {
    MemoryFile input(Pattern(40000)), output;
    output.LimitWrites(1000);
    Decoder = DecoderState();
    Decoder.input = &input;
    Decoder.output = &output;
    Decoder.outputName = "C:\\Out\\big.bin";
    Decoder.remaining = 40000;
    EXPECT_EQ(ExitCodeOf([] { CopyStoredEntry(); }), 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Error escribiendo C:\\Out\\big.bin");
    EXPECT_EQ(host.messages[0].caption, "Error...");
    EXPECT_FALSE(host.messages[0].owned);
}

TEST_F(DecoderOutput, StoredEntryCutShortIsACorruptArchive) {
    MemoryFile input(Pattern(100)), output;
    Decoder = DecoderState();
    Decoder.input = &input;
    Decoder.output = &output;
    Decoder.remaining = 200;
    EXPECT_EQ(ExitCodeOf([] { CopyStoredEntry(); }), 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Archivo corrupto, prueba a descargar el archivo otra vez.");
}

}  // namespace
