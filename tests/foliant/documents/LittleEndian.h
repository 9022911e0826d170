// Little-endian stores into a byte string, for the document writers.
#pragma once

#include <cstdint>
#include <string>

inline void Put16(std::string& s, size_t at, uint32_t v) {
    s[at] = static_cast<char>(v & 0xff);
    s[at + 1] = static_cast<char>((v >> 8) & 0xff);
}

inline void Put32(std::string& s, size_t at, uint32_t v) {
    Put16(s, at, v & 0xffff);
    Put16(s, at + 2, v >> 16);
}
