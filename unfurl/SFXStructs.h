// Record layouts of the self-extractor: the main header record and the
// 46-byte central-directory record kept for every listed entry.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "SFXDefs.h"

inline uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The 18 fixed bytes of the main record, kept as read.
struct SfxHeader {
    std::array<uint8_t, kHeaderFixedSize> bytes{};

    uint16_t RecordLength() const { return ReadU16(&bytes[4]); }
    uint16_t HeaderFlags() const { return ReadU16(&bytes[6]); }
    void SetHeaderFlags(uint16_t flags) {
        bytes[6] = static_cast<uint8_t>(flags);
        bytes[7] = static_cast<uint8_t>(flags >> 8);
    }
    uint8_t OverwriteMode() const { return bytes[8]; }
    void SetOverwriteMode(uint8_t mode) { bytes[8] = mode; }
    // Length of string 1 to 5.
    uint8_t StringLength(int number) const { return bytes[8 + number]; }
    uint32_t MessageStyle() const { return ReadU32(&bytes[14]); }
};

// The certificate table a signature appends to a PE file, as the security
// entry of the optional header names it: a file offset and a byte count.
struct CertificateTable {
    uint32_t start = 0;
    uint32_t size = 0;
    // Where the security entry itself lies in the file; 0 without one.
    uint32_t entryOffset = 0;

    bool Present() const { return size != 0; }
};

// The fixed part of a central-directory record, byte for byte.
struct EntryRecord {
    std::array<uint8_t, kCentralRecordSize> bytes{};

    uint32_t Signature() const { return ReadU32(&bytes[0]); }
    uint8_t VersionMadeBy() const { return bytes[4]; }
    uint8_t HostSystem() const { return bytes[5]; }
    uint16_t Flags() const { return ReadU16(&bytes[8]); }
    uint16_t Method() const { return ReadU16(&bytes[10]); }
    uint16_t DosTime() const { return ReadU16(&bytes[12]); }
    uint16_t DosDate() const { return ReadU16(&bytes[14]); }
    uint32_t Crc() const { return ReadU32(&bytes[16]); }
    uint32_t CompressedSize() const { return ReadU32(&bytes[20]); }
    uint32_t UncompressedSize() const { return ReadU32(&bytes[24]); }
    uint16_t NameLength() const { return ReadU16(&bytes[28]); }
    uint16_t ExtraLength() const { return ReadU16(&bytes[30]); }
    uint16_t CommentLength() const { return ReadU16(&bytes[32]); }
    uint16_t DiskNumberStart() const { return ReadU16(&bytes[34]); }
    void SetDiskNumberStart(uint16_t disk) {
        bytes[34] = static_cast<uint8_t>(disk);
        bytes[35] = static_cast<uint8_t>(disk >> 8);
    }
    uint32_t LocalHeaderOffset() const { return ReadU32(&bytes[42]); }
    bool IsEncrypted() const { return (Flags() & kEntryEncrypted) != 0; }
};
