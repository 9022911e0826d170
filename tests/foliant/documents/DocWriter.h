// Word documents made by tests: minimal ones from pieces of text, and
// existing ones re-stored in many small pieces, as fast saves leave them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CompoundFileWriter.h"

struct PieceToWrite {
    std::string bytes;   // 8-bit characters, or UTF-16LE
    bool compressed;
};

struct DocOptions {
    bool use1Table = true;
    bool encrypted = false;
    uint16_t nFib = 0xC1;
    CompoundFileOptions container;
};

// UTF-16LE bytes of a UTF-16 literal.
std::string Utf16(std::u16string_view text);

// A document whose main text is the pieces, one after another; the pieces
// are stored in the main stream in reverse order.
std::string WriteDoc(const std::vector<PieceToWrite>& pieces, const DocOptions& options = {});

// The same document with its main text stored `copies` times over, in
// pieces of 1 to `longest` characters, alternately 8-bit where they can be
// and UTF-16. Empty when `doc` cannot be read.
std::string RepieceDoc(std::string_view doc, uint32_t longest, uint32_t copies,
                       const CompoundFileOptions& container = {});
