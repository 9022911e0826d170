// Compound file reader.
//
// Format notes: the file is a header followed by sectors of 512 or 4096
// bytes; sector N starts at (N + 1) * sector size. The FAT links each sector
// to the next of its chain. The header lists the first 109 FAT sectors; the
// rest are listed in DIFAT sectors, chained through their last entry.
// Streams shorter than the cut-off (4096 bytes) live in the mini stream, in
// 64-byte mini sectors linked by the mini FAT; the mini stream itself is the
// chain of the root entry. A damaged file may link a chain into a loop, so
// every walk is bounded by the number of sectors that exist.
#include "convert/doc/CompoundFile.h"

#include "convert/doc/ByteReader.h"

namespace {

constexpr std::string_view kSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
constexpr size_t kHeaderSize = 512;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr size_t kHeaderDifatAt = 0x4C;
constexpr size_t kEntrySize = 128;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr uint32_t kStreamType = 2;
constexpr uint32_t kRootType = 5;

char16_t Lower(char16_t c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c - 'A' + 'a') : c;
}

bool SameName(const std::u16string& a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

bool CompoundFile::Open(std::string_view file) {
    file_ = file;
    if (file.size() < kHeaderSize || file.substr(0, kSignature.size()) != kSignature)
        return false;
    if (U16At(file, 0x1C) != 0xFFFE)
        return false;
    uint32_t sectorShift = U16At(file, 0x1E);
    if ((sectorShift != 9 && sectorShift != 12) || U16At(file, 0x20) != 6)
        return false;
    sectorSize_ = 1u << sectorShift;
    if (file.size() <= sectorSize_)
        return false;
    sectorCount_ = static_cast<uint32_t>((file.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_);
    firstDirectorySector_ = U32At(file, 0x30);
    miniCutoff_ = U32At(file, 0x38);
    firstMiniFatSector_ = U32At(file, 0x3C);
    miniFatSectorCount_ = U32At(file, 0x40);
    return ReadHeaderFat() && ReadDirectory();
}

bool CompoundFile::ReadSector(uint32_t sector, std::string& out) const {
    if (sector >= sectorCount_)
        return false;
    size_t at = static_cast<size_t>(sector + 1) * sectorSize_;
    out.append(file_.substr(at, sectorSize_));
    return true;
}

// The FAT, gathered from the sectors the header and the DIFAT chain list.
bool CompoundFile::ReadHeaderFat() {
    uint32_t fatSectorCount = U32At(file_, 0x2C);
    if (fatSectorCount > sectorCount_)
        return false;
    std::vector<uint32_t> fatSectors;
    for (uint32_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatSectorCount; ++i)
        fatSectors.push_back(U32At(file_, kHeaderDifatAt + 4 * i));
    uint32_t difat = U32At(file_, 0x44);
    uint32_t perDifatSector = sectorSize_ / 4 - 1;
    for (uint32_t steps = 0; fatSectors.size() < fatSectorCount; ++steps) {
        std::string sector;
        if (steps >= sectorCount_ || !ReadSector(difat, sector) || sector.size() < sectorSize_)
            return false;
        for (uint32_t i = 0; i < perDifatSector && fatSectors.size() < fatSectorCount; ++i)
            fatSectors.push_back(U32At(sector, 4 * i));
        difat = U32At(sector, 4 * perDifatSector);
    }
    std::string fatBytes;
    for (uint32_t s : fatSectors)
        if (!ReadSector(s, fatBytes))
            return false;
    fat_.resize(fatBytes.size() / 4);
    for (size_t i = 0; i < fat_.size(); ++i)
        fat_[i] = U32At(fatBytes, 4 * i);
    return true;
}

// A chain of sectors, up to `size` bytes (all of it when size is unknown).
bool CompoundFile::ReadChain(uint32_t start, uint64_t size, std::string& out) const {
    out.clear();
    uint32_t sector = start;
    for (uint32_t steps = 0; sector != kEndOfChain && out.size() < size; ++steps) {
        if (steps >= sectorCount_ || sector > kMaxRegularSector || sector >= fat_.size())
            return false;  // a loop, or a link out of the file
        if (!ReadSector(sector, out))
            return false;
        sector = fat_[sector];
    }
    if (size != UINT64_MAX) {
        if (out.size() < size)
            return false;
        out.resize(static_cast<size_t>(size));
    }
    return true;
}

bool CompoundFile::ReadMiniChain(uint32_t start, uint64_t size, std::string& out) const {
    out.clear();
    uint32_t sector = start;
    for (uint32_t steps = 0; out.size() < size; ++steps) {
        if (steps >= miniFat_.size() || sector >= miniFat_.size())
            return false;
        size_t at = static_cast<size_t>(sector) * kMiniSectorSize;
        if (at >= miniStream_.size())
            return false;
        out.append(std::string_view(miniStream_).substr(at, kMiniSectorSize));
        sector = miniFat_[sector];
    }
    out.resize(static_cast<size_t>(size));
    return true;
}

bool CompoundFile::ReadDirectory() {
    std::string dir;
    if (!ReadChain(firstDirectorySector_, UINT64_MAX, dir) || dir.size() < kEntrySize)
        return false;
    entries_.resize(dir.size() / kEntrySize);
    for (size_t i = 0; i < entries_.size(); ++i) {
        std::string_view e = std::string_view(dir).substr(i * kEntrySize, kEntrySize);
        Entry& entry = entries_[i];
        uint32_t nameBytes = U16At(e, 0x40);
        for (uint32_t k = 0; k + 2 < nameBytes && k < 64; k += 2)
            entry.name.push_back(static_cast<char16_t>(U16At(e, k)));
        entry.type = static_cast<uint8_t>(e[0x42]);
        entry.left = U32At(e, 0x44);
        entry.right = U32At(e, 0x48);
        entry.child = U32At(e, 0x4C);
        entry.start = U32At(e, 0x74);
        entry.size = U32At(e, 0x78);
        if (sectorSize_ != 512)
            entry.size |= static_cast<uint64_t>(U32At(e, 0x7C)) << 32;
    }
    const Entry& root = entries_[0];
    if (root.type != kRootType)
        return false;
    if (root.size > 0 && root.start != kEndOfChain) {
        if (!ReadChain(root.start, root.size, miniStream_))
            return false;
        std::string miniFatBytes;
        if (miniFatSectorCount_ > 0 && !ReadChain(firstMiniFatSector_, UINT64_MAX, miniFatBytes))
            return false;
        miniFat_.resize(miniFatBytes.size() / 4);
        for (size_t i = 0; i < miniFat_.size(); ++i)
            miniFat_[i] = U32At(miniFatBytes, 4 * i);
    }
    return true;
}

// Walks the tree of the root's children; a visited mark stops loops.
bool CompoundFile::FindInRoot(std::string_view name, Entry& found) const {
    std::vector<bool> visited(entries_.size());
    std::vector<uint32_t> pending{entries_[0].child};
    while (!pending.empty()) {
        uint32_t id = pending.back();
        pending.pop_back();
        if (id == kNoStream || id >= entries_.size() || visited[id])
            continue;
        visited[id] = true;
        const Entry& e = entries_[id];
        if (e.type == kStreamType && SameName(e.name, name)) {
            found = e;
            return true;
        }
        pending.push_back(e.left);
        pending.push_back(e.right);
    }
    return false;
}

bool CompoundFile::ReadStream(std::string_view name, std::string& bytes) const {
    bytes.clear();
    Entry e;
    if (!FindInRoot(name, e))
        return false;
    if (e.size > file_.size())
        return false;
    if (e.size == 0)
        return true;
    if (e.size < miniCutoff_)
        return ReadMiniChain(e.start, e.size, bytes);
    return ReadChain(e.start, e.size, bytes);
}
