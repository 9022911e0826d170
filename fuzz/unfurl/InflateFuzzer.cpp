// Fuzzes the decoder: the input is one deflate stream; the first byte
// chooses whether it is also decrypted with a fixed password.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSystem.h"
#include "SFXCrypt.h"
#include "SFXInflate.h"
#include "SFXMemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetForInput();
    if (size == 0)
        return 0;
    bool encrypted = (data[0] & 1) != 0;
    MemoryFile input(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    CountingFile output;
    Decoder = DecoderState();
    Decoder.input = &input;
    Decoder.output = &output;
    Decoder.remaining = static_cast<int64_t>(size - 1);
    Decoder.encrypted = encrypted;
    if (encrypted)
        InitKeys("fuzz");
    try {
        InflateEntry();
    } catch (const ProgramExit&) {
    }
    // A stream can only produce so much per bit it holds.
    if (output.written > 258ull * 8 * size + 65536)
        __builtin_trap();
    return 0;
}
