// Compound file writer for tests. Layout: header, FAT sectors, DIFAT
// sectors, directory, mini FAT, mini stream, then the large streams.
#include "CompoundFileWriter.h"
#include "LittleEndian.h"

namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kMiniCutoff = 4096;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kHeaderDifatEntries = 109;


uint32_t SectorsFor(size_t bytes, uint32_t size) {
    return static_cast<uint32_t>((bytes + size - 1) / size);
}

// Appends a chain of `count` sectors starting at `first` to the FAT.
void Chain(std::vector<uint32_t>& fat, uint32_t first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        fat[first + i] = i + 1 < count ? first + i + 1 : kEndOfChain;
}

std::string DirectoryEntry(const std::string& name, uint8_t type, uint32_t child, uint32_t right,
                           uint32_t start, uint64_t size) {
    std::string e(128, '\0');
    for (size_t i = 0; i < name.size() && i < 31; ++i)
        Put16(e, 2 * i, static_cast<unsigned char>(name[i]));
    Put16(e, 0x40, static_cast<uint32_t>(2 * (name.size() + 1)));
    e[0x42] = static_cast<char>(type);
    e[0x43] = 1;  // black
    Put32(e, 0x44, kNoStream);
    Put32(e, 0x48, right);
    Put32(e, 0x4C, child);
    Put32(e, 0x74, start);
    Put32(e, 0x78, static_cast<uint32_t>(size));
    Put32(e, 0x7C, static_cast<uint32_t>(size >> 32));
    return e;
}

}  // namespace

