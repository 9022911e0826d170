// Reads the parts of the file information block the text needs.
//
// Format notes: the block is a fixed 32-byte base, then three arrays that
// each start with their own count: 16-bit values (csw), 32-bit values
// (cslw) and pairs of 32-bit offsets and lengths (cbRgFcLcb). Word 97 and
// later write nFib 193 or more in the base; Word 6 and 95 wrote 101 to 105.
#include "convert/doc/Fib.h"

#include "convert/doc/ByteReader.h"

namespace {

constexpr uint32_t kWordIdent = 0xA5EC;
constexpr uint32_t kFirstWord97Fib = 0xC0;
constexpr size_t kFibBaseSize = 32;
constexpr uint32_t kFlagEncrypted = 0x0100;
constexpr uint32_t kFlagWhichTable = 0x0200;
constexpr uint32_t kCcpTextIndex = 3;      // in the 32-bit values
constexpr uint32_t kCcpFtnIndex = 4;
constexpr uint32_t kPlcfBteChpxIndex = 12; // in the offset-length pairs
constexpr uint32_t kPlcfBtePapxIndex = 13;
constexpr uint32_t kClxIndex = 33;

}  // namespace

FibResult ReadFib(std::string_view doc, Fib& fib) {
    fib = Fib{};
    uint32_t ident = 0, nFib = 0, flags = 0;
    if (!ReadU16(doc, 0, ident) || ident != kWordIdent)
        return FibResult::NotWord;
    if (!ReadU16(doc, 2, nFib) || !ReadU16(doc, 0x0A, flags))
        return FibResult::Damaged;
    if (nFib < kFirstWord97Fib)
        return FibResult::TooOld;
    if (flags & kFlagEncrypted)
        return FibResult::Encrypted;
    fib.tableIs1Table = (flags & kFlagWhichTable) != 0;

    size_t at = kFibBaseSize;
    uint32_t csw = 0, cslw = 0, cbRgFcLcb = 0;
    if (!ReadU16(doc, at, csw))
        return FibResult::Damaged;
    at += 2 + 2 * static_cast<size_t>(csw);
    if (!ReadU16(doc, at, cslw) || cslw <= kCcpFtnIndex)
        return FibResult::Damaged;
    size_t lw = at + 2;
    if (!ReadU32(doc, lw + 4 * kCcpTextIndex, fib.ccpText) ||
        !ReadU32(doc, lw + 4 * kCcpFtnIndex, fib.ccpFtn))
        return FibResult::Damaged;
    at = lw + 4 * static_cast<size_t>(cslw);
    if (!ReadU16(doc, at, cbRgFcLcb) || cbRgFcLcb <= kClxIndex)
        return FibResult::Damaged;
    size_t pairs = at + 2;
    if (!ReadU32(doc, pairs + 8 * kClxIndex, fib.fcClx) ||
        !ReadU32(doc, pairs + 8 * kClxIndex + 4, fib.lcbClx) ||
        !ReadU32(doc, pairs + 8 * kPlcfBteChpxIndex, fib.fcPlcfBteChpx) ||
        !ReadU32(doc, pairs + 8 * kPlcfBteChpxIndex + 4, fib.lcbPlcfBteChpx) ||
        !ReadU32(doc, pairs + 8 * kPlcfBtePapxIndex, fib.fcPlcfBtePapx) ||
        !ReadU32(doc, pairs + 8 * kPlcfBtePapxIndex + 4, fib.lcbPlcfBtePapx))
        return FibResult::Damaged;
    return FibResult::Ok;
}
