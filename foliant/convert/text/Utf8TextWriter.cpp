#include "convert/text/Utf8TextWriter.h"

#include "convert/text/Unicode.h"

namespace {

uint16_t UnitAt(std::string_view utf16le, size_t i) {
    return static_cast<uint16_t>(static_cast<uint8_t>(utf16le[2 * i]) |
                                 static_cast<uint8_t>(utf16le[2 * i + 1]) << 8);
}

}  // namespace

void Utf8TextWriter::PutUtf16Le(std::string_view utf16le, std::string& out) {
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

void Utf8TextWriter::Release(std::string& out) {
    if (held_ == 0)
        return;
    held_ = 0;
    AppendUtf8(out, kReplacementCharacter);
}

void Utf8TextWriter::PutOther(uint16_t unit, std::string& out) {
    if (held_ != 0 && IsLowSurrogate(unit)) {
        uint32_t c = CombineSurrogates(held_, unit);
        held_ = 0;
        AppendUtf8(out, c);
        return;
    }
    Release(out);
    if (IsHighSurrogate(unit))
        held_ = unit;
    else if (IsLowSurrogate(unit))
        AppendUtf8(out, kReplacementCharacter);
    else
        AppendUtf8(out, unit);
}

std::string Utf16LeToUtf8(std::string_view utf16le) {
    Utf8TextWriter writer;
    std::string out;
    out.reserve(utf16le.size() / 2);
    writer.PutUtf16Le(utf16le, out);
    writer.Release(out);
    return out;
}
