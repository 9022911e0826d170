// The central directory is read like a checklist: each record's fields
// under their APPNOTE names, checked, then used.
#include "convert/xml/ZipContainer.h"

#include <zlib.h>

#include <algorithm>

namespace {

constexpr uint32_t kEndOfCentralDirSig = 0x06054b50;
constexpr uint32_t kCentralFileHeaderSig = 0x02014b50;
constexpr uint32_t kLocalFileHeaderSig = 0x04034b50;
constexpr size_t kEndOfCentralDirSize = 22;
constexpr size_t kCentralFileHeaderSize = 46;
constexpr size_t kLocalFileHeaderSize = 30;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr size_t kMaxMembers = 1 << 16;

uint16_t U16(std::string_view s, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}

uint32_t U32(std::string_view s, size_t at) {
    return U16(s, at) | static_cast<uint32_t>(U16(s, at + 2)) << 16;
}

uint64_t U64(std::string_view s, size_t at) {
    return U32(s, at) | static_cast<uint64_t>(U32(s, at + 4)) << 32;
}

constexpr uint32_t kZip64EndSig = 0x06064b50;
constexpr uint32_t kZip64LocatorSig = 0x07064b50;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kZip64LocatorSize = 20;
constexpr uint16_t kZip64ExtraId = 0x0001;
constexpr uint32_t kNone32 = 0xFFFFFFFF;
constexpr size_t kReadSize = 64 * 1024;

// Format note: a Zip64 member keeps in its extra field, in this order,
// those of its uncompressed size, compressed size and header offset whose
// central fields hold 0xFFFFFFFF.
bool ReadZip64Extra(std::string_view extra, uint64_t* fields[3]) {
    for (size_t at = 0; extra.size() - at >= 4;) {
        uint16_t id = U16(extra, at);
        uint16_t size = U16(extra, at + 2);
        if (extra.size() - at - 4 < size)
            return false;
        if (id == kZip64ExtraId) {
            size_t field = at + 4;
            for (int i = 0; i < 3; ++i) {
                if (*fields[i] != kNone32)
                    continue;
                if (field + 8 > at + 4 + size)
                    return false;
                *fields[i] = U64(extra, field);
                field += 8;
            }
            return true;
        }
        at += 4 + size;
    }
    for (int i = 0; i < 3; ++i)
        if (*fields[i] == kNone32)
            return false;
    return true;
}

// A member's bytes as they are read: copied when stored, inflated when
// deflated, and held to the declared size and CRC-32 at the end.
class MemberReader final : public FileReader {
public:
    MemberReader(std::string_view stored, bool deflated, uint64_t size, uint32_t crc)
        : stored_(stored), deflated_(deflated), size_(size), expectedCrc_(crc) {}
    ~MemberReader() override {
        if (started_)
            inflateEnd(&z_);
    }

    bool Start() {
        if (!deflated_)
            return true;
        if (inflateInit2(&z_, -MAX_WBITS) != Z_OK)
            return false;
        started_ = true;
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored_.data()));
        z_.avail_in = static_cast<uInt>(stored_.size());
        return true;
    }

    bool Read(char* buffer, size_t capacity, size_t& got) override {
        got = 0;
        if (failed_)
            return false;
        if (ended_)
            return true;
        capacity = std::min(capacity, kReadSize);
        if (!deflated_) {
            got = std::min<uint64_t>(capacity, stored_.size() - taken_);
            std::copy_n(stored_.data() + taken_, got, buffer);
            taken_ += got;
        } else {
            while (got == 0 && !streamEnded_) {
                z_.next_out = reinterpret_cast<Bytef*>(buffer);
                z_.avail_out = static_cast<uInt>(capacity);
                int rc = inflate(&z_, Z_NO_FLUSH);
                got = capacity - z_.avail_out;
                if (rc == Z_STREAM_END)
                    streamEnded_ = true;
                else if (rc != Z_OK && !(rc == Z_BUF_ERROR && got > 0))
                    return Failed();  // damaged, or cut short
            }
        }
        produced_ += got;
        if (produced_ > size_)
            return Failed();
        crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(buffer), static_cast<uInt>(got));
        if (got == 0) {
            if (produced_ != size_ || crc_ != expectedCrc_)
                return Failed();
            ended_ = true;
        }
        return true;
    }

