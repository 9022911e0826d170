// Builds the ZIP packages of DOCX, ODT and EPUB documents for tests, with
// members deflated by zlib or stored.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "support/RawDeflate.h"
#include "support/ZipBuilder.h"

inline uint32_t Crc32Of(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
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

// A member made of 'head', 'fill' repeated 'count' times and 'tail',
// deflated a piece at a time so that a member of hundreds of megabytes
// costs the test only its compressed size.
inline ZipEntrySpec RepeatedMember(const std::string& name, const std::string& head,
                                   const std::string& fill, size_t count, const std::string& tail) {
    ZipEntrySpec e;
    e.name = name;
    e.method = 8;
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    size_t perBlock = fill.empty() ? 1 : std::max<size_t>(1, (1u << 16) / fill.size());
    std::string block;
    for (size_t i = 0; i < perBlock; ++i)
        block += fill;
    uLong crc = crc32(0, nullptr, 0);
    size_t total = 0;
    std::string out(1 << 16, '\0');
    auto feed = [&](const std::string& bytes, int flush) {
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
        total += bytes.size();
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        z.avail_in = static_cast<uInt>(bytes.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, flush);
            e.data.append(out.data(), out.size() - z.avail_out);
        } while (z.avail_out == 0);
    };
    feed(head, Z_NO_FLUSH);
    for (size_t i = 0; i < count / perBlock; ++i)
        feed(block, Z_NO_FLUSH);
    std::string rest;
    for (size_t i = 0; i < count % perBlock; ++i)
        rest += fill;
    feed(rest + tail, Z_FINISH);
    deflateEnd(&z);
    e.crc = static_cast<uint32_t>(crc);
    e.uncompressedSize = static_cast<uint32_t>(total);
    return e;
}

inline std::string BuildPackage(const std::vector<std::pair<std::string, std::string>>& members) {
    ZipBuilder zip;
    for (const auto& [name, data] : members)
        zip.entries.push_back(PackageMember(name, data, name == "mimetype"));
    return zip.Build();
}

// An XHTML content document around 'body'.
inline std::string XhtmlPage(const std::string& body) {
    return "<?xml version='1.0' encoding='utf-8'?><html xmlns='http://www.w3.org/1999/xhtml'>"
           "<head><title>t</title></head><body>" + body + "</body></html>";
}

// An EPUB whose container names 'packagePath', whose package holds the
// manifest items and spine given as markup, and the members 'files'.
inline std::string BuildEpub(const std::string& manifest, const std::string& spine,
                             const std::vector<std::pair<std::string, std::string>>& files,
                             const std::string& packagePath = "OPS/book.opf") {
    std::vector<std::pair<std::string, std::string>> members = {
        {"mimetype", "application/epub+zip"},
        {"META-INF/container.xml",
         "<container version='1.0' xmlns='urn:oasis:names:tc:opendocument:xmlns:container'>"
         "<rootfiles><rootfile full-path='" + packagePath +
             "' media-type='application/oebps-package+xml'/></rootfiles></container>"},
    };
    if (packagePath != members[1].first)
        members.push_back({packagePath, "<package xmlns='http://www.idpf.org/2007/opf' version='3.0'>"
                                        "<manifest>" + manifest + "</manifest><spine>" + spine +
                                        "</spine></package>"});
    members.insert(members.end(), files.begin(), files.end());
    return BuildPackage(members);
}
