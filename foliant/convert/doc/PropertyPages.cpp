// Finds the properties of a byte of the main stream.
//
// Format notes: a bin table is n + 1 byte positions and n page numbers. A
// page ends with its run count; it starts with the run boundaries, then one
// entry per run whose first byte is the word offset of the run's properties
// (0: none); paragraph entries are 13 bytes, character entries 1. Character
// properties are a length byte and a sprm list. Paragraph properties are a
// length byte counting words less one byte (0: a second byte counting
// words), a 16-bit style number and a sprm list.
#include "convert/doc/PropertyPages.h"

#include "convert/doc/ByteReader.h"

namespace {

constexpr size_t kPageSize = 512;
constexpr size_t kRunCountAt = kPageSize - 1;
constexpr size_t kParagraphEntrySize = 13;
constexpr size_t kCharacterEntrySize = 1;
constexpr uint32_t kPageNumberMask = 0x3FFFFF;
constexpr size_t kStyleSize = 2;

}  // namespace

std::string_view PropertyPages::PageOf(uint32_t fc) const {
    if (plc_.size() < 4 || (plc_.size() - 4) % 8 != 0)
        return {};
    size_t n = (plc_.size() - 4) / 8;
    size_t lo = 0, hi = n;  // the first i with fc < position[i + 1]
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        if (U32At(plc_, 4 * (mid + 1)) <= fc)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo >= n || U32At(plc_, 4 * lo) > fc)
        return {};
    size_t page = (U32At(plc_, 4 * (n + 1) + 4 * lo) & kPageNumberMask) * kPageSize;
    if (page > doc_.size() || doc_.size() - page < kPageSize)
        return {};
    return doc_.substr(page, kPageSize);
}

std::string_view PropertyPages::PropertiesAt(uint32_t fc, uint32_t& runStart,
                                             uint32_t& runEnd) const {
    runStart = fc;
    runEnd = fc + 1;
    std::string_view page = PageOf(fc);
    if (page.empty())
        return {};
    size_t runs = static_cast<uint8_t>(page[kRunCountAt]);
    size_t entrySize = kind_ == Paragraph ? kParagraphEntrySize : kCharacterEntrySize;
    size_t entries = 4 * (runs + 1);
    if (entries + entrySize * runs > kRunCountAt)
        return {};
    for (size_t i = 0; i < runs; ++i) {
        uint32_t start = U32At(page, 4 * i), end = U32At(page, 4 * (i + 1));
        if (fc < start || fc >= end)
            continue;
        runStart = start;
        runEnd = end;
        size_t at = 2 * static_cast<size_t>(static_cast<uint8_t>(page[entries + entrySize * i]));
        if (at == 0 || at + 1 >= kRunCountAt)
            return {};
        size_t cb = static_cast<uint8_t>(page[at]);
        size_t length, first;
        if (kind_ == Character) {
            length = cb;
            first = at + 1;
        } else {
            length = cb != 0 ? 2 * cb - 1 : 2 * static_cast<size_t>(static_cast<uint8_t>(page[at + 1]));
            first = cb != 0 ? at + 1 : at + 2;
            if (length < kStyleSize)
                return {};
            first += kStyleSize;
            length -= kStyleSize;
        }
        if (first + length > kRunCountAt)
            return {};
        return page.substr(first, length);
    }
    return {};
}
