// Reads the piece table of a Word document.
//
// Format notes: the Clx is any number of property runs (clxt 1, a 16-bit
// length and that many bytes) followed by the piece table itself (clxt 2, a
// 32-bit length, then n + 1 character positions and n 8-byte piece
// descriptors). Bit 30 of a descriptor's fc marks a compressed piece: its
// 8-bit characters start at byte fc / 2 (after clearing the bit) and are
// Windows-1252 characters, not Latin-1.
#include "convert/doc/PieceTable.h"

#include "convert/doc/ByteReader.h"

namespace {

constexpr uint32_t kClxtPrc = 1;
constexpr uint32_t kClxtPcdt = 2;
constexpr size_t kCpSize = 4;
constexpr size_t kPcdSize = 8;
constexpr uint32_t kCompressedBit = 0x40000000;
constexpr uint32_t kFcMask = 0x3FFFFFFF;

// Unicode of the compressed characters 0x80 to 0x9F.
constexpr uint16_t kHighControls[32] = {
    0x0080, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool ReadPcdt(std::string_view plc, std::vector<Piece>& pieces) {
    if (plc.size() < kCpSize || (plc.size() - kCpSize) % (kCpSize + kPcdSize) != 0)
        return false;
    size_t n = (plc.size() - kCpSize) / (kCpSize + kPcdSize);
    size_t pcds = (n + 1) * kCpSize;
    pieces.resize(n);
    for (size_t i = 0; i < n; ++i) {
        Piece& p = pieces[i];
        p.cpStart = U32At(plc, i * kCpSize);
        p.cpEnd = U32At(plc, (i + 1) * kCpSize);
        if (p.cpEnd < p.cpStart || (i > 0 && p.cpStart != pieces[i - 1].cpEnd))
            return false;
        uint32_t fc = U32At(plc, pcds + i * kPcdSize + 2);
        p.compressed = (fc & kCompressedBit) != 0;
        p.fc = p.compressed ? (fc & kFcMask) / 2 : (fc & kFcMask);
    }
    return true;
}

}  // namespace

bool ReadPieceTable(std::string_view clx, std::vector<Piece>& pieces) {
    pieces.clear();
    size_t at = 0;
    while (at < clx.size()) {
        uint32_t clxt = static_cast<uint8_t>(clx[at]);
        uint32_t length = 0;
        if (clxt == kClxtPrc) {
            if (!ReadU16(clx, at + 1, length))
                return false;
            at += 3 + length;
        } else if (clxt == kClxtPcdt) {
            if (!ReadU32(clx, at + 1, length) || length > clx.size() - at - 5)
                return false;
            return ReadPcdt(clx.substr(at + 5, length), pieces);
        } else {
            return false;
        }
    }
    return false;
}

uint16_t CompressedToUnicode(uint8_t c) {
    if (c >= 0x80 && c < 0xA0)
        return kHighControls[c - 0x80];
    return c;
}
