// The piece table: where each run of character positions is stored.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct Piece {
    uint32_t cpStart = 0, cpEnd = 0;  // character positions [start, end)
    uint32_t fc = 0;                  // byte offset in the main stream
    bool compressed = false;          // 8-bit characters, else UTF-16LE
};

// Reads the Clx at `clx` (the table stream's bytes from fcClx, lcbClx long).
// False when it is damaged.
bool ReadPieceTable(std::string_view clx, std::vector<Piece>& pieces);

// The Unicode character of an 8-bit character of a compressed piece.
uint16_t CompressedToUnicode(uint8_t c);
