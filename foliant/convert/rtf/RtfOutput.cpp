// Collects the text of an RTF document and converts it to UTF-8 as it
// comes.
#include "convert/rtf/RtfOutput.h"

#include "convert/rtf/RtfCharsets.h"

namespace {

// Bytes of a code page the system cannot convert: ASCII as it is, "?" for
// every other byte.
std::string AsciiOnlyToUtf16Le(std::string_view bytes) {
    std::string out;
    out.reserve(2 * bytes.size());
    for (char c : bytes) {
        out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
        out.push_back('\0');
    }
    return out;
}

}  // namespace

void RtfOutput::AddBytes(std::string_view bytes, int codePage) {
    if (bytes.empty())
        return;
    if (cellEndHeld_) {
        cellEndHeld_ = false;
        PutUnit('\t');
    }
    if (!pending_.empty() && codePage != pendingCodePage_)
        Flush();
    pendingCodePage_ = codePage;
    pending_.append(bytes);
}

void RtfOutput::AddByte(uint8_t byte, int codePage) {
    char c = static_cast<char>(byte);
    AddBytes(std::string_view(&c, 1), codePage);
}

void RtfOutput::AddUnit(uint16_t unit) {
    if (cellEndHeld_) {
        cellEndHeld_ = false;
        PutUnit('\t');
    }
    PutUnit(unit);
}

void RtfOutput::AddCodePoint(uint32_t codePoint) {
    if (codePoint > 0xFFFF && codePoint <= 0x10FFFF) {
        codePoint -= 0x10000;
        AddUnit(static_cast<uint16_t>(0xD800 + (codePoint >> 10)));
        AddUnit(static_cast<uint16_t>(0xDC00 + (codePoint & 0x3FF)));
    } else {
        AddUnit(codePoint <= 0xFFFF ? static_cast<uint16_t>(codePoint) : '?');
    }
}

void RtfOutput::AddLineBreak() {
    AddUnit('\r');
    AddUnit('\n');
}

void RtfOutput::AddCellEnd() {
    if (cellEndHeld_)
        PutUnit('\t');
    cellEndHeld_ = true;
}

void RtfOutput::AddRowEnd() {
    cellEndHeld_ = false;
    AddLineBreak();
}

void RtfOutput::PutUnit(uint16_t unit) {
    Flush();
    utf8_.Put(unit, text_);
    Note(unit);
}

void RtfOutput::Note(uint16_t unit) {
    lastUnits_[0] = lastUnits_[1];
    lastUnits_[1] = unit;
}

void RtfOutput::PutDecoded(std::string_view utf16le) {
    utf8_.PutUtf16Le(utf16le, text_);
    size_t units = utf16le.size() / 2;
    for (size_t i = units > 2 ? units - 2 : 0; i < units; ++i)
        Note(static_cast<uint16_t>(static_cast<uint8_t>(utf16le[2 * i]) |
                                   static_cast<uint8_t>(utf16le[2 * i + 1]) << 8));
}

void RtfOutput::Flush() {
    if (pending_.empty())
        return;
    bool ascii = true;
    for (char c : pending_)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        // The common case, and the same in every code page.
        utf8_.PutAscii(pending_, text_);
        for (size_t i = pending_.size() > 2 ? pending_.size() - 2 : 0; i < pending_.size(); ++i)
            Note(static_cast<uint8_t>(pending_[i]));
    } else if (pendingCodePage_ == kMacRomanCodePage) {
        PutDecoded(MacRomanToUtf16Le(pending_));
    } else {
        std::string decoded = sys_.ToUtf16Le(pending_, pendingCodePage_);
        PutDecoded(decoded.empty() ? AsciiOnlyToUtf16Le(pending_) : decoded);
    }
    pending_.clear();
}

std::string RtfOutput::Finish() {
    Flush();
    cellEndHeld_ = false;
    utf8_.Release(text_);
    // The last paragraph mark ends the document, as in a rich-text control;
    // CR and LF are one byte each in UTF-8.
    if (lastUnits_[0] == '\r' && lastUnits_[1] == '\n')
        text_.resize(text_.size() - 2);
    text_ += "\r\n";
    return std::move(text_);
}
