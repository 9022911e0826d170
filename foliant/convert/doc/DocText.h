// The main document's characters, read through the piece table and turned
// into plain text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/doc/PieceTable.h"
#include "convert/doc/Formatting.h"

// Appends the plain text of character positions [0, cpEnd) as UTF-16LE.
// False when a piece points outside the main stream, or when the pieces
// together read more bytes than the stream holds.
bool ReadDocumentText(std::string_view wordDocument, const std::vector<Piece>& pieces,
                      uint32_t cpEnd, Formatting& formatting, std::string& utf16);
