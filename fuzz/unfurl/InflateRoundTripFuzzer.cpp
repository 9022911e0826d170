// Fuzzes the decoder against real encoders: the first bytes choose zlib's
// level, strategy, window bits and memory level, or libdeflate's level;
// the rest is compressed with them, and the decoder must give it back
// whole, with zlib's CRC. The encoders are controls here only.
#include <libdeflate.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSystem.h"
#include "support/RawDeflate.h"

namespace {

constexpr size_t kChoiceBytes = 4;

std::string LibdeflateRaw(const std::string& data, int level) {
    libdeflate_compressor* c = libdeflate_alloc_compressor(level);
    if (!c)
        __builtin_trap();
    std::string out(libdeflate_deflate_compress_bound(c, data.size()), '\0');
    size_t n = libdeflate_deflate_compress(c, data.data(), data.size(), out.data(), out.size());
    libdeflate_free_compressor(c);
    if (n == 0)
        __builtin_trap();
    out.resize(n);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kChoiceBytes)
        return 0;
    ResetForInput();
    std::string plain(reinterpret_cast<const char*>(data + kChoiceBytes), size - kChoiceBytes);
    std::string stream;
    if (data[0] & 1) {
        stream = LibdeflateRaw(plain, (data[0] >> 1) % 13);
    } else {
        // zlib takes window bits 9 to 15 for raw streams.
        stream = RawDeflate(plain, (data[0] >> 1) % 10, data[1] % 5, 9 + data[2] % 7,
                            1 + data[3] % 9);
        if (stream.empty())
            __builtin_trap();
    }
    UnfurlInflated got;
    try {
        got = UnfurlInflate(stream);
    } catch (const ProgramExit&) {
        __builtin_trap();
    }
    uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(plain.data()), static_cast<uInt>(plain.size())));
    if (!got.ok || got.bytes != plain || ~Decoder.crc != crc)
        __builtin_trap();
    return 0;
}
