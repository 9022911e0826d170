// Builds small PE32 images for tests: a DOS header, the PE signature, a file
// header, a 224-byte optional header with sixteen data directories and a
// section table. Enough for the overlay search, the security entry and for
// signing tools to accept the file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ZipBuilder.h"

constexpr uint32_t kTestPeHeader = 0x80;
constexpr uint32_t kTestSecurityEntry = kTestPeHeader + 4 + 20 + 96 + 4 * 8;

inline void PutU16(std::string& image, size_t at, uint32_t v) {
    std::string field;
    AppendU16(field, v);
    image.replace(at, 2, field);
}

inline void PutU32(std::string& image, size_t at, uint32_t v) {
    std::string field;
    AppendU32(field, v);
    image.replace(at, 4, field);
}

// An image of 'size' bytes whose sections lie at the given raw offsets with
// the given raw sizes.
inline std::string PeImage(const std::vector<std::pair<uint32_t, uint32_t>>& sections,
                           size_t size) {
    const uint32_t pe = kTestPeHeader, optional = pe + 24;
    std::string image(size, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    PutU32(image, 0x3C, pe);
    image.replace(pe, 4, std::string("PE\0\0", 4));
    PutU16(image, pe + 4, 0x14C);                    // i386
    PutU16(image, pe + 6, static_cast<uint32_t>(sections.size()));
    PutU16(image, pe + 20, 224);                     // optional header size
    PutU16(image, optional, 0x10B);                  // PE32
    PutU32(image, optional + 92, 16);                // data directories
    for (size_t i = 0; i < sections.size(); ++i) {
        PutU32(image, pe + 248 + i * 40 + 16, sections[i].second);
        PutU32(image, pe + 248 + i * 40 + 20, sections[i].first);
    }
    return image;
}

// The security entry: the certificate table's file offset and size.
inline void SetSecurityEntry(std::string& image, uint32_t start, uint32_t size) {
    PutU32(image, kTestSecurityEntry, start);
    PutU32(image, kTestSecurityEntry + 4, size);
}
