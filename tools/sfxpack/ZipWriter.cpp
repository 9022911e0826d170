// Writing ZIP records: local headers with the data, then the central
// directory and the end record. Signatures are composed at run time so that
// the stub's sources and this tool never hold them literally.
#include "ZipWriter.h"

#include <algorithm>
#include <random>

#include "SFXCrc.h"
#include "SFXCrypt.h"
#include "SFXPaths.h"

#ifdef SFXPACK_HAVE_ZLIB
#include <zlib.h>
#endif

namespace {

constexpr uint16_t kVersion = 20;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr uint32_t kAttributeFolder = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;

void PutU16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void PutU32(std::string& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

uint32_t Signature(int a, int b) {
    return 0x4B50u | (static_cast<uint32_t>(a) << 16) | (static_cast<uint32_t>(b) << 24);
}

uint32_t Crc(const std::string& data) {
    uint32_t crc = 0xFFFFFFFF;
    UpdateCrc(reinterpret_cast<const uint8_t*>(data.data()), data.size(), crc);
    return ~crc;
}

bool Compress(const std::string& data, int level, std::string& out) {
#ifdef SFXPACK_HAVE_ZLIB
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    out.assign(deflateBound(&z, data.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    bool ok = deflate(&z, Z_FINISH) == Z_STREAM_END;
    out.resize(z.total_out);
    deflateEnd(&z);
    return ok;
#else
    (void)data;
    (void)level;
    (void)out;
    return false;
#endif
}

// The 12-byte encryption header ends with the CRC's high byte, the check
// byte the stub compares; the rest is random.
std::string Encrypt(const std::string& data, const std::string& password, uint32_t crc) {
    static std::random_device device;
    std::string plain(11, '\0');
    for (char& c : plain)
        c = static_cast<char>(device());
    plain += static_cast<char>(crc >> 24);
    plain += data;
    InitKeys(password);
    for (char& c : plain) {
        uint8_t p = static_cast<uint8_t>(c);
        c = static_cast<char>(p ^ DecryptByte());
        UpdateKeys(p);
    }
    return plain;
}

// A name of bytes that are not UTF-8 (a Linux file name in Latin-1) goes
// without the flag, to be read in the ANSI code page.
bool NeedsUtf8Flag(const std::string& name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            return IsValidUtf8(name);
    return false;
}

// One entry's local header with its data, and its central record with the
// disk number and the offset still to be filled in.
struct EncodedEntry {
    std::string local;
    std::string central;
};

constexpr size_t kCentralDiskField = 34;
constexpr size_t kCentralOffsetField = 42;

void Patch(std::string& record, size_t at, uint32_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
        record[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

EncodedEntry Encode(const ZipSource& s, const ZipWriteOptions& options) {
    bool folder = !s.name.empty() && s.name.back() == '/';
    uint32_t crc = Crc(s.data);
    uint16_t method = 0;
    std::string stored = s.data;
    std::string packed;
    if (!folder && options.level > 0 && !s.data.empty() &&
        Compress(s.data, options.level, packed) && packed.size() < s.data.size()) {
        method = 8;
        stored = packed;
    }
    uint16_t flags = NeedsUtf8Flag(s.name) ? kFlagUtf8 : 0;
    if (!folder && !options.password.empty()) {
        stored = Encrypt(stored, options.password, crc);
        flags |= kFlagEncrypted;
    }

    EncodedEntry e;
    std::string& out = e.local;
    PutU32(out, Signature(3, 4));
    PutU16(out, kVersion);
    PutU16(out, flags);
    PutU16(out, method);
    PutU16(out, s.dosTime);
    PutU16(out, s.dosDate);
    PutU32(out, crc);
    PutU32(out, static_cast<uint32_t>(stored.size()));
    PutU32(out, static_cast<uint32_t>(s.data.size()));
    PutU16(out, static_cast<uint32_t>(s.name.size()));
    PutU16(out, 0);
    out += s.name;
    out += stored;

    std::string& directory = e.central;
    PutU32(directory, Signature(1, 2));
    PutU16(directory, kVersion);   // made by MS-DOS, version 2.0
    PutU16(directory, kVersion);
    PutU16(directory, flags);
    PutU16(directory, method);
    PutU16(directory, s.dosTime);
    PutU16(directory, s.dosDate);
    PutU32(directory, crc);
    PutU32(directory, static_cast<uint32_t>(stored.size()));
    PutU32(directory, static_cast<uint32_t>(s.data.size()));
    PutU16(directory, static_cast<uint32_t>(s.name.size()));
    PutU16(directory, 0);
    PutU16(directory, 0);
    PutU16(directory, 0);   // disk number start, filled in later
    PutU16(directory, 0);
    PutU32(directory, folder ? kAttributeFolder : kAttributeArchive);
    PutU32(directory, 0);   // local header offset, filled in later
    directory += s.name;
    return e;
}

void PutEndRecord(std::string& out, uint16_t disk, size_t entries, size_t directorySize,
                  uint32_t directoryOffset) {
    PutU32(out, Signature(5, 6));
    PutU16(out, disk);
    PutU16(out, disk);
    PutU16(out, static_cast<uint32_t>(entries));
    PutU16(out, static_cast<uint32_t>(entries));
    PutU32(out, static_cast<uint32_t>(directorySize));
    PutU32(out, directoryOffset);
    PutU16(out, 0);
}

void PrepareCrc() {
    if (Crc32Table[1] == 0)
        BuildCrcTable();
}

}  // namespace

bool DeflateAvailable() {
#ifdef SFXPACK_HAVE_ZLIB
    return true;
#else
    return false;
#endif
}

std::string WriteZip(const std::vector<ZipSource>& sources, const ZipWriteOptions& options) {
    PrepareCrc();
    std::string out, directory;
    for (const ZipSource& s : sources) {
        EncodedEntry e = Encode(s, options);
        Patch(e.central, kCentralOffsetField, options.baseOffset + static_cast<uint32_t>(out.size()), 4);
        out += e.local;
        directory += e.central;
    }
    uint32_t directoryOffset = options.baseOffset + static_cast<uint32_t>(out.size());
    out += directory;
    PutEndRecord(out, 0, sources.size(), directory.size(), directoryOffset);
    return out;
}

SpannedZip WriteSpannedZip(const std::vector<ZipSource>& sources, const ZipWriteOptions& options,
                           uint32_t volumeSize) {
    PrepareCrc();
    std::string stream;
    SpannedZip zip;
    for (const ZipSource& s : sources) {
        EncodedEntry e = Encode(s, options);
        Patch(e.central, kCentralDiskField, static_cast<uint32_t>(stream.size() / volumeSize), 2);
        Patch(e.central, kCentralOffsetField, static_cast<uint32_t>(stream.size() % volumeSize), 4);
        stream += e.local;
        zip.directory += e.central;
    }
    for (size_t at = 0; at < stream.size() || zip.volumes.empty(); at += volumeSize)
        zip.volumes.push_back(stream.substr(std::min(at, stream.size()), volumeSize));
    size_t directorySize = zip.directory.size();
    PutEndRecord(zip.directory, static_cast<uint16_t>(zip.volumes.size()), sources.size(),
                 directorySize, 0);
    return zip;
}
