// Converts to the ANSI code page and checks the result by converting back:
// a character that does not come back whole becomes "?".
#include "convert/rtf/AnsiText.h"

namespace {

bool IsHighSurrogate(uint16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLowSurrogate(uint16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

uint16_t UnitAt(std::string_view utf16le, size_t i) {
    return static_cast<uint16_t>(static_cast<uint8_t>(utf16le[2 * i]) |
                                 static_cast<uint8_t>(utf16le[2 * i + 1]) << 8);
}

void AppendUnit(std::string& utf16le, uint16_t unit) {
    utf16le.push_back(static_cast<char>(unit & 0xff));
    utf16le.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

void AnsiTextWriter::PutUtf16Le(std::string_view utf16le, std::string& out) {
    size_t units = utf16le.size() / 2;
    for (size_t i = 0; i < units;) {
        // A run of ASCII goes out in one piece.
        size_t end = i;
        while (end < units && UnitAt(utf16le, end) < 0x80)
            ++end;
        if (end > i) {
            Release(out);
            size_t at = out.size();
            out.resize(at + (end - i));
            for (size_t k = i; k < end; ++k)
                out[at + (k - i)] = utf16le[2 * k];
            i = end;
        } else {
            PutOther(UnitAt(utf16le, i), out);
            ++i;
        }
    }
}

void AnsiTextWriter::Release(std::string& out) {
    if (held_ == 0)
        return;
    uint16_t high = held_;
    held_ = 0;
    PutCharacter(high, 0, out);
}

void AnsiTextWriter::PutOther(uint16_t unit, std::string& out) {
    if (held_ != 0 && IsLowSurrogate(unit)) {
        uint16_t high = held_;
        held_ = 0;
        PutCharacter(high, unit, out);
        return;
    }
    Release(out);
    if (IsHighSurrogate(unit))
        held_ = unit;
    else if (unit < 0x80)
        out.push_back(static_cast<char>(unit));
    else
        PutCharacter(unit, 0, out);
}

void AnsiTextWriter::PutCharacter(uint16_t first, uint16_t second, std::string& out) {
    uint32_t key = second != 0 ? static_cast<uint32_t>(first) << 16 | second : first;
    auto it = known_.find(key);
    if (it == known_.end()) {
        std::string utf16le;
        AppendUnit(utf16le, first);
        if (second != 0)
            AppendUnit(utf16le, second);
        std::string converted = sys_.FromUtf16Le(utf16le, kAnsiCodePage);
        if (sys_.ToUtf16Le(converted, kAnsiCodePage) != utf16le)
            converted.assign(1, '?');
        it = known_.emplace(key, std::move(converted)).first;
    }
    out += it->second;
}

std::string ToAnsiText(System& sys, std::string_view utf16le) {
    AnsiTextWriter writer(sys);
    std::string out;
    out.reserve(utf16le.size() / 2);
    writer.PutUtf16Le(utf16le, out);
    writer.Release(out);
    return out;
}
