// Reads members of a ZIP container held in memory (the packages of DOCX,
// ODT and EPUB documents): the central directory, then one member at a time
// through zlib, checked against its size and CRC-32.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convert/text/SkipReason.h"
#include "sys/System.h"

// The largest member the document readers take, decompressed, and the
// most that all members read for one document may give together (always
// counted at their declared sizes, which they are held to).
constexpr size_t kMaxMemberSize = size_t{256} << 20;
constexpr size_t kMaxDocumentSize = size_t{512} << 20;

class ZipContainer {
public:
    // 'documentLimit': the most that all reads together may give.
    explicit ZipContainer(size_t documentLimit = kMaxDocumentSize)
        : documentLimit_(documentLimit) {}

    // False when 'archive' has no readable central directory. 'archive'
    // must outlive the container.
    bool Open(std::string_view archive);

    bool Has(std::string_view name) const { return Find(name) != nullptr; }
    // The declared size of a member, decompressed; 0 when it is missing.
    uint64_t MemberSize(std::string_view name) const {
        const Member* m = Find(name);
        return m ? m->uncompressedSize : 0;
    }
    // The member's bytes, at most 'limit' of them after decompression.
    // False for a missing, encrypted, damaged or too large member, and once
    // the members read so far have used up the document's limit.
    bool Read(std::string_view name, size_t limit, std::string& data);
    // The same member as a stream, decompressed as it is read; its last
    // read checks the size and CRC-32, and fails when they are wrong. Null
    // when Read would fail at once.
    std::unique_ptr<FileReader> OpenMember(std::string_view name, size_t limit);

    // Why the last Open, Read or OpenMember failed: damaged, encrypted or
    // too large.
    SkipReason LastProblem() const { return problem_; }

private:
    struct Member {
        std::string name;
        uint16_t flags = 0;
        uint16_t method = 0;
        uint32_t crc = 0;
        uint64_t compressedSize = 0;
        uint64_t uncompressedSize = 0;
        uint64_t localHeaderOffset = 0;
    };
    const Member* Find(std::string_view name) const;
    bool ReadDirectory(size_t end);
    bool Fail(SkipReason problem);
    // True when two members' bytes meet.
    bool Overlapping() const;

    std::string_view archive_;
    std::vector<Member> members_;  // sorted by name
    size_t documentLimit_;
    size_t inflateBudget_ = 0;  // bytes the next reads may give
    SkipReason problem_ = SkipReason::Damaged;
};
