// The ZIP central directory: finding the end record (before the certificate
// table of a signed archive), correcting offsets for a stub of another size,
// listing the entries and finding an entry's data.
#include "SFXDirectory.h"

#include <algorithm>
#include <vector>

#include "SFXCrc.h"
#include "SFXDefs.h"
#include "SFXHeader.h"
#include "SFXMessages.h"
#include "SFXPaths.h"
#include "SFXStrings.h"
#include "SFXVars.h"
#include "SFXVolumes.h"

namespace {

struct EndOfDirectory {
    uint64_t position = 0;
    uint16_t diskNumber = 0;
    uint16_t totalEntries = 0;
    uint32_t directorySize = 0;
    uint32_t directoryOffset = 0;
};

// Where a PE header may begin at most, and the bytes from there to the end
// of a PE32 optional header.
constexpr uint32_t kPeHeaderLimit = 65536;
constexpr size_t kDosHeaderSize = 64;
constexpr size_t kPeHeaderSize = 4 + 20 + 224;
// Signers start the certificate table on an 8-byte boundary.
constexpr size_t kCertificatePadding = 7;

// Reads up to 'count' bytes at 'position' and returns to where the file was.
size_t ReadAt(uint64_t position, uint8_t* buffer, size_t count) {
    SfxFile& file = *Vars.ArchiveFile;
    uint64_t resume = file.Position();
    file.Seek(position);
    size_t got = file.Read(buffer, count);
    file.Seek(resume);
    return got;
}

CertificateTable StubCertificateTable() {
    uint8_t dos[kDosHeaderSize];
    if (ReadAt(0, dos, sizeof dos) < sizeof dos)
        return {};
    uint32_t pe = ReadU32(dos + 0x3C);
    if (pe > kPeHeaderLimit)
        return {};
    std::vector<uint8_t> header(pe + kPeHeaderSize);
    size_t got = ReadAt(0, header.data(), header.size());
    return FindCertificateTable(header.data(), got);
}

// Format note: signing a PE file appends a certificate table after all else
// and names its file offset in the optional header's security entry. For a
// signed archive the table's start is the end the search works from. A
// table is taken only when it lies after ZipStart and wholly inside the
// file; any other (a stale one inside the stub, one past the end of the
// file) is ignored and the search works from the end of the file.
uint64_t ArchiveEnd(uint64_t fileSize) {
    const CertificateTable& table = Vars.Certificate = StubCertificateTable();
    Vars.CertificateEndsArchive = table.Present() && table.start > Vars.ZipStart &&
                                  table.start <= fileSize && table.size <= fileSize - table.start;
    return Vars.CertificateEndsArchive ? table.start : fileSize;
}

// The record ends exactly at 'end', or, before a certificate table, up to
// 'padding' zero bytes short of it.
bool ReachesEnd(const std::vector<uint8_t>& bytes, uint64_t base, uint64_t recordEnd,
                uint64_t end, size_t padding) {
    if (recordEnd > end || end - recordEnd > padding)
        return false;
    for (uint64_t at = recordEnd; at < end; ++at)
        if (bytes[static_cast<size_t>(at - base)] != 0)
            return false;
    return true;
}

// Format note: the end record sits at most 22 + 65535 bytes before the end
// of the archive, but its comment may itself contain the signature. Only a
// candidate whose comment length reaches exactly to the end of the archive
// is taken, scanning from the front of the window.
EndOfDirectory FindEndOfDirectory() {
    SfxFile& file = *Vars.ArchiveFile;
    uint64_t end = ArchiveEnd(file.Size());
    size_t padding = Vars.CertificateEndsArchive ? kCertificatePadding : 0;
    uint64_t size = end > Vars.ZipStart ? end - Vars.ZipStart : 0;
    size_t window = static_cast<size_t>(std::min<uint64_t>(size, kEndSearchWindow + padding));
    // An archive without entries is the 22-byte end record alone.
    if (window < kEndOfDirectorySize)
        ReportFatal(kMsgCorrupt);

    uint64_t base = end - window;
    std::vector<uint8_t> bytes(window);
    if (ReadAt(base, bytes.data(), window) < window)
        ReportFatal(kMsgCorrupt);

    for (size_t i = 0; i + kEndOfDirectorySize <= window; ++i) {
        const uint8_t* p = &bytes[i];
        if (ReadU32(p) != Vars.signatures.endOfDirectory)
            continue;
        if (!ReachesEnd(bytes, base, base + i + kEndOfDirectorySize + ReadU16(p + 20), end,
                        padding))
            continue;
        EndOfDirectory record;
        record.position = base + i;
        record.diskNumber = ReadU16(p + 4);
        record.totalEntries = ReadU16(p + 10);
        record.directorySize = ReadU32(p + 12);
        record.directoryOffset = ReadU32(p + 16);
        return record;
    }
    ReportFatal(kMsgCorrupt);
}

bool ConvertsFromOem(const EntryRecord& entry) {
    uint8_t host = entry.HostSystem();
    return host == kHostMsDos || host == kHostOs2 ||
           (host == kHostNtfs && entry.VersionMadeBy() == kNtfsOemVersion);
}

// Format note: Info-ZIP's Unicode path field (0x7075) holds a version byte
// (1), the CRC-32 of the name stored in the header and the name in UTF-8.
// A tool that renames an entry without knowing the field leaves the old
// one behind; its CRC no longer fits the stored name and it is ignored.
bool UnicodePathField(const std::string& extra, const std::string& raw, std::string& name) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(extra.data());
    for (size_t at = 0; extra.size() - at >= 4;) {
        size_t size = ReadU16(bytes + at + 2);
        if (size > extra.size() - at - 4)
            return false;
        if (ReadU16(bytes + at) == kUnicodePathField && size > kUnicodePathHeader &&
            size - kUnicodePathHeader <= kMaxNameSize && bytes[at + 4] == kUnicodePathVersion) {
            uint32_t crc = 0xFFFFFFFF;
            UpdateCrc(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(), crc);
            if (~crc != ReadU32(bytes + at + 5))
                return false;
            name = extra.substr(at + 4 + kUnicodePathHeader, size - kUnicodePathHeader);
            return true;
        }
        at += 4 + size;
    }
    return false;
}

