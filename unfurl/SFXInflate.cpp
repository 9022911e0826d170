// Inflate (RFC 1951) in the classic table-driven design: a bit buffer fed
// from 32 KB input chunks, two-level lookup tables built from code lengths,
// and a 32 KB window flushed to the output each time it fills.
#include "SFXInflate.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <vector>

#include "SFXCrc.h"
#include "SFXCrypt.h"

DecoderState Decoder;

namespace {

constexpr unsigned kWindowSize = 32768;
constexpr unsigned kInputChunk = 32768;
constexpr unsigned kInputPadding = 2;
constexpr unsigned kMaxMatch = 258;
constexpr unsigned kMaxDistance = 32768;
constexpr unsigned kMaxCodeLength = 16;
constexpr unsigned kMaxLiteralCodes = 288;
constexpr unsigned kMaxDistanceCodes = 32;
constexpr unsigned kCodeLengthCodes = 19;
constexpr unsigned kLengthArraySize = 320;
constexpr unsigned kEndOfBlock = 256;
constexpr unsigned kPlainLiterals = 257;

// Lookup widths of the first-level tables. Wider than the classic 9/6 and
// 7/5 so that nearly every code resolves in one lookup; the bytes decoded
// do not depend on them.
constexpr unsigned kLiteralLookupBits = 10;
constexpr unsigned kDistanceLookupBits = 8;
constexpr unsigned kFixedLiteralLookupBits = 9;
constexpr unsigned kFixedDistanceLookupBits = 5;
constexpr unsigned kCodeLengthLookupBits = 7;

// Matches are copied a word at a time, at least two words. The words may
// run up to fifteen bytes past a run's end, into the window's oldest
// history or past its end; those bytes are kept and put back (see CopyRun).
constexpr unsigned kCopyWord = 8;
constexpr unsigned kCopyOvershoot = 2 * kCopyWord;
constexpr unsigned kWindowPadding = kCopyOvershoot;

// The fast loop runs while the chunk holds enough bytes for two word loads
// and the window has room for two literals and the longest match (or three
// literals) with a byte to spare, so that neither end needs checking per
// symbol and the window never fills inside it.
constexpr unsigned kFastInputBytes = 2 * sizeof(uint64_t);
constexpr unsigned kFastLiterals = 2;
constexpr unsigned kFastWindowRoom = kFastLiterals + kMaxMatch;
// Bits a word load guarantees (the count stays below 64), and the most one
// pass of the fast loop takes from them: two literals and a length with its
// extra bits (or three literals), then, after a second load, a distance
// with its extra bits.
constexpr unsigned kRefillBits = 56;
constexpr unsigned kLongestCode = 15;
constexpr unsigned kMaxLengthExtra = 5;
constexpr unsigned kMaxDistanceExtra = 13;
constexpr unsigned kMaxLiteralStep = kFastLiterals * kLongestCode + kLongestCode + kMaxLengthExtra;
constexpr unsigned kMaxDistanceStep = kLongestCode + kMaxDistanceExtra;

static_assert(kLengthArraySize >= kMaxLiteralCodes + kMaxDistanceCodes);
static_assert((kWindowSize & (kWindowSize - 1)) == 0, "window size is a power of two");
static_assert(kMaxDistance == kWindowSize, "every distance reaches into the window");
static_assert(kWindowPadding >= kCopyOvershoot, "the words past the window's end fit");
static_assert(kFastWindowRoom < kWindowSize);
static_assert(kMaxLiteralStep <= kRefillBits && kMaxDistanceStep <= kRefillBits);
static_assert(3 * kLongestCode <= kMaxLiteralStep, "three literals fit as well");

// Table entry operations.
constexpr uint8_t kOpEndOfBlock = 15;
constexpr uint8_t kOpLiteral = 16;
constexpr uint8_t kOpInvalid = 99;

// One table entry: bits of the code (or sub-code), operation, value.
// Operation 0..13 is a length or distance with that many extra bits, above
// 16 a link to a sub-table indexed by (operation - 16) further bits.
struct Code {
    uint8_t bits;
    uint8_t op;
    uint16_t value;
};
static_assert(sizeof(Code) == 4);

constexpr Code kInvalidCode = {0, kOpInvalid, 0};

using CodeTable = std::vector<Code>;

// Length bases and extra bits for codes 257..285; 286 and 287 are invalid.
constexpr uint16_t kLengthBase[31] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,
                                      17, 19, 23, 27, 31, 35, 43, 51, 59,  67,  83,
                                      99, 115, 131, 163, 195, 227, 258, 0, 0};
