// The decoder of ZIP entries: stored copies and RFC 1951 inflate through a
// 32 KB window that doubles as the output buffer, decrypting the input and
// keeping the CRC-32 of everything written. It reports nothing itself: the
// caller turns its result into the program's messages.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sys/SfxSystem.h"

// How decoding an entry ended: Ok, or the one place it stopped at. The
// bytes decoded before a failure are written, up to the declared size.
enum class InflateResult : uint8_t {
    Ok,                     // the last block ended, or the stored bytes were copied
    InputEnded,             // a block needed bits past the entry's compressed bytes
    BadBlockType,           // block type 3, which is reserved
    StoredLengthMismatch,   // a stored block's NLEN is not the complement of its LEN
    BadCodeLengthCode,      // the code-length code is incomplete or oversubscribed
    BadCodeLengthSymbol,    // bits that name no code-length symbol (a one-code set)
    RepeatPastEnd,          // a repeat runs past the lengths the block header counts
    RepeatWithoutLength,    // code 16 as the first length: there is none to repeat
    NoEndOfBlockCode,       // the literal/length code has no end-of-block code
    BadLiteralLengths,      // the literal/length code is incomplete or oversubscribed
    BadDistanceLengths,     // the distance code is incomplete or oversubscribed
    BadLiteralCode,         // bits that name no literal/length symbol, or 286 or 287
    BadDistanceCode,        // bits that name no distance symbol, or 30 or 31
    DistanceTooFar,         // a match reaches back before the entry's first byte
    StoredDataCut,          // a stored entry's bytes end before its compressed size
    OutputOverflow,         // more bytes than the entry declares; the rest dropped
    WriteFailed,            // the output took fewer bytes than it was given
    OutOfMemory,            // a code table could not be allocated
};

// What the caller prepares before decoding one entry, and the CRC after it.
struct DecoderState {
    SfxFile* input = nullptr;     // positioned at the entry's first data byte
    SfxFile* output = nullptr;
    int64_t remaining = 0;        // compressed bytes not yet fetched
    bool encrypted = false;       // keys already past the encryption header
    uint32_t crc = 0xFFFFFFFF;    // the entry's CRC is the complement
    // Bytes the entry may still write (its declared size); what would go
    // beyond is dropped and decoding stops with OutputOverflow.
    uint64_t room = UINT64_MAX;
    uint64_t written = 0;
};

extern DecoderState Decoder;

// Builds the fixed-code tables once, before any entry is decoded.
void BuildFixedTables();
// Copies the remaining bytes to the output, decrypting when needed.
InflateResult CopyStoredEntry();
// Decodes one deflate stream.
InflateResult InflateEntry();
// Writes to the output, at most 'room' bytes: Ok, OutputOverflow when
// bytes were dropped, or WriteFailed after a short write.
InflateResult WriteOutput(const uint8_t* buffer, size_t count);