private:
    bool Failed() {
        failed_ = true;
        return false;
    }

    std::string_view stored_;
    bool deflated_;
    uint64_t size_;
    uint32_t expectedCrc_;
    z_stream z_{};
    bool started_ = false;
    bool streamEnded_ = false;
    bool ended_ = false;
    bool failed_ = false;
    uint64_t taken_ = 0;
    uint64_t produced_ = 0;
    uLong crc_ = 0;
};

}  // namespace

bool ZipContainer::Fail(SkipReason problem) {
    problem_ = problem;
    return false;
}

bool ZipContainer::Open(std::string_view archive) {
    archive_ = archive;
    members_.clear();
    inflateBudget_ = documentLimit_;
    problem_ = SkipReason::Damaged;
    if (archive.size() < kEndOfCentralDirSize)
        return Fail(SkipReason::Damaged);
    // The end record is the last one whose comment reaches the file's end.
    size_t lowest = archive.size() - kEndOfCentralDirSize >= kMaxCommentSize
                        ? archive.size() - kEndOfCentralDirSize - kMaxCommentSize
                        : 0;
    for (size_t at = archive.size() - kEndOfCentralDirSize + 1; at-- > lowest;) {
        if (U32(archive, at) == kEndOfCentralDirSig &&
            at + kEndOfCentralDirSize + U16(archive, at + 20) == archive.size())
            return ReadDirectory(at);
    }
    return Fail(SkipReason::Damaged);
}

bool ZipContainer::ReadDirectory(size_t end) {
    std::string_view archive = archive_;
    uint64_t totalEntries = U16(archive, end + 10);
    uint64_t directorySize = U32(archive, end + 12);
    uint64_t directoryOffset = U32(archive, end + 16);
    size_t directoryLimit = end;
    // Format note: a Zip64 archive keeps a locator just before the end
    // record, naming a larger end record that holds the true counts.
    if (end >= kZip64LocatorSize && U32(archive, end - kZip64LocatorSize) == kZip64LocatorSig) {
        uint64_t at = U64(archive, end - kZip64LocatorSize + 8);
        if (at > end - kZip64LocatorSize || end - kZip64LocatorSize - at < kZip64EndSize ||
            U32(archive, at) != kZip64EndSig)
            return Fail(SkipReason::Damaged);
        totalEntries = U64(archive, at + 32);
        directorySize = U64(archive, at + 40);
        directoryOffset = U64(archive, at + 48);
        directoryLimit = static_cast<size_t>(at);
    }
    if (directoryOffset > directoryLimit || directorySize > directoryLimit - directoryOffset)
        return Fail(SkipReason::Damaged);
    size_t at = static_cast<size_t>(directoryOffset);
    size_t directoryEnd = static_cast<size_t>(directoryOffset + directorySize);
    for (uint64_t i = 0; i < totalEntries && i < kMaxMembers; ++i) {
        if (directoryEnd - at < kCentralFileHeaderSize || U32(archive, at) != kCentralFileHeaderSig)
            return Fail(SkipReason::Damaged);
        Member m;
        m.flags = U16(archive, at + 8);
        m.method = U16(archive, at + 10);
        m.crc = U32(archive, at + 16);
        m.compressedSize = U32(archive, at + 20);
        m.uncompressedSize = U32(archive, at + 24);
        uint16_t nameLength = U16(archive, at + 28);
        uint16_t extraLength = U16(archive, at + 30);
        uint16_t commentLength = U16(archive, at + 32);
        m.localHeaderOffset = U32(archive, at + 42);
        size_t recordSize = kCentralFileHeaderSize + nameLength + extraLength + commentLength;
        if (directoryEnd - at < recordSize)
            return Fail(SkipReason::Damaged);
        std::string_view extra = archive.substr(at + kCentralFileHeaderSize + nameLength, extraLength);
        uint64_t* wide[3] = {&m.uncompressedSize, &m.compressedSize, &m.localHeaderOffset};
        if ((m.uncompressedSize == kNone32 || m.compressedSize == kNone32 ||
             m.localHeaderOffset == kNone32) &&
            !ReadZip64Extra(extra, wide))
            return Fail(SkipReason::Damaged);
        m.name.assign(archive.substr(at + kCentralFileHeaderSize, nameLength));
        members_.push_back(std::move(m));
        at += recordSize;
    }
    if (Overlapping())
        return Fail(SkipReason::Damaged);
    std::stable_sort(members_.begin(), members_.end(),
                     [](const Member& a, const Member& b) { return a.name < b.name; });
    return true;
}

