// The ZIP central directory: finding the end record (before the certificate
// table of a signed archive), correcting offsets for a stub of another size,
// listing the entries and finding an entry's data.
#include <algorithm>
#include <vector>

#include "SFXDefs.h"
#include "SFXProcs.h"
#include "SFXStrings.h"
#include "SFXVars.h"

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

// Entries on another disk than the end record's need the volume logic.
void CheckEntryDisk(const EntryRecord& entry, const EndOfDirectory& end) {
    if (entry.DiskNumberStart() == end.diskNumber || entry.DiskNumberStart() == 0 ||
        Vars.VolumeMode != VolumeModeKind::VOLUMES_NONE)
        return;
    DetermineVolumeMode();
}

}  // namespace

std::string ConvertEntryName(const EntryRecord& entry, const std::string& raw) {
    std::string name = raw;
    for (char& c : name)
        if (c == '/')
            c = '\\';
    if (entry.Flags() & kEntryUtf8Name)
        return Vars.system->Utf8ToAnsi(name);
    if (ConvertsFromOem(entry))
        return Vars.system->OemToAnsi(name);
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
        std::string name = ConvertEntryName(entry, raw);
        if (!name.empty() && name.back() != '\\') {
            CheckEntryDisk(entry, end);
            Vars.EntryTable.push_back(entry);
            Vars.EntryNames.push_back(name);
            Vars.host->AddListItem(name, Vars.EntryTable.size() - 1, entry.UncompressedSize(),
                                   selected);
        }
        SkipBytes(static_cast<uint64_t>(entry.ExtraLength()) + entry.CommentLength());
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
