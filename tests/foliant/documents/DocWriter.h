// Word documents made by tests: minimal ones from pieces of text, and
// existing ones re-stored in many small pieces, as fast saves leave them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CompoundFileWriter.h"
#include "support/Utf16.h"

struct PieceToWrite {
    std::string bytes;   // 8-bit characters, or UTF-16LE
    bool compressed;
};

struct DocOptions {
    bool use1Table = true;
    bool encrypted = false;
    uint16_t nFib = 0xC1;
    std::optional<uint32_t> ccpText;  // the main text's length in the FIB, when not the pieces'
    CompoundFileOptions container;
};

// A document whose main text is the pieces, one after another; the pieces
// are stored in the main stream in reverse order.
std::string WriteDoc(const std::vector<PieceToWrite>& pieces, const DocOptions& options = {});

// The same document with its main text stored `copies` times over, in
// pieces of 1 to `longest` characters, alternately 8-bit where they can be
// and UTF-16. Empty when `doc` cannot be read.
std::string RepieceDoc(std::string_view doc, uint32_t longest, uint32_t copies,
                       const CompoundFileOptions& container = {});

// A document whose main text is `piece` `times` over, every piece
// pointing at the one stored copy of its bytes, as damaged files do.
std::string WriteDocReusingBytes(const PieceToWrite& piece, uint32_t times,
                                 const DocOptions& options = {});