constexpr uint8_t kLengthExtra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,  2,
                                      3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, kOpInvalid,
                                      kOpInvalid};
// Distance bases and extra bits for codes 0..29; 30 and 31 are invalid.
constexpr uint16_t kDistanceBase[32] = {1,    2,    3,    4,    5,    7,     9,     13,
                                        17,   25,   33,   49,   65,   97,    129,   193,
                                        257,  385,  513,  769,  1025, 1537,  2049,  3073,
                                        4097, 6145, 8193, 12289, 16385, 24577, 0, 0};
constexpr uint8_t kDistanceExtra[32] = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,
                                        5, 5, 6, 6, 7, 7, 8,  8,  9,  9,  10, 10,
                                        11, 11, 12, 12, 13, 13, kOpInvalid, kOpInvalid};
// Format note: the code-length code lengths arrive in this order, so that
// the lengths most often unused come last and can be left out.
constexpr uint8_t kCodeLengthOrder[kCodeLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                        11, 4,  12, 3, 13, 2, 14, 1, 15};

inline uint32_t Mask(unsigned n) { return (1u << n) - 1; }


// Table builder results.
enum BuildResult { kBuildOk = 0, kBuildIncomplete = 1, kBuildOversubscribed = 2 };

unsigned ReverseBits(unsigned code, unsigned length) {
    unsigned reversed = 0;
    for (unsigned i = 0; i < length; ++i, code >>= 1)
        reversed = (reversed << 1) | (code & 1);
    return reversed;
}

Code SymbolEntry(unsigned symbol, unsigned plain, const uint16_t* base, const uint8_t* extra,
                 unsigned bits) {
    if (symbol < plain) {
        uint8_t op = symbol == kEndOfBlock ? kOpEndOfBlock : kOpLiteral;
        return {static_cast<uint8_t>(bits), op, static_cast<uint16_t>(symbol)};
    }
    return {static_cast<uint8_t>(bits), extra[symbol - plain], base[symbol - plain]};
}