// Entries on another disk than the end record's need the volume logic.
void CheckEntryDisk(const EntryRecord& entry, const EndOfDirectory& end) {
    if (entry.DiskNumberStart() == end.diskNumber || entry.DiskNumberStart() == 0 ||
        Vars.VolumeMode != VolumeModeKind::VOLUMES_NONE)
        return;
    DetermineVolumeMode();
}

}  // namespace

// Separators are replaced once the name is UTF-8: a trail byte of a
// double-byte code page may be the byte of "\\" or "/".
std::string ConvertEntryName(const EntryRecord& entry, const std::string& raw,
                             const std::string& extra) {
    std::string name = raw;
    if (!(entry.Flags() & kEntryUtf8Name) && !UnicodePathField(extra, raw, name) &&
        !(entry.HostSystem() == kHostUnix && IsValidUtf8(raw)))
        name = Vars.system->ToUtf8(raw, ConvertsFromOem(entry) ? CodePage::Oem : CodePage::Ansi);
    name = MarkInvalidUtf8(name);
    for (char& c : name)
        if (c == '/')
            c = '\\';
    return name;
}

void ReadDirectory() {
    EndOfDirectory end = FindEndOfDirectory();
    uint64_t directoryEnd = static_cast<uint64_t>(end.directoryOffset) + end.directorySize;
    Vars.OffsetDelta = static_cast<int32_t>(static_cast<uint32_t>(end.position - directoryEnd));
    Vars.VolumeMode = VolumeModeKind::VOLUMES_NONE;
    if (end.directorySize > end.position)
        ReportFatal(kMsgCorrupt);
    Vars.ArchiveFile->Seek(end.position - end.directorySize);

    bool selected = (Vars.Header.HeaderFlags() & FLAG_USER_SELECTS) != 0;
    for (unsigned i = 0; i < end.totalEntries; ++i) {
        EntryRecord entry;
        ReadExact(entry.bytes.data(), kCentralRecordSize);
        if (entry.Signature() != Vars.signatures.centralRecord || entry.NameLength() == 0 ||
            entry.NameLength() > kMaxNameSize)
            ReportFatal(kMsgCorrupt);
        std::string raw(entry.NameLength(), '\0');
        ReadExact(raw.data(), raw.size());
        // An extra field cut short by the end of the file is read as far
        // as it goes.
        std::string extra(entry.ExtraLength(), '\0');
        extra.resize(Vars.ArchiveFile->Read(extra.data(), extra.size()));
        std::string name = ConvertEntryName(entry, raw, extra);
        if (!name.empty() && name.back() != '\\') {
            CheckEntryDisk(entry, end);
            Vars.EntryTable.push_back(entry);
            Vars.EntryNames.push_back(name);
            Vars.host->AddListItem(name, Vars.EntryTable.size() - 1, entry.UncompressedSize(),
                                   selected);
        }
        SkipBytes(entry.CommentLength());
    }
}

void LocateEntryData(const EntryRecord& /*entry*/, uint64_t position) {
    uint8_t local[kLocalHeaderSize];
    Vars.ArchiveFile->Seek(position);
    ReadExact(local, sizeof local);
    if (ReadU32(local) != Vars.signatures.localHeader)
        ReportFatal(FillPlaceholder(kMsgReadError, Vars.ArchivePath));
    SkipBytes(static_cast<uint64_t>(ReadU16(local + 26)) + ReadU16(local + 28));
}
