// Builds ZIP archives and self-extractor overlays byte by byte for tests,
// so that every field (flags, host system, disk numbers, comments, offsets)
// can be set to what a case needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline void AppendU16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

inline void AppendU32(std::string& out, uint32_t v) {
    AppendU16(out, v & 0xFFFF);
    AppendU16(out, v >> 16);
}

inline void AppendU64(std::string& out, uint64_t v) {
    AppendU32(out, static_cast<uint32_t>(v));
    AppendU32(out, static_cast<uint32_t>(v >> 32));
}

// A ZIP signature "PK" + two bytes, composed at run time.
inline uint32_t ZipSignature(int a, int b) {
    return static_cast<uint32_t>('P') | (static_cast<uint32_t>('P' - 5) << 8) |
           (static_cast<uint32_t>(a) << 16) | (static_cast<uint32_t>(b) << 24);
}

struct ZipEntrySpec {
    std::string name;
    std::string data;             // the bytes as stored (compressed, encrypted)
    uint16_t method = 0;
    uint32_t crc = 0;
    uint32_t uncompressedSize = 0;
    uint16_t flags = 0;
    uint8_t version = 20;
    uint8_t host = 3;             // Unix
    uint16_t diskStart = 0;
    uint16_t dosTime = 0x6000;
    uint16_t dosDate = 0x5A21;
    // When set, the entry has no bytes of its own: its central record names
    // the local header of that earlier entry, with this entry's name.
    int aliasOf = -1;
    // Extra fields of the central record, before any Zip64 field.
    std::string extra;
};

