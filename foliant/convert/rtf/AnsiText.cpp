// Converts to the ANSI code page and checks the result by converting back:
// a character that does not come back whole becomes "?".
#include "convert/rtf/AnsiText.h"

#include <cstdint>
#include <unordered_map>

namespace {

uint16_t UnitAt(std::string_view s, size_t i) {
    return static_cast<uint8_t>(s[2 * i]) | static_cast<uint16_t>(static_cast<uint8_t>(s[2 * i + 1]) << 8);
}

bool IsHighSurrogate(uint16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLowSurrogate(uint16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The text as ASCII bytes, or false when it holds anything else.
bool AsAscii(std::string_view utf16le, std::string& ascii) {
    ascii.resize(utf16le.size() / 2);
    for (size_t i = 0; i < ascii.size(); ++i) {
        if (utf16le[2 * i + 1] != 0 || static_cast<uint8_t>(utf16le[2 * i]) >= 0x80)
            return false;
        ascii[i] = utf16le[2 * i];
    }
    return true;
}

}  // namespace

std::string ToAnsiText(System& sys, std::string_view utf16le) {
    utf16le = utf16le.substr(0, utf16le.size() & ~size_t{1});
    if (std::string ascii; AsAscii(utf16le, ascii))
        return ascii;  // the same in every ANSI code page
    std::string ansi = sys.FromUtf16Le(utf16le, kAnsiCodePage);
    if (sys.ToUtf16Le(ansi, kAnsiCodePage) == utf16le)
        return ansi;
    // Character by character, each distinct one converted once.
    std::unordered_map<uint32_t, std::string> known;
    std::string out;
    size_t units = utf16le.size() / 2;
    for (size_t i = 0; i < units;) {
        size_t length = 1;
        if (IsHighSurrogate(UnitAt(utf16le, i)) && i + 1 < units && IsLowSurrogate(UnitAt(utf16le, i + 1)))
            length = 2;
        std::string_view one = utf16le.substr(2 * i, 2 * length);
        uint32_t key = length == 2 ? (UnitAt(utf16le, i) << 16 | UnitAt(utf16le, i + 1)) : UnitAt(utf16le, i);
        auto it = known.find(key);
        if (it == known.end()) {
            std::string converted = sys.FromUtf16Le(one, kAnsiCodePage);
            if (sys.ToUtf16Le(converted, kAnsiCodePage) != one)
                converted.assign(1, '?');
            it = known.emplace(key, converted).first;
        }
        out += it->second;
        i += length;
    }
    return out;
}