// Format note: codes are canonical (RFC 1951 3.2.2) and sent least
// significant bit first, so the table is indexed by the code reversed. An
// incomplete set leaves slots that decode as invalid codes; a single code
// of length 1 is the one incomplete set deflate allows.
int BuildTable(const uint8_t* lengths, unsigned n, unsigned plain, const uint16_t* base,
               const uint8_t* extra, unsigned& width, CodeTable& table) {
    unsigned count[kMaxCodeLength + 1] = {};
    for (unsigned i = 0; i < n; ++i)
        ++count[lengths[i]];
    table.assign(1, kInvalidCode);
    if (count[0] == n) {
        width = 0;
        return kBuildOk;
    }
    unsigned shortest = 1, longest = kMaxCodeLength;
    while (count[shortest] == 0)
        ++shortest;
    while (count[longest] == 0)
        --longest;
    width = std::clamp(width, shortest, longest);

    int left = 1;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        left = (left << 1) - static_cast<int>(count[len]);
        if (left < 0)
            return kBuildOversubscribed;
    }

    unsigned offsets[kMaxCodeLength + 2] = {};
    for (unsigned len = 1; len <= kMaxCodeLength; ++len)
        offsets[len + 1] = offsets[len] + count[len];
    unsigned sorted[kLengthArraySize];
    for (unsigned symbol = 0; symbol < n; ++symbol)
        if (lengths[symbol] != 0)
            sorted[offsets[lengths[symbol]]++] = symbol;

    const unsigned root = width;
    table.assign(size_t{1} << root, kInvalidCode);
    unsigned remaining[kMaxCodeLength + 1];
    std::copy(count, count + kMaxCodeLength + 1, remaining);
    unsigned openPrefix = ~0u, subBase = 0, subBits = 0;
    unsigned code = 0, placed = 0;
    for (unsigned l = shortest; l <= longest; ++l) {
        code = l == shortest ? 0 : (code << 1);
        for (unsigned k = 0; k < count[l]; ++k, ++code, ++placed) {
            const unsigned len = l;
            unsigned symbol = sorted[placed];
            unsigned reversed = ReverseBits(code, len);
            if (len <= root) {
                Code entry = SymbolEntry(symbol, plain, base, extra, len);
                for (unsigned i = reversed; i < (1u << root); i += 1u << len)
                    table[i] = entry;
            } else {
                unsigned prefix = reversed & Mask(root);
                if (prefix != openPrefix) {
                    subBits = len - root;
                    int slots = 1 << subBits;
                    while (subBits + root < longest) {
                        slots -= static_cast<int>(remaining[subBits + root]);
                        if (slots <= 0)
                            break;
                        ++subBits;
                        slots <<= 1;
                    }
                    subBase = static_cast<unsigned>(table.size());
                    table.resize(table.size() + (size_t{1} << subBits), kInvalidCode);
                    table[prefix] = {static_cast<uint8_t>(root),
                                     static_cast<uint8_t>(kOpLiteral + subBits),
                                     static_cast<uint16_t>(subBase)};
                    openPrefix = prefix;
                }
                Code entry = SymbolEntry(symbol, plain, base, extra, len - root);
                for (unsigned i = reversed >> root; i < (1u << subBits); i += 1u << (len - root))
                    table[subBase + i] = entry;
            }
            --remaining[len];
        }
    }
    return (left > 0 && longest != 1) ? kBuildIncomplete : kBuildOk;
}

CodeTable FixedLiterals, FixedDistances;
unsigned FixedLiteralBits = kFixedLiteralLookupBits;
unsigned FixedDistanceBits = kFixedDistanceLookupBits;

// Adds the next eight input bytes to a bit buffer of fewer than 64 bits,
// leaving 56 to 63 bits counted; gives the number of whole bytes counted.
// The bits above the count are the next bytes' own bits, which a later
// load or fetch puts back in the same place.
inline size_t LoadBits(const uint8_t* next, uint64_t& bits, unsigned& count) {
    uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, next, sizeof word);
    } else {
        for (int i = 7; i >= 0; --i)
            word = (word << 8) | next[i];
    }
    bits |= word << count;
    size_t bytes = (63 - count) >> 3;
    count |= kRefillBits;
    return bytes;
}

// Looks a code up in a two-level table and consumes its bits from the bit
// buffer; an invalid code comes back as kOpInvalid.
inline Code LookupCode(const Code* table, uint32_t mask, uint64_t& bits, unsigned& count) {
    Code entry = table[bits & mask];
    if (entry.op > kOpLiteral) {
        if (entry.op == kOpInvalid)
            return entry;
        bits >>= entry.bits;
        count -= entry.bits;
        entry = table[entry.value + (bits & Mask(entry.op - kOpLiteral))];
        if (entry.op == kOpInvalid)
            return entry;
    }
    bits >>= entry.bits;
    count -= entry.bits;
    return entry;
}

// The two tables of a block and their first-level widths.
struct BlockCodes {
    const CodeTable& literals;
    unsigned literalBits;
    const CodeTable& distances;
    unsigned distanceBits;
};