// CRC-32 of ZIP, bit by bit, for fields that carry one.
inline uint32_t ZipCrc(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (char c : bytes) {
        crc ^= static_cast<uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// Info-ZIP's Unicode path field: version, CRC-32 of the name it belongs to
// ('storedName', the name in the header), then the UTF-8 name.
inline std::string UnicodePathField(const std::string& utf8, const std::string& storedName,
                                    uint8_t version = 1) {
    std::string field;
    AppendU16(field, 0x7075);
    AppendU16(field, static_cast<uint32_t>(5 + utf8.size()));
    field += static_cast<char>(version);
    AppendU32(field, ZipCrc(storedName));
    return field + utf8;
}

class ZipBuilder {
public:
    std::vector<ZipEntrySpec> entries;
    std::string comment;
    uint16_t diskNumber = 0;
    // Added to every stored offset, as if the archive had been built for a
    // stub of another size.
    int64_t offsetBias = 0;

    // Zip64 records: every size and offset in the extra field, the counts
    // in the larger end record.
    bool zip64 = false;

    // Entries spread over volumes of this size when not 0: each entry's disk
    // and offset are those of its local header in the volumes.
    uint32_t volumeSize = 0;

    std::string Build() const {
        std::string out, directory;
        Layout(out, directory);
        uint32_t directoryOffset = static_cast<uint32_t>(out.size() + offsetBias);
        out += directory;
        uint32_t count = static_cast<uint32_t>(entries.size());
        uint32_t directorySize = static_cast<uint32_t>(directory.size());
        if (zip64) {
            uint64_t end64 = out.size();
            AppendU32(out, ZipSignature(6, 6));
            AppendU64(out, 44);
            AppendU16(out, 45);
            AppendU16(out, 45);
            AppendU32(out, diskNumber);
            AppendU32(out, diskNumber);
            AppendU64(out, count);
            AppendU64(out, count);
            AppendU64(out, directorySize);
            AppendU64(out, directoryOffset);
            AppendU32(out, ZipSignature(6, 7));
            AppendU32(out, diskNumber);
            AppendU64(out, end64);
            AppendU32(out, 1);
            count = 0xFFFF;
            directorySize = directoryOffset = 0xFFFFFFFF;
        }
        AppendU32(out, ZipSignature(5, 6));
        AppendU16(out, diskNumber);
        AppendU16(out, diskNumber);
        AppendU16(out, count);
        AppendU16(out, count);
        AppendU32(out, directorySize);
        AppendU32(out, directoryOffset);
        AppendU16(out, static_cast<uint32_t>(comment.size()));
        out += comment;
        return out;
    }

    // The volumes of a spanned archive, and the directory with its end
    // record (on the disk after the last volume) that the stub holds.
    std::string BuildSpanned(std::vector<std::string>& volumes) const {
        std::string out, directory;
        Layout(out, directory);
        volumes.clear();
        for (size_t at = 0; at < out.size(); at += volumeSize)
            volumes.push_back(out.substr(at, volumeSize));
        uint16_t disk = static_cast<uint16_t>(volumes.size());
        uint32_t directorySize = static_cast<uint32_t>(directory.size());
        AppendU32(directory, ZipSignature(5, 6));
        AppendU16(directory, disk);
        AppendU16(directory, disk);
        AppendU16(directory, static_cast<uint32_t>(entries.size()));
        AppendU16(directory, static_cast<uint32_t>(entries.size()));
        AppendU32(directory, directorySize);
        AppendU32(directory, 0);
        AppendU16(directory, 0);
        return directory;
    }

private:
    void Layout(std::string& out, std::string& directory) const {
        std::vector<uint32_t> offsets;
        for (const ZipEntrySpec& spec : entries) {
            uint32_t offset = volumeSize ? static_cast<uint32_t>(out.size() % volumeSize)
                                         : static_cast<uint32_t>(out.size() + offsetBias);
            uint16_t disk = volumeSize ? static_cast<uint16_t>(out.size() / volumeSize)
                                       : spec.diskStart;
            ZipEntrySpec e = spec;
            if (spec.aliasOf >= 0) {
                e = entries[spec.aliasOf];
                e.name = spec.name;
                offset = offsets[spec.aliasOf];
            }
            offsets.push_back(offset);
            if (spec.aliasOf < 0) {
                AppendU32(out, ZipSignature(3, 4));
                AppendU16(out, e.version);
                AppendU16(out, e.flags);
                AppendU16(out, e.method);
                AppendU16(out, e.dosTime);
                AppendU16(out, e.dosDate);
                AppendU32(out, e.crc);
                AppendU32(out, static_cast<uint32_t>(e.data.size()));
                AppendU32(out, e.uncompressedSize);
                AppendU16(out, static_cast<uint32_t>(e.name.size()));
                AppendU16(out, 0);
                out += e.name;
                out += e.data;
            }
            AppendU32(directory, ZipSignature(1, 2));
            directory += static_cast<char>(e.version);
            directory += static_cast<char>(e.host);
            AppendU16(directory, e.version);
            AppendU16(directory, e.flags);
            AppendU16(directory, e.method);
            AppendU16(directory, e.dosTime);
            AppendU16(directory, e.dosDate);
            AppendU32(directory, e.crc);
            std::string extra = e.extra;
            if (zip64) {
                AppendU16(extra, 1);
                AppendU16(extra, 24);
                AppendU64(extra, e.uncompressedSize);
                AppendU64(extra, e.data.size());
                AppendU64(extra, offset);
            }
            AppendU32(directory, zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(e.data.size()));
            AppendU32(directory, zip64 ? 0xFFFFFFFF : e.uncompressedSize);
            AppendU16(directory, static_cast<uint32_t>(e.name.size()));
            AppendU16(directory, static_cast<uint32_t>(extra.size()));
            AppendU16(directory, 0);
            AppendU16(directory, disk);
            AppendU16(directory, 0);
            AppendU32(directory, 0);
            AppendU32(directory, zip64 ? 0xFFFFFFFF : offset);
            directory += e.name;
            directory += extra;
        }
    }
};

// The main record, end record and optional volume record of an overlay.
struct OverlaySpec {
    uint16_t flags = 0;
    uint8_t overwriteMode = 2;
    std::string strings[5];       // caption, destination, command, fallback, message
    uint32_t messageStyle = 0;
    unsigned trailingBytes = 2;   // unread bytes after string 5
    std::string volumeBase, volumeExtension;

    std::string Build() const {
        std::string out = "UF";
        out += '\0';
        out += '\x01';
        size_t length = 18 + trailingBytes;
        for (const std::string& s : strings)
            length += s.size();
        AppendU16(out, static_cast<uint32_t>(length));
        AppendU16(out, flags);
        out += static_cast<char>(overwriteMode);
        for (const std::string& s : strings)
            out += static_cast<char>(s.size());
        AppendU32(out, messageStyle);
        for (const std::string& s : strings)
            out += s;
        out.append(trailingBytes, '\0');
        out += "UF\x0A\x01";
        AppendU32(out, static_cast<uint32_t>(length));
        if (flags & 0x0400) {
            out += "UF\x14\x01";
            AppendU32(out, static_cast<uint32_t>(volumeBase.size()));
            AppendU32(out, static_cast<uint32_t>(volumeExtension.size()));
            out += volumeBase + volumeExtension;
            out.append(12, '\0');
        }
        return out;
    }
};
