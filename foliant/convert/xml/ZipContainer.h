// Reads members of a ZIP container held in memory (the packages of DOCX,
// ODT and EPUB documents): the central directory, then one member at a time
// through zlib, checked against its size and CRC-32.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ZipContainer {
public:
    // False when 'archive' has no readable central directory. 'archive'
    // must outlive the container.
    bool Open(std::string_view archive);

    bool Has(std::string_view name) const { return Find(name) != nullptr; }
    // The member's bytes, at most 'limit' of them after decompression.
    // False for a missing, encrypted, damaged or too large member.
    bool Read(std::string_view name, size_t limit, std::string& data) const;

private:
    struct Member {
        std::string name;
        uint16_t flags = 0;
        uint16_t method = 0;
        uint32_t crc = 0;
        uint32_t compressedSize = 0;
        uint32_t uncompressedSize = 0;
        uint32_t localHeaderOffset = 0;
    };
    const Member* Find(std::string_view name) const;

    std::string_view archive_;
    std::vector<Member> members_;
};

// The largest member the document readers take, decompressed.
constexpr size_t kMaxMemberSize = size_t{256} << 20;