// One entry's decoding: input chunks, bit buffer, window.
class Inflater {
public:
    Inflater() : input_(kInputChunk + kInputPadding), window_(kWindowSize + kWindowPadding) {}

    InflateResult Run();

private:
    InflateResult Block(bool& last);
    InflateResult Stored();
    InflateResult Dynamic();
    InflateResult DecodeCodes(const BlockCodes& codes);
    InflateResult FastCodes(const BlockCodes& codes, bool& blockEnded);
    InflateResult ReadLengths(uint8_t* lengths, unsigned count);
    InflateResult CopyMatch(unsigned distance, unsigned length);

    int FetchByte();
    void Refill();
    void NeedBits(unsigned n) {
        if (bitCount_ < n)
            Refill();
    }
    uint32_t PeekBits(unsigned n) const { return static_cast<uint32_t>(bitBuffer_) & Mask(n); }
    void DumpBits(unsigned n) {
        bitBuffer_ >>= n;
        bitCount_ -= n;
    }
    // True once a code has used bits beyond the entry's compressed bytes.
    bool Overrun() const { return bitCount_ < fillerBits_; }
    // Looks a code up and consumes its bits: 'bad' when the bits name no
    // symbol, InputEnded when the code used bits beyond the input.
    InflateResult Decode(const CodeTable& table, unsigned width, InflateResult bad, Code& entry);

    InflateResult PutByte(uint8_t byte) {
        window_[windowPos_++] = byte;
        return windowPos_ == kWindowSize ? Flush() : InflateResult::Ok;
    }
    // Writes the window out and starts it again, even when the write fails.
    InflateResult Flush();

    std::vector<uint8_t> input_;
    size_t inputPos_ = 0, inputCount_ = 0;
    uint64_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;
    unsigned fillerBits_ = 0;       // one-bits delivered after the input ran out
    std::vector<uint8_t> window_;
    unsigned windowPos_ = 0;
    uint64_t flushed_ = 0;          // bytes written before the window's start
};

int Inflater::FetchByte() {
    if (inputPos_ == inputCount_) {
        if (Decoder.remaining <= 0)
            return -1;
        size_t want = static_cast<size_t>(std::min<int64_t>(Decoder.remaining, kInputChunk));
        inputCount_ = Decoder.input->Read(input_.data(), want);
        inputPos_ = 0;
        if (inputCount_ == 0) {
            Decoder.remaining = 0;
            return -1;
        }
        if (Decoder.encrypted)
            DecryptBuffer(input_.data(), inputCount_);
        Decoder.remaining -= static_cast<int64_t>(inputCount_);
    }
    return input_[inputPos_++];
}

// Fills the bit buffer to at least 56 bits; past the end of the input,
// one-bits fill it and are counted. While the chunk holds eight bytes they
// are loaded as one word (see LoadBits).
void Inflater::Refill() {
    if (inputCount_ - inputPos_ >= sizeof(uint64_t)) {
        inputPos_ += LoadBits(input_.data() + inputPos_, bitBuffer_, bitCount_);
        return;
    }
    while (bitCount_ < kRefillBits) {
        int byte = FetchByte();
        if (byte < 0) {
            byte = 0xFF;
            fillerBits_ += 8;
        }
        bitBuffer_ |= static_cast<uint64_t>(byte) << bitCount_;
        bitCount_ += 8;
    }
}

InflateResult Inflater::Flush() {
    if (windowPos_ == 0)
        return InflateResult::Ok;
    InflateResult result = WriteOutput(window_.data(), windowPos_);
    UpdateCrc(window_.data(), windowPos_, Decoder.crc);
    flushed_ += windowPos_;
    windowPos_ = 0;
    return result;
}