std::string WriteCompoundFile(const std::vector<StreamToWrite>& streams,
                              const CompoundFileOptions& options, CompoundFileLayout* layout) {
    const uint32_t ss = options.sectorSize;
    const uint32_t perSector = ss / 4;
    std::string mini, miniFatBytes;
    std::vector<uint32_t> miniFat;
    std::vector<bool> inMini(streams.size());
    std::vector<uint32_t> starts(streams.size(), kEndOfChain);
    for (size_t i = 0; i < streams.size(); ++i) {
        const std::string& b = streams[i].bytes;
        if (!options.useMiniStream || b.size() >= kMiniCutoff || b.empty())
            continue;
        inMini[i] = true;
        uint32_t first = static_cast<uint32_t>(miniFat.size());
        uint32_t count = SectorsFor(b.size(), kMiniSectorSize);
        miniFat.resize(first + count);
        Chain(miniFat, first, count);
        starts[i] = first;
        mini += b;
        mini.resize(static_cast<size_t>(first + count) * kMiniSectorSize, '\0');
    }
    for (uint32_t v : miniFat) {
        miniFatBytes.resize(miniFatBytes.size() + 4);
        Put32(miniFatBytes, miniFatBytes.size() - 4, v);
    }
    uint32_t directorySectors = SectorsFor(128 * (streams.size() + 1), ss);
    uint32_t miniFatSectors = SectorsFor(miniFatBytes.size(), ss);
    uint32_t miniSectors = SectorsFor(mini.size(), ss);
    uint32_t dataSectors = 0;
    for (size_t i = 0; i < streams.size(); ++i)
        if (!inMini[i])
            dataSectors += SectorsFor(streams[i].bytes.size(), ss);
    uint32_t rest = directorySectors + miniFatSectors + miniSectors + dataSectors;
    // FAT and DIFAT sectors must cover themselves too.
    uint32_t fatSectors = 1, difatSectors = 0;
    for (;;) {
        uint32_t fat = fatSectors + options.extraFatSectors;
        difatSectors = fat > kHeaderDifatEntries ? SectorsFor(fat - kHeaderDifatEntries, perSector - 1) : 0;
        if (fat * perSector >= fat + difatSectors + rest)
            break;
        ++fatSectors;
    }
    fatSectors += options.extraFatSectors;
    uint32_t total = fatSectors + difatSectors + rest;
    std::vector<uint32_t> fat(static_cast<size_t>(fatSectors) * perSector, kFreeSector);
    for (uint32_t i = 0; i < fatSectors; ++i)
        fat[i] = kFatSector;
    for (uint32_t i = 0; i < difatSectors; ++i)
        fat[fatSectors + i] = kDifatSector;
    uint32_t next = fatSectors + difatSectors;
    uint32_t directoryStart = next;
    Chain(fat, next, directorySectors);
    next += directorySectors;
    uint32_t miniFatStart = miniFatSectors ? next : kEndOfChain;
    Chain(fat, next, miniFatSectors);
    next += miniFatSectors;
    uint32_t miniStart = miniSectors ? next : kEndOfChain;
    Chain(fat, next, miniSectors);
    next += miniSectors;
    std::string data;
    for (size_t i = 0; i < streams.size(); ++i) {
        if (inMini[i] || streams[i].bytes.empty())
            continue;
        uint32_t count = SectorsFor(streams[i].bytes.size(), ss);
        starts[i] = next;
        Chain(fat, next, count);
        next += count;
        size_t before = data.size();
        data += streams[i].bytes;
        data.resize(before + static_cast<size_t>(count) * ss, '\0');
    }

    std::string file(ss, '\0');  // the header, padded to a whole sector
    file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    Put16(file, 0x18, 0x3E);
    Put16(file, 0x1A, ss == 512 ? 3 : 4);
    Put16(file, 0x1C, 0xFFFE);
    Put16(file, 0x1E, ss == 512 ? 9 : 12);
    Put16(file, 0x20, 6);
    Put32(file, 0x28, ss == 512 ? 0 : directorySectors);
    Put32(file, 0x2C, fatSectors);
    Put32(file, 0x30, directoryStart);
    Put32(file, 0x38, kMiniCutoff);
    Put32(file, 0x3C, miniFatStart);
    Put32(file, 0x40, miniFatSectors);
    Put32(file, 0x44, difatSectors ? fatSectors : kEndOfChain);
    Put32(file, 0x48, difatSectors);
    for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        Put32(file, 0x4C + 4 * i, i < fatSectors ? i : kFreeSector);

    std::string fatBytes(fat.size() * 4, '\0');
    for (size_t i = 0; i < fat.size(); ++i)
        Put32(fatBytes, 4 * i, fat[i]);
    file += fatBytes;
    for (uint32_t d = 0; d < difatSectors; ++d) {
        std::string sector(ss, '\xff');
        for (uint32_t k = 0; k < perSector - 1; ++k) {
            uint32_t index = kHeaderDifatEntries + d * (perSector - 1) + k;
            if (index < fatSectors)
                Put32(sector, 4 * k, index);
        }
        Put32(sector, ss - 4, d + 1 < difatSectors ? fatSectors + d + 1 : kEndOfChain);
        file += sector;
    }
    std::string dir = DirectoryEntry("Root Entry", 5, streams.empty() ? kNoStream : 1, kNoStream,
                                     miniStart, mini.size());
    for (size_t i = 0; i < streams.size(); ++i)
        dir += DirectoryEntry(streams[i].name, 2, kNoStream,
                              i + 1 < streams.size() ? static_cast<uint32_t>(i + 2) : kNoStream,
                              starts[i], streams[i].bytes.size());
    dir.resize(static_cast<size_t>(directorySectors) * ss, '\0');
    file += dir;
    miniFatBytes.resize(static_cast<size_t>(miniFatSectors) * ss, '\xff');
    file += miniFatBytes;
    mini.resize(static_cast<size_t>(miniSectors) * ss, '\0');
    file += mini;
    file += data;
    file.resize(static_cast<size_t>(total + 1) * ss, '\0');
    if (layout) {
        layout->firstFatSector = 0;
        layout->fatSectorCount = fatSectors;
        layout->firstDirectorySector = directoryStart;
        layout->directorySectorCount = directorySectors;
    }
    return file;
}

void SetFatEntry(std::string& file, const CompoundFileLayout& layout, uint32_t sectorSize,
                 uint32_t sector, uint32_t next) {
    size_t at = static_cast<size_t>(layout.firstFatSector + 1) * sectorSize + 4 * sector;
    Put32(file, at, next);
}
