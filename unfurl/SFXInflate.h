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
    // Bytes the entry may still write (its declared size); what would go
    // beyond is dropped, 'overflowed' set and decoding stopped.
    uint64_t room = UINT64_MAX;
    uint64_t written = 0;
    bool overflowed = false;
};

extern DecoderState Decoder;

// Builds the fixed-code tables once, before any entry is decoded.
void BuildFixedTables();
// Copies the remaining bytes to the output, decrypting when needed.
void CopyStoredEntry();
// Decodes one deflate stream; false after a data error (the bytes decoded
// up to the error are still written).
bool InflateEntry();
// Writes to the output, at most 'room' bytes; a short write is fatal.
void WriteOutput(const uint8_t* buffer, size_t count);