// Format note: past the end of the input the bit buffer holds one-bits, and
// a code cut short there may look up as no code at all. Bits are taken to
// name no symbol only when the input held a longest code's worth of them;
// otherwise the input ended.
InflateResult Inflater::Decode(const CodeTable& table, unsigned width, InflateResult bad,
                               Code& entry) {
    bool inputShort = bitCount_ < fillerBits_ + kLongestCode;
    entry = LookupCode(table.data(), Mask(width), bitBuffer_, bitCount_);
    if (entry.op == kOpInvalid)
        return inputShort ? InflateResult::InputEnded : bad;
    return Overrun() ? InflateResult::InputEnded : InflateResult::Ok;
}

// Format note: a match may overlap the bytes it produces (distance below
// length), which repeats the last 'distance' bytes, and its source may lie
// ahead of the target in the circular window, where the previous lap's
// bytes are. A match of distance 32768 reads each byte just before it
// overwrites it, so the window's oldest bytes must stay exact up to the
// moment they are read: nothing may be written past a match's end.
//
// Copies 'run' bytes from window position 'from' to 'to', neither run
// crossing the window's end. Words are moved whenever every word reads
// only bytes that are already final, that is when the source lies ahead
// or at least a word behind; the up to fifteen bytes the words write past
// the run's end are saved first and put back after it.
inline void CopyWord(uint8_t* to, const uint8_t* from) {
    uint64_t word;
    std::memcpy(&word, from, sizeof word);
    std::memcpy(to, &word, sizeof word);
}

inline void CopyRun(uint8_t* window, unsigned to, unsigned from, unsigned run) {
    uint8_t* out = window + to;
    const uint8_t* in = window + from;
    if (from >= to || to - from >= kCopyWord) {
        uint8_t kept[kCopyOvershoot];
        std::memcpy(kept, out + run, kCopyOvershoot);
        CopyWord(out, in);
        CopyWord(out + kCopyWord, in + kCopyWord);
        for (unsigned i = 2 * kCopyWord; i < run; i += kCopyWord)
            CopyWord(out + i, in + i);
        std::memcpy(out + run, kept, kCopyOvershoot);
    } else if (to - from == 1) {
        std::memset(out, *in, run);
    } else {
        for (unsigned i = 0; i < run; ++i)
            out[i] = in[i];
    }
}

InflateResult Inflater::CopyMatch(unsigned distance, unsigned length) {
    if (distance > flushed_ + windowPos_)
        return InflateResult::DistanceTooFar;
    while (length > 0) {
        unsigned from = (windowPos_ - distance) & (kWindowSize - 1);
        unsigned run = std::min(length, kWindowSize - std::max(from, windowPos_));
        CopyRun(window_.data(), windowPos_, from, run);
        windowPos_ += run;
        length -= run;
        if (windowPos_ == kWindowSize) {
            InflateResult result = Flush();
            if (result != InflateResult::Ok)
                return result;
        }
    }
    return InflateResult::Ok;
}