// Format note: a central record names its member's bytes by offset and
// size only, so several records can name the same bytes, or bytes inside
// another member, and a small archive can stand for any amount of text.
// Members of a sound archive never share a byte. The spans are taken as
// short as they can be (local header without its name, then the data), so
// that no sound archive is refused.
bool ZipContainer::Overlapping() const {
    std::vector<std::pair<uint64_t, uint64_t>> spans;
    spans.reserve(members_.size());
    for (const Member& m : members_) {
        uint64_t start = m.localHeaderOffset;
        spans.emplace_back(start, start + kLocalFileHeaderSize + m.compressedSize);
    }
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); ++i)
        if (spans[i].first < spans[i - 1].second)
            return true;
    return false;
}

const ZipContainer::Member* ZipContainer::Find(std::string_view name) const {
    auto it = std::lower_bound(members_.begin(), members_.end(), name,
                               [](const Member& m, std::string_view n) { return m.name < n; });
    return it != members_.end() && it->name == name ? &*it : nullptr;
}

bool ZipContainer::Read(std::string_view name, size_t limit, std::string& data) {
    data.clear();
    std::unique_ptr<FileReader> member = OpenMember(name, limit);
    if (!member)
        return false;
    constexpr size_t kMostReserved = size_t{16} << 20;
    data.reserve(static_cast<size_t>(std::min<uint64_t>(Find(name)->uncompressedSize, kMostReserved)));
    for (;;) {
        size_t had = data.size();
        data.resize(had + kReadSize);
        size_t got = 0;
        if (!member->Read(&data[had], kReadSize, got))
            return Fail(SkipReason::Damaged);
        data.resize(had + got);
        if (got == 0)
            return true;
    }
}

std::unique_ptr<FileReader> ZipContainer::OpenMember(std::string_view name, size_t limit) {
    problem_ = SkipReason::Damaged;
    const Member* m = Find(name);
    if (!m) {
        Fail(SkipReason::Damaged);
        return nullptr;
    }
    if (m->flags & kFlagEncrypted) {
        Fail(SkipReason::Encrypted);
        return nullptr;
    }
    if (m->uncompressedSize > limit || m->uncompressedSize > inflateBudget_) {
        Fail(SkipReason::TooLarge);
        return nullptr;
    }
    inflateBudget_ -= static_cast<size_t>(m->uncompressedSize);
    uint64_t at = m->localHeaderOffset;
    if (archive_.size() < kLocalFileHeaderSize || at > archive_.size() - kLocalFileHeaderSize ||
        U32(archive_, static_cast<size_t>(at)) != kLocalFileHeaderSig) {
        Fail(SkipReason::Damaged);
        return nullptr;
    }
    size_t header = static_cast<size_t>(at);
    size_t start = header + kLocalFileHeaderSize + U16(archive_, header + 26) + U16(archive_, header + 28);
    if (start > archive_.size() || m->compressedSize > archive_.size() - start ||
        (m->method != kMethodStored && m->method != kMethodDeflated) ||
        (m->method == kMethodStored && m->compressedSize != m->uncompressedSize)) {
        Fail(SkipReason::Damaged);
        return nullptr;
    }
    auto reader = std::make_unique<MemberReader>(
        archive_.substr(start, static_cast<size_t>(m->compressedSize)), m->method == kMethodDeflated,
        m->uncompressedSize, m->crc);
    if (!reader->Start()) {
        Fail(SkipReason::TooLarge);
        return nullptr;
    }
    return reader;
}
