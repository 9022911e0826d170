// Plain text of a Word document's characters.
//
// Format notes: the text holds its structure as control characters.
// 13 ends a paragraph, 11 breaks a line, 12 breaks a page or section, 7 ends
// a table cell or (with the row-end paragraph flag) a row. A field is
// 19 instructions 20 result 21, nested to any depth; a field without a
// result has no 20. 30 is a non-breaking hyphen, 31 an optional one; 1, 5
// and 8 anchor pictures, comments and drawings and 2 a footnote number.
// Hidden characters are dropped; the marks that shape the text are not.
// Every character is stored once in the main stream: pieces never share
// bytes, so pieces that together claim more bytes than the stream holds
// are damage, and the text stays bounded by the file.
#include "convert/doc/DocText.h"

#include <algorithm>
#include <string>

namespace {

constexpr uint16_t kFootnoteReference = 2;
constexpr uint16_t kCellMark = 7;
constexpr uint16_t kTab = 9;
constexpr uint16_t kLineBreak = 11;
constexpr uint16_t kPageBreak = 12;
constexpr uint16_t kParagraphMark = 13;
constexpr uint16_t kFieldBegin = 19;
constexpr uint16_t kFieldSeparator = 20;
constexpr uint16_t kFieldEnd = 21;
constexpr uint16_t kNonBreakingHyphen = 30;
constexpr uint16_t kFirstPrintable = 32;

class TextBuilder {
public:
    TextBuilder(Formatting& formatting, std::string& utf16) : formatting_(formatting), out_(utf16) {}

    void Add(uint16_t c, uint32_t fc);

private:
    void Put(uint16_t c);
    void PutLineBreak() {
        Put('\r');
        Put('\n');
    }

    Formatting& formatting_;
    std::string& out_;
    std::vector<bool> fieldInResult_;  // one per open field
    size_t fieldsInInstructions_ = 0;
    bool cellEndHeld_ = false;
    int footnoteCount_ = 0;
};

void TextBuilder::Add(uint16_t c, uint32_t fc) {
    if (c == kFieldBegin) {
        fieldInResult_.push_back(false);
        ++fieldsInInstructions_;
        return;
    }
    if (c == kFieldSeparator || c == kFieldEnd) {
        if (fieldInResult_.empty())
            return;
        if (!fieldInResult_.back()) {
            --fieldsInInstructions_;
            fieldInResult_.back() = true;
        }
        if (c == kFieldEnd)
            fieldInResult_.pop_back();
        return;
    }
    if (fieldsInInstructions_ > 0)
        return;
    if (c == kCellMark) {
        if (formatting_.IsRowEnd(fc)) {
            cellEndHeld_ = false;
            PutLineBreak();
        } else {
            if (cellEndHeld_) {
                cellEndHeld_ = false;
                Put(kTab);
            }
            cellEndHeld_ = true;
        }
        return;
    }
    if (c == kParagraphMark || c == kLineBreak || c == kPageBreak) {
        PutLineBreak();
        return;
    }
    if (formatting_.IsHidden(fc))
        return;
    if (c == kFootnoteReference) {
        for (char digit : std::to_string(++footnoteCount_))
            Put(static_cast<uint16_t>(digit));
    } else if (c == kNonBreakingHyphen) {
        Put('-');
    } else if (c >= kFirstPrintable || c == kTab) {
        Put(c);
    }
}

void TextBuilder::Put(uint16_t c) {
    if (cellEndHeld_) {
        cellEndHeld_ = false;
        Put(kTab);
    }
    out_.push_back(static_cast<char>(c & 0xff));
    out_.push_back(static_cast<char>(c >> 8));
}

}  // namespace

bool ReadDocumentText(std::string_view doc, const std::vector<Piece>& pieces, uint32_t cpEnd,
                      Formatting& formatting, std::string& utf16) {
    TextBuilder text(formatting, utf16);
    size_t unclaimed = doc.size();  // stream bytes no piece has read yet
    for (const Piece& p : pieces) {
        if (p.cpStart >= cpEnd)
            break;
        size_t count = std::min(p.cpEnd, cpEnd) - p.cpStart;
        size_t width = p.compressed ? 1 : 2;
        if (p.fc > doc.size() || (doc.size() - p.fc) / width < count || unclaimed / width < count)
            return false;
        unclaimed -= count * width;
        for (size_t i = 0; i < count; ++i) {
            uint32_t fc = static_cast<uint32_t>(p.fc + i * width);
            uint16_t c = p.compressed ? CompressedToUnicode(static_cast<uint8_t>(doc[fc]))
                                      : static_cast<uint16_t>(static_cast<uint8_t>(doc[fc]) |
                                                              static_cast<uint8_t>(doc[fc + 1]) << 8);
            text.Add(c, fc);
        }
    }
    return true;
}