// The hot loop. Every pass starts with a word load, which leaves enough
// bits for two literals and a length; a second load gives the distance its
// bits. Bits always come from real input here, so no overrun can happen,
// and the window never fills. The state lives in locals while it runs:
// stores into the window could otherwise alias the members. Ok with
// 'blockEnded' unset means it stopped near an edge of the input or window.
InflateResult Inflater::FastCodes(const BlockCodes& codes, bool& blockEnded) {
    const Code* literals = codes.literals.data();
    const Code* distances = codes.distances.data();
    const uint32_t literalMask = Mask(codes.literalBits);
    const uint32_t distanceMask = Mask(codes.distanceBits);
    const uint8_t* input = input_.data();
    const size_t inputEnd = inputCount_;
    const bool previousLap = flushed_ != 0;   // the window never fills in here
    uint8_t* w = window_.data();
    size_t in = inputPos_;
    unsigned out = windowPos_;
    uint64_t bits = bitBuffer_;
    unsigned count = bitCount_;

    InflateResult result = InflateResult::Ok;
    while (inputEnd - in >= kFastInputBytes && out < kWindowSize - kFastWindowRoom) {
        in += LoadBits(input + in, bits, count);
        Code entry = LookupCode(literals, literalMask, bits, count);
        if (entry.op == kOpLiteral) {
            w[out++] = static_cast<uint8_t>(entry.value);
            entry = LookupCode(literals, literalMask, bits, count);
            if (entry.op == kOpLiteral) {
                w[out++] = static_cast<uint8_t>(entry.value);
                entry = LookupCode(literals, literalMask, bits, count);
                if (entry.op == kOpLiteral) {
                    w[out++] = static_cast<uint8_t>(entry.value);
                    continue;
                }
            }
        }
        if (entry.op == kOpEndOfBlock) {
            blockEnded = true;
            break;
        }
        if (entry.op == kOpInvalid) {
            result = InflateResult::BadLiteralCode;
            break;
        }
        unsigned length = entry.value + static_cast<unsigned>(bits & Mask(entry.op));
        bits >>= entry.op;
        count -= entry.op;
        in += LoadBits(input + in, bits, count);
        entry = LookupCode(distances, distanceMask, bits, count);
        if (entry.op == kOpInvalid) {
            result = InflateResult::BadDistanceCode;
            break;
        }
        unsigned distance = entry.value + static_cast<unsigned>(bits & Mask(entry.op));
        bits >>= entry.op;
        count -= entry.op;
        // The source lies behind in this lap, or whole in the previous one;
        // else it straddles the window's end, or lies before the output.
        unsigned from = (out - distance) & (kWindowSize - 1);
        if (distance <= out || (previousLap && from + length <= kWindowSize)) {
            CopyRun(w, out, from, length);
            out += length;
            continue;
        }
        windowPos_ = out;
        result = CopyMatch(distance, length);
        if (result != InflateResult::Ok)
            break;
        out = windowPos_;
    }
    inputPos_ = in;
    windowPos_ = out;
    bitBuffer_ = bits;
    bitCount_ = count;
    return result;
}

// Near the end of the input or of the window, one symbol at a time with
// every check; elsewhere the fast loop.
InflateResult Inflater::DecodeCodes(const BlockCodes& codes) {
    for (;;) {
        bool blockEnded = false;
        InflateResult result = FastCodes(codes, blockEnded);
        if (result != InflateResult::Ok || blockEnded)
            return result;
        NeedBits(kMaxLiteralStep);
        Code entry;
        result = Decode(codes.literals, codes.literalBits, InflateResult::BadLiteralCode, entry);
        if (result != InflateResult::Ok)
            return result;
        if (entry.op == kOpLiteral) {
            result = PutByte(static_cast<uint8_t>(entry.value));
            if (result != InflateResult::Ok)
                return result;
            continue;
        }
        if (entry.op == kOpEndOfBlock)
            return InflateResult::Ok;
        unsigned length = entry.value + PeekBits(entry.op);
        DumpBits(entry.op);
        NeedBits(kMaxDistanceStep);
        result = Decode(codes.distances, codes.distanceBits, InflateResult::BadDistanceCode, entry);
        if (result != InflateResult::Ok)
            return result;
        unsigned distance = entry.value + PeekBits(entry.op);
        DumpBits(entry.op);
        if (Overrun())
            return InflateResult::InputEnded;
        result = CopyMatch(distance, length);
        if (result != InflateResult::Ok)
            return result;
    }
}

