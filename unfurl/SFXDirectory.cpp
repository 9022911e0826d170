// The ZIP central directory: finding the end record, correcting offsets for
// a stub of another size, listing the entries and finding an entry's data.
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

// Format note: the end record sits at most 22 + 65535 bytes before the end
// of the file, but its comment may itself contain the signature. Only a
// candidate whose comment length reaches exactly to the end of the file is
// taken, scanning from the front of the window.
EndOfDirectory FindEndOfDirectory() {
    SfxFile& file = *Vars.ArchiveFile;
    uint64_t fileSize = file.Size();
    uint64_t size = fileSize > Vars.ZipStart ? fileSize - Vars.ZipStart : 0;
    size_t window = static_cast<size_t>(std::min<uint64_t>(size, kEndSearchWindow));
    // An archive without entries is the 22-byte end record alone.
    if (window < kEndOfDirectorySize)
        ReportFatal(kMsgCorrupt);

    uint64_t resume = file.Position();
    uint64_t base = fileSize - window;
    std::vector<uint8_t> bytes(window);
    file.Seek(base);
    size_t got = file.Read(bytes.data(), window);
    file.Seek(resume);
    if (got < window)
        ReportFatal(kMsgCorrupt);

    for (size_t i = 0; i + kEndOfDirectorySize <= window; ++i) {
        const uint8_t* p = &bytes[i];
        if (ReadU32(p) != Vars.signatures.endOfDirectory)
            continue;
        if (base + i + kEndOfDirectorySize + ReadU16(p + 20) != fileSize)
            continue;
        EndOfDirectory end;
        end.position = base + i;
        end.diskNumber = ReadU16(p + 4);
        end.totalEntries = ReadU16(p + 10);
        end.directorySize = ReadU32(p + 12);
        end.directoryOffset = ReadU32(p + 16);
        return end;
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
