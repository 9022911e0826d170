// Writes compound files for tests: streams in the root storage, 512 or
// 4096-byte sectors, small streams in the mini stream or not.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct StreamToWrite {
    std::string name;   // ASCII
    std::string bytes;
};

struct CompoundFileOptions {
    uint32_t sectorSize = 512;
    bool useMiniStream = true;   // streams under 4096 bytes go there; without
                                 // it they are written where readers won't look
    uint32_t extraFatSectors = 0; // empty FAT sectors, to need DIFAT sectors
};

// Where the writer put its tables, for tests that damage them.
struct CompoundFileLayout {
    uint32_t firstFatSector = 0;
    uint32_t fatSectorCount = 0;
    uint32_t firstDirectorySector = 0;
    uint32_t directorySectorCount = 0;
};

std::string WriteCompoundFile(const std::vector<StreamToWrite>& streams,
                              const CompoundFileOptions& options = {},
                              CompoundFileLayout* layout = nullptr);

// Sets FAT entry `sector` of a file written above to `next`.
void SetFatEntry(std::string& file, const CompoundFileLayout& layout, uint32_t sectorSize,
                 uint32_t sector, uint32_t next);
