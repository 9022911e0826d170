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

// Raw deflate into 'out', stopping with false past 'limit' bytes.
bool Inflate(std::string_view in, size_t limit, std::string& out) {
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return false;
    constexpr size_t kChunk = 64 * 1024;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        size_t had = out.size();
        if (had >= limit + 1) {
            rc = Z_BUF_ERROR;
            break;
        }
        size_t room = std::min(kChunk, limit + 1 - had);
        out.resize(had + room);
        z.next_out = reinterpret_cast<Bytef*>(&out[had]);
        z.avail_out = static_cast<uInt>(room);
        rc = inflate(&z, Z_NO_FLUSH);
        out.resize(had + room - z.avail_out);
        if (rc == Z_BUF_ERROR && z.avail_in == 0)
            break;  // truncated
        if (rc == Z_BUF_ERROR)
            rc = Z_OK;
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END && out.size() <= limit;
}

}  // namespace

bool ZipContainer::Open(std::string_view archive) {
    archive_ = archive;
    members_.clear();
    inflateBudget_ = documentLimit_;
    if (archive.size() < kEndOfCentralDirSize)
        return false;
    // The end record is the last one whose comment reaches the file's end.
    size_t lowest = archive.size() - kEndOfCentralDirSize >= kMaxCommentSize
                        ? archive.size() - kEndOfCentralDirSize - kMaxCommentSize
                        : 0;
    size_t end = std::string_view::npos;
    for (size_t at = archive.size() - kEndOfCentralDirSize + 1; at-- > lowest;) {
        if (U32(archive, at) == kEndOfCentralDirSig &&
            at + kEndOfCentralDirSize + U16(archive, at + 20) == archive.size()) {
            end = at;
            break;
        }
    }
    if (end == std::string_view::npos)
        return false;
    uint16_t totalEntries = U16(archive, end + 10);
    uint32_t directorySize = U32(archive, end + 12);
    uint32_t directoryOffset = U32(archive, end + 16);
    if (directoryOffset > end || directorySize > end - directoryOffset)
        return false;
    size_t at = directoryOffset;
    size_t directoryEnd = static_cast<size_t>(directoryOffset) + directorySize;
    for (size_t i = 0; i < totalEntries && i < kMaxMembers; ++i) {
        if (directoryEnd - at < kCentralFileHeaderSize || U32(archive, at) != kCentralFileHeaderSig)
            return false;
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
            return false;
        m.name.assign(archive.substr(at + kCentralFileHeaderSize, nameLength));
        members_.push_back(std::move(m));
        at += recordSize;
    }
    if (Overlapping())
        return false;
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
    const Member* m = Find(name);
    if (!m || (m->flags & kFlagEncrypted) || m->uncompressedSize > limit ||
        m->uncompressedSize > inflateBudget_)
        return false;
    inflateBudget_ -= m->uncompressedSize;
    size_t at = m->localHeaderOffset;
    if (archive_.size() < kLocalFileHeaderSize || at > archive_.size() - kLocalFileHeaderSize ||
        U32(archive_, at) != kLocalFileHeaderSig)
        return false;
    size_t start = at + kLocalFileHeaderSize + U16(archive_, at + 26) + U16(archive_, at + 28);
    if (start > archive_.size() || m->compressedSize > archive_.size() - start)
        return false;
    std::string_view stored = archive_.substr(start, m->compressedSize);
    if (m->method == kMethodStored)
        data.assign(stored);
    else if (m->method != kMethodDeflated || !Inflate(stored, m->uncompressedSize, data))
        return false;
    if (data.size() != m->uncompressedSize)
        return false;
    return crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())) == m->crc;
}
