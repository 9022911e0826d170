// Builds a ZIP archive in memory from files and folders: deflate through
// zlib (stored when zlib is not available or --store is given), DOS times,
// folders as entries, optional traditional encryption.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ZipSource {
    std::string name;       // as stored, "/" separators, "/" at the end of a folder
    std::string data;
    uint16_t dosTime = 0, dosDate = 0;
};

struct ZipWriteOptions {
    int level = 6;          // 0 stores
    std::string password;   // empty: no encryption
    uint32_t baseOffset = 0;// file offset of the archive's first byte
};

std::string WriteZip(const std::vector<ZipSource>& sources, const ZipWriteOptions& options);

// An archive spread over volumes of a fixed size: the local headers and data
// cut into volumes (entries may run across their ends), and the central
// directory with the end record, which counts as one more disk after them.
struct SpannedZip {
    std::vector<std::string> volumes;
    std::string directory;
};

SpannedZip WriteSpannedZip(const std::vector<ZipSource>& sources, const ZipWriteOptions& options,
                           uint32_t volumeSize);

// True when this build compresses with deflate.
bool DeflateAvailable();
