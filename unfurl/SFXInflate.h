// The decoder of ZIP entries: stored copies and RFC 1951 inflate through a
// 32 KB window that doubles as the output buffer, decrypting the input and
// keeping the CRC-32 of everything written.
#pragma once

#include <cstdint>
#include <string>

#include "sys/SfxSystem.h"

// What the caller prepares before decoding one entry, and the CRC after it.
struct DecoderState {
    SfxFile* input = nullptr;     // positioned at the entry's first data byte
    SfxFile* output = nullptr;
    std::string outputName;       // for the short-write message
    int64_t remaining = 0;        // compressed bytes not yet fetched
    bool encrypted = false;       // keys already past the encryption header
    uint32_t crc = 0xFFFFFFFF;    // the entry's CRC is the complement
};

extern DecoderState Decoder;

// Builds the fixed-code tables once, before any entry is decoded.
void BuildFixedTables();
// Copies the remaining bytes to the output, decrypting when needed.
void CopyStoredEntry();
// Decodes one deflate stream; false after a data error (the bytes decoded
// up to the error are still written).
bool InflateEntry();
// Writes to the output; a short write is fatal.
void WriteOutput(const uint8_t* buffer, size_t count);
