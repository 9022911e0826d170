// Writes Word documents for tests.
#include "DocWriter.h"
#include "LittleEndian.h"

#include <algorithm>

#include "convert/doc/CompoundFile.h"
#include "convert/doc/Fib.h"
#include "convert/doc/PieceTable.h"

namespace {

constexpr uint32_t kTextStart = 1024;
constexpr uint32_t kCompressedBit = 0x40000000;
constexpr size_t kCcpTextAt = 0x4C;
constexpr size_t kFcClxAt = 0x1A2;


void Append32(std::string& s, uint32_t v) {
    s.resize(s.size() + 4);
    Put32(s, s.size() - 4, v);
}

uint32_t Get32(std::string_view s, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(s[at + i]);
    return v;
}

// A FIB with 14 16-bit values, 22 32-bit values and 93 offset pairs.
std::string MinimalFib(const DocOptions& o) {
    std::string fib(kTextStart, '\0');
    Put16(fib, 0, 0xA5EC);
    Put16(fib, 2, o.nFib);
    Put16(fib, 0x0A, (o.use1Table ? 0x0200 : 0) | (o.encrypted ? 0x0100 : 0));
    Put16(fib, 0x20, 14);
    Put16(fib, 0x3E, 22);
    Put16(fib, 0x98, 93);
    return fib;
}

// A piece as the piece table lists it.
struct StoredPiece {
    uint32_t characters;
    uint32_t fc;
    bool compressed;
};

StoredPiece Stored(const PieceToWrite& p, uint32_t fc) {
    return {static_cast<uint32_t>(p.compressed ? p.bytes.size() : p.bytes.size() / 2), fc,
            p.compressed};
}

// Appends the Clx of the pieces to `table` and points the FIB at it.
void WriteClx(const std::vector<StoredPiece>& pieces, std::string& doc, std::string& table,
              uint32_t& cpTotal) {
    std::string plc;
    uint32_t cp = 0;
    for (const StoredPiece& p : pieces) {
        Append32(plc, cp);
        cp += p.characters;
    }
    Append32(plc, cp);
    for (const StoredPiece& p : pieces) {
        plc += std::string(2, '\0');
        Append32(plc, p.compressed ? (p.fc * 2) | kCompressedBit : p.fc);
        plc += std::string(2, '\0');
    }
    uint32_t fcClx = static_cast<uint32_t>(table.size());
    table += '\x02';
    Append32(table, static_cast<uint32_t>(plc.size()));
    table += plc;
    Put32(doc, kFcClxAt, fcClx);
    Put32(doc, kFcClxAt + 4, static_cast<uint32_t>(table.size()) - fcClx);
    Put32(doc, kCcpTextAt, cp);
    cpTotal = cp;
}

// Stores the pieces at the end of `doc` (last first) and appends their Clx
// to `table`.
void StorePieces(const std::vector<PieceToWrite>& pieces, std::string& doc, std::string& table,
                 uint32_t& cpTotal) {
    std::vector<StoredPiece> stored(pieces.size());
    for (size_t i = pieces.size(); i-- > 0;) {
        stored[i] = Stored(pieces[i], static_cast<uint32_t>(doc.size()));
        doc += pieces[i].bytes;
    }
    WriteClx(stored, doc, table, cpTotal);
}

// The compound file of a document's main and table streams.
std::string Package(std::string& doc, const std::string& table, const DocOptions& options) {
    if (options.ccpText)
        Put32(doc, kCcpTextAt, *options.ccpText);
    return WriteCompoundFile({{"WordDocument", doc}, {options.use1Table ? "1Table" : "0Table", table}},
                             options.container);
}

// The byte of a compressed piece that stands for `unit`, or -1.
int CompressedByte(uint16_t unit) {
    for (int b = 0; b < 256; ++b)
        if (CompressedToUnicode(static_cast<uint8_t>(b)) == unit)
            return b;
    return -1;
}

}  // namespace

std::string WriteDoc(const std::vector<PieceToWrite>& pieces, const DocOptions& options) {
    std::string doc = MinimalFib(options), table;
    uint32_t cp = 0;
    StorePieces(pieces, doc, table, cp);
    return Package(doc, table, options);
}

std::string WriteDocReusingBytes(const PieceToWrite& piece, uint32_t times,
                                 const DocOptions& options) {
    std::string doc = MinimalFib(options), table;
    uint32_t cp = 0;
    std::vector<StoredPiece> stored(times, Stored(piece, static_cast<uint32_t>(doc.size())));
    doc += piece.bytes;
    WriteClx(stored, doc, table, cp);
    return Package(doc, table, options);
}

std::string RepieceDoc(std::string_view file, uint32_t longest, uint32_t copies,
                       const CompoundFileOptions& container) {
    CompoundFile cf;
    std::string doc, table;
    Fib fib;
    std::vector<Piece> pieces;
    if (!cf.Open(file) || !cf.ReadStream("WordDocument", doc) || ReadFib(doc, fib) != FibResult::Ok)
        return {};
    const char* tableName = fib.tableIs1Table ? "1Table" : "0Table";
    if (!cf.ReadStream(tableName, table) ||
        !ReadPieceTable(std::string_view(table).substr(fib.fcClx, fib.lcbClx), pieces))
        return {};
    std::u16string text;
    for (const Piece& p : pieces)
        for (uint32_t cp = p.cpStart; cp < std::min(p.cpEnd, fib.ccpText); ++cp) {
            uint32_t i = cp - p.cpStart;
            text += p.compressed ? CompressedToUnicode(static_cast<uint8_t>(doc[p.fc + i]))
                                 : static_cast<char16_t>(Get32(doc, p.fc + 2 * i) & 0xffff);
        }
    std::vector<PieceToWrite> out;
    uint32_t length = 1;
    for (uint32_t copy = 0; copy < copies; ++copy)
        for (size_t at = 0; at < text.size(); at += length, length = length % longest + 1) {
            std::u16string_view part = std::u16string_view(text).substr(at, length);
            std::string bytes;
            bool compressed = out.size() % 2 == 0;
            for (char16_t c : part) {
                int b = CompressedByte(c);
                compressed = compressed && b >= 0;
                bytes += static_cast<char>(b);
            }
            out.push_back(compressed ? PieceToWrite{bytes, true} : PieceToWrite{Utf16(part), false});
        }
    uint32_t cp = 0;
    StorePieces(out, doc, table, cp);
    return WriteCompoundFile({{"WordDocument", doc}, {tableName, table}}, container);
}