// Format note: a stored block starts at the next byte boundary; LEN is
// followed by its ones' complement NLEN.
InflateResult Inflater::Stored() {
    DumpBits(bitCount_ & 7);
    NeedBits(32);
    unsigned length = PeekBits(16);
    DumpBits(16);
    unsigned check = PeekBits(16);
    DumpBits(16);
    if (Overrun())
        return InflateResult::InputEnded;
    if (length != (~check & 0xFFFF))
        return InflateResult::StoredLengthMismatch;
    // Whole bytes still in the bit buffer come first.
    while (length > 0 && bitCount_ >= 8) {
        uint8_t byte = static_cast<uint8_t>(PeekBits(8));
        DumpBits(8);
        if (Overrun())
            return InflateResult::InputEnded;
        InflateResult result = PutByte(byte);
        if (result != InflateResult::Ok)
            return result;
        --length;
    }
    // The rest is copied straight from the input chunks; the buffer is
    // empty now but may hold look-ahead copies of those bytes.
    if (length > 0)
        bitBuffer_ = 0;
    while (length > 0) {
        if (inputPos_ == inputCount_) {
            if (FetchByte() < 0)
                return InflateResult::InputEnded;
            --inputPos_;
        }
        unsigned n = std::min<size_t>({length, inputCount_ - inputPos_, kWindowSize - windowPos_});
        std::memcpy(window_.data() + windowPos_, input_.data() + inputPos_, n);
        inputPos_ += n;
        windowPos_ += n;
        length -= n;
        if (windowPos_ == kWindowSize) {
            InflateResult result = Flush();
            if (result != InflateResult::Ok)
                return result;
        }
    }
    return InflateResult::Ok;
}

InflateResult Inflater::ReadLengths(uint8_t* lengths, unsigned count) {
    uint8_t codeLengths[kCodeLengthCodes] = {};
    NeedBits(14);
    unsigned codeLengthCount = PeekBits(4) + 4;
    DumpBits(4);
    for (unsigned i = 0; i < codeLengthCount; ++i) {
        NeedBits(3);
        codeLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(PeekBits(3));
        DumpBits(3);
    }
    if (Overrun())
        return InflateResult::InputEnded;
    CodeTable table;
    unsigned width = kCodeLengthLookupBits;
    if (BuildTable(codeLengths, kCodeLengthCodes, kCodeLengthCodes, nullptr, nullptr, width,
                   table) != kBuildOk)
        return InflateResult::BadCodeLengthCode;
    unsigned previous = 0;
    for (unsigned i = 0; i < count;) {
        NeedBits(16);
        Code entry;
        InflateResult result = Decode(table, width, InflateResult::BadCodeLengthSymbol, entry);
        if (result != InflateResult::Ok)
            return result;
        unsigned symbol = entry.value, repeat, value;
        if (symbol < 16) {
            lengths[i++] = static_cast<uint8_t>(symbol);
            previous = symbol;
            continue;
        }
        if (symbol == 16) {
            if (i == 0)
                return InflateResult::RepeatWithoutLength;
            repeat = 3 + PeekBits(2);
            DumpBits(2);
            value = previous;
        } else if (symbol == 17) {
            repeat = 3 + PeekBits(3);
            DumpBits(3);
            value = previous = 0;
        } else {
            repeat = 11 + PeekBits(7);
            DumpBits(7);
            value = previous = 0;
        }
        if (Overrun())
            return InflateResult::InputEnded;
        if (i + repeat > count)
            return InflateResult::RepeatPastEnd;
        std::fill(lengths + i, lengths + i + repeat, static_cast<uint8_t>(value));
        i += repeat;
    }
    return InflateResult::Ok;
}

InflateResult Inflater::Dynamic() {
    NeedBits(10);
    unsigned literalCount = PeekBits(5) + 257;
    DumpBits(5);
    unsigned distanceCount = PeekBits(5) + 1;
    DumpBits(5);
    uint8_t lengths[kLengthArraySize] = {};
    InflateResult result = ReadLengths(lengths, literalCount + distanceCount);
    if (result != InflateResult::Ok)
        return result;
    // Format note: a block without an end-of-block code can never end;
    // it is refused before it writes anything.
    if (lengths[kEndOfBlock] == 0)
        return InflateResult::NoEndOfBlockCode;
    CodeTable literals, distances;
    unsigned literalBits = kLiteralLookupBits, distanceBits = kDistanceLookupBits;
    if (BuildTable(lengths, literalCount, kPlainLiterals, kLengthBase, kLengthExtra, literalBits,
                   literals) != kBuildOk)
        return InflateResult::BadLiteralLengths;
    if (BuildTable(lengths + literalCount, distanceCount, 0, kDistanceBase, kDistanceExtra,
                   distanceBits, distances) != kBuildOk)
        return InflateResult::BadDistanceLengths;
    return DecodeCodes({literals, literalBits, distances, distanceBits});
}

