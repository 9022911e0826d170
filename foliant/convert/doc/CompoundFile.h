// Reader of compound files (the container of Word 97-2003 documents): the
// header, FAT, DIFAT, mini stream and the streams of the root storage.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CompoundFile {
public:
    // False when `file` is not a compound file or its tables are damaged.
    // The bytes must outlive the object.
    bool Open(std::string_view file);

    // A stream that the root storage holds directly, by name (ASCII,
    // case-insensitive). False when it is missing or its chain is broken.
    bool ReadStream(std::string_view name, std::string& bytes) const;

private:
    struct Entry {
        uint32_t type = 0;
        uint32_t left = 0, right = 0, child = 0;
        uint32_t start = 0;
        uint64_t size = 0;
        std::u16string name;
    };

    bool ReadHeaderFat();
    bool ReadSector(uint32_t sector, std::string& out) const;
    bool ReadChain(uint32_t start, uint64_t size, std::string& out) const;
    bool ReadMiniChain(uint32_t start, uint64_t size, std::string& out) const;
    bool ReadDirectory();
    bool FindInRoot(std::string_view name, Entry& found) const;

    std::string_view file_;
    uint32_t sectorSize_ = 512;
    uint32_t sectorCount_ = 0;        // whole or partial sectors after the header
    uint32_t miniCutoff_ = 4096;
    uint32_t firstDirectorySector_ = 0;
    uint32_t firstMiniFatSector_ = 0;
    uint32_t miniFatSectorCount_ = 0;
    std::vector<uint32_t> fat_;
    std::vector<uint32_t> miniFat_;
    std::vector<Entry> entries_;
    std::string miniStream_;
};
