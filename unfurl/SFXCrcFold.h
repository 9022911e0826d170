// CRC-32 by carry-less multiplication, where the processor has it.
#pragma once

#include <cstddef>
#include <cstdint>

// How many leading bytes it took (0 when it cannot help), 'crc' updated as
// UpdateCrc would.
size_t UpdateCrcFolded(const uint8_t* buffer, size_t length, uint32_t& crc);
