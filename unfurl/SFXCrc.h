// CRC-32 of ZIP (reflected polynomial 0xEDB88320). The accumulator starts
// at 0xFFFFFFFF; the CRC is its complement.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

extern std::array<uint32_t, 256> Crc32Table;
void BuildCrcTable();
void UpdateCrc(const uint8_t* buffer, size_t length, uint32_t& crc);

// One byte into the accumulator, by the table.
inline uint32_t CrcByte(uint32_t crc, uint8_t byte) {
    return Crc32Table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}
