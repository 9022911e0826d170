// Collects the text of an RTF document and converts it to the ANSI code page
// as it comes.
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
    Emit(unit);
}

void RtfOutput::Emit(uint16_t unit) {
    ansi_.Put(unit, text_);
    lastUnits_[0] = lastUnits_[1];
    lastUnits_[1] = unit;
}

void RtfOutput::EmitUtf16Le(std::string_view utf16le) {
    for (size_t i = 0; i + 1 < utf16le.size(); i += 2)
        Emit(static_cast<uint16_t>(static_cast<uint8_t>(utf16le[i]) |
                                   static_cast<uint8_t>(utf16le[i + 1]) << 8));
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
        ansi_.PutAscii(pending_, text_);
        size_t n = pending_.size();
        lastUnits_[0] = n > 1 ? static_cast<uint8_t>(pending_[n - 2]) : lastUnits_[1];
        lastUnits_[1] = static_cast<uint8_t>(pending_[n - 1]);
    } else if (pendingCodePage_ == kMacRomanCodePage) {
        EmitUtf16Le(MacRomanToUtf16Le(pending_));
    } else {
        std::string decoded = sys_.ToUtf16Le(pending_, pendingCodePage_);
        EmitUtf16Le(decoded.empty() ? AsciiOnlyToUtf16Le(pending_) : decoded);
    }
    pending_.clear();
}

std::string RtfOutput::Finish() {
    Flush();
    cellEndHeld_ = false;
    ansi_.Release(text_);
    // The last paragraph mark ends the document, as in a rich-text control;
    // CR and LF are one byte each in every ANSI code page.
    if (lastUnits_[0] == '\r' && lastUnits_[1] == '\n')
        text_.resize(text_.size() - 2);
    text_ += "\r\n";
    return std::move(text_);
}
