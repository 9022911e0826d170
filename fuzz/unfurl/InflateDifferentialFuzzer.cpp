// Fuzzes the decoder against zlib's inflate on the same raw bytes: both
// must agree on whether the stream is sound and on every byte they
// produce, up to an error too. zlib is a control here only.
//
// Where the two differ by design the input is left out: zlib refuses
// literal/length counts above 286 and distance counts above 30 in a
// dynamic header, which the stub accepts as long as those codes are not
// decoded.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzSystem.h"

namespace {

struct ZlibInflated {
    bool ok;
    std::string bytes;
    const char* message;
};

ZlibInflated ZlibInflate(const std::string& stream, size_t limit) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        __builtin_trap();
    std::string out(limit, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&z, Z_FINISH);
    out.resize(z.total_out);
    ZlibInflated result{rc == Z_STREAM_END, out, z.msg ? z.msg : ""};
    inflateEnd(&z);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetForInput();
    std::string stream(reinterpret_cast<const char*>(data), size);
    UnfurlInflated ours;
    try {
        ours = UnfurlInflate(stream);
    } catch (const ProgramExit&) {
        __builtin_trap();
    }
    // Room for all our output and one byte more, so that zlib's going on
    // further shows.
    ZlibInflated zlib = ZlibInflate(stream, ours.bytes.size() + 1);
    if (std::strcmp(zlib.message, "too many length or distance symbols") == 0)
        return 0;
    if (ours.ok != zlib.ok || ours.bytes != zlib.bytes)
        __builtin_trap();
    return 0;
}
