// Builds the ZIP packages of DOCX, ODT and EPUB documents for tests, with
// members deflated by zlib or stored.
#pragma once

#include <zlib.h>

#include <string>
#include <utility>
#include <vector>

#include "support/ZipBuilder.h"

inline uint32_t Crc32Of(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

inline std::string RawDeflate(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// A member as a ZIP entry: deflated unless 'stored'.
inline ZipEntrySpec PackageMember(const std::string& name, const std::string& data, bool stored = false) {
    ZipEntrySpec e;
    e.name = name;
    e.crc = Crc32Of(data);
    e.uncompressedSize = static_cast<uint32_t>(data.size());
    e.method = stored ? 0 : 8;
    e.data = stored ? data : RawDeflate(data);
    return e;
}

inline std::string BuildPackage(const std::vector<std::pair<std::string, std::string>>& members) {
    ZipBuilder zip;
    for (const auto& [name, data] : members)
        zip.entries.push_back(PackageMember(name, data, name == "mimetype"));
    return zip.Build();
}
