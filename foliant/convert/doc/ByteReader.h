// Little-endian numbers read from a byte buffer, with bounds checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The number at `at`, or false when it lies outside `bytes`.
inline bool ReadU8(std::string_view bytes, size_t at, uint32_t& value) {
    if (at >= bytes.size())
        return false;
    value = static_cast<uint8_t>(bytes[at]);
    return true;
}

inline bool ReadU16(std::string_view bytes, size_t at, uint32_t& value) {
    if (at > bytes.size() || bytes.size() - at < 2)
        return false;
    value = static_cast<uint8_t>(bytes[at]) | (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8);
    return true;
}

inline bool ReadU32(std::string_view bytes, size_t at, uint32_t& value) {
    if (at > bytes.size() || bytes.size() - at < 4)
        return false;
    value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return true;
}

// The same without a check, for callers that checked the range already.
inline uint32_t U16At(std::string_view bytes, size_t at) {
    return static_cast<uint8_t>(bytes[at]) | (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8);
}

inline uint32_t U32At(std::string_view bytes, size_t at) {
    return U16At(bytes, at) | (U16At(bytes, at + 2) << 16);
}