InflateResult Inflater::Block(bool& last) {
    NeedBits(3);
    last = PeekBits(1) != 0;
    DumpBits(1);
    unsigned type = PeekBits(2);
    DumpBits(2);
    if (Overrun())
        return InflateResult::InputEnded;
    switch (type) {
    case 0: return Stored();
    case 1: return DecodeCodes({FixedLiterals, FixedLiteralBits, FixedDistances, FixedDistanceBits});
    case 2: return Dynamic();
    default: return InflateResult::BadBlockType;
    }
}

InflateResult Inflater::Run() {
    InflateResult result = InflateResult::Ok;
    bool last = false;
#if defined(__cpp_exceptions)
    try {
        while (result == InflateResult::Ok && !last)
            result = Block(last);
    } catch (const std::exception&) {
        result = InflateResult::OutOfMemory;
    }
#else
    // Built without exceptions (the stub), allocation failures end the process.
    while (result == InflateResult::Ok && !last)
        result = Block(last);
#endif
    // The bytes decoded before a failure are written too. A failed write
    // outranks the failure that stopped decoding, and so do dropped bytes,
    // which make the entry damaged whatever else happened.
    InflateResult flushed = Flush();
    return flushed != InflateResult::Ok ? flushed : result;
}

}  // namespace

void BuildFixedTables() {
    uint8_t lengths[kMaxLiteralCodes];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + kMaxLiteralCodes, 8);
    FixedLiteralBits = kFixedLiteralLookupBits;
    BuildTable(lengths, kMaxLiteralCodes, kPlainLiterals, kLengthBase, kLengthExtra,
               FixedLiteralBits, FixedLiterals);
    // Thirty codes of five bits: an incomplete set whose two free codes are invalid.
    std::fill(lengths, lengths + 30, 5);
    FixedDistanceBits = kFixedDistanceLookupBits;
    BuildTable(lengths, 30, 0, kDistanceBase, kDistanceExtra, FixedDistanceBits, FixedDistances);
}

InflateResult InflateEntry() {
    if (FixedLiterals.empty())
        BuildFixedTables();
    Inflater inflater;
    return inflater.Run();
}

InflateResult WriteOutput(const uint8_t* buffer, size_t count) {
    InflateResult result = InflateResult::Ok;
    if (count > Decoder.room) {
        count = static_cast<size_t>(Decoder.room);
        result = InflateResult::OutputOverflow;
    }
    Decoder.room -= count;
    Decoder.written += count;
    if (Decoder.output->Write(buffer, count) != count)
        return InflateResult::WriteFailed;
    return result;
}

InflateResult CopyStoredEntry() {
    int64_t first = std::min<int64_t>(std::max<int64_t>(Decoder.remaining, 0), kInputChunk);
    std::vector<uint8_t> buffer(static_cast<size_t>(first) + kInputPadding);
    while (Decoder.remaining > 0) {
        size_t n = static_cast<size_t>(std::min<int64_t>(Decoder.remaining, kInputChunk));
        if (Decoder.input->Read(buffer.data(), n) != n)
            return InflateResult::StoredDataCut;
        Decoder.remaining -= static_cast<int64_t>(n);
        if (Decoder.encrypted)
            DecryptBuffer(buffer.data(), n);
        InflateResult result = WriteOutput(buffer.data(), n);
        UpdateCrc(buffer.data(), n, Decoder.crc);
        if (result != InflateResult::Ok)
            return result;
    }
    return InflateResult::Ok;
}
