// UTF-16LE bytes for test files and streams.
#pragma once

#include <string>
#include <string_view>

// The little-endian bytes of 'units'; no byte-order mark is added.
inline std::string Utf16(std::u16string_view units) {
    std::string out;
    for (char16_t c : units) {
        out += static_cast<char>(c & 0xff);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

// Latin-1 text as UTF-16 units: each byte is one code point.
inline std::u16string Latin1Units(std::string_view latin1) {
    std::u16string units;
    for (char c : latin1)
        units += static_cast<char16_t>(static_cast<unsigned char>(c));
    return units;
}
