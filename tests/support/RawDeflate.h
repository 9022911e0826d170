// zlib as a control in tests, benchmarks and fuzz targets: a raw deflate
// stream (no zlib header) of the bytes. Empty when zlib refuses the
// parameters or cannot finish, which no stream of zlib's ever is.
#pragma once

#include <zlib.h>

#include <string>

// 'windowBits' is 9 to 15 and 'memLevel' 1 to 9, as deflateInit2 takes them.
inline std::string RawDeflate(const std::string& data, int level = Z_BEST_COMPRESSION,
                              int strategy = Z_DEFAULT_STRATEGY, int windowBits = MAX_WBITS,
                              int memLevel = 8) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -windowBits, memLevel, strategy) != Z_OK)
        return std::string();
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    bool finished = deflate(&z, Z_FINISH) == Z_STREAM_END;
    out.resize(finished ? z.total_out : 0);
    deflateEnd(&z);
    return out;
}
