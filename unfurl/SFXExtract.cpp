// Extraction to disk: the run over the dialog's list, and one entry into a
// new file with its folders, overwrite policy, password, time and CRC check.
#include "SFXExtract.h"

#include <cstring>

#include "SFXCrypt.h"
#include "SFXDefs.h"
#include "SFXDirectory.h"
#include "SFXInflate.h"
#include "SFXMessages.h"
#include "SFXPaths.h"
#include "SFXStrings.h"
#include "SFXVars.h"
#include "SFXVolumes.h"

namespace {

// A component made only of dots and spaces, with two dots or more, names
// the parent folder once Windows drops its trailing dots and spaces.
bool ClimbsUp(const std::string& part) {
    size_t dots = 0;
    for (char c : part) {
        if (c == '.')
            ++dots;
        else if (c != ' ')
            return false;
    }
    return dots >= 2;
}

// Names Windows opens as devices, whatever the extension: CON, PRN, AUX,
// NUL, and COM or LPT with one digit (superscript digits included). Spaces
// before the extension are dropped before the compare, as Windows does.
bool IsDeviceName(const std::string& part) {
    std::string stem = part.substr(0, part.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    if (stem.size() == 3) {
        for (const char* device : {"CON", "PRN", "AUX", "NUL"})
            if (EqualsIgnoringCase(stem, device))
                return true;
        return false;
    }
    if (stem.size() < 4)
        return false;
    std::string prefix = stem.substr(0, 3), digit = stem.substr(3);
    if (!EqualsIgnoringCase(prefix, "COM") && !EqualsIgnoringCase(prefix, "LPT"))
        return false;
    // '1'..'9', and the superscripts one, two and three.
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" ||
           digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

// A component Windows cannot hold as it is: a device name, a forbidden
// character, or a trailing dot or space (dropped silently, so the file
// would get another name). A lone "." stays allowed, and the empty part
// after a folder entry's final separator is not a name.
bool IsWindowsUnfitName(const std::string& part) {
    if (part.empty() || part == ".")
        return false;
    if (part.back() == '.' || part.back() == ' ')
        return true;
    for (char c : part) {
        unsigned char code = static_cast<unsigned char>(c);
        if ((code >= 1 && code <= 31) || (code != 0 && std::strchr("<>:\"|?*", c) != nullptr))
            return true;
    }
    return IsDeviceName(part);
}

int DaysInMonth(int month, int year) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Asks for the password until it fits, at most three times; false when it
// was refused or the question was not confirmed.
bool PasswordAccepted(const uint8_t* header, const EntryRecord& entry) {
    auto fits = [&] {
        return CheckPassword(header, entry.Flags(), entry.DosTime(), entry.Crc(),
                             Vars.CurrentPassword);
    };
    bool good = fits();
    for (int asked = 0; !good && asked < kPasswordAttempts; ++asked) {
        if (Vars.host->AskPassword(Vars.TargetPath) != kAnswerOk) {
            Vars.CurrentPassword.clear();
            return false;
        }
        if (Vars.CurrentPassword.size() > kMaxPasswordSize)
            Vars.CurrentPassword.resize(kMaxPasswordSize);
        good = fits();
        if (!good)
            Vars.host->Beep();
    }
    return good;
}

// Stages the entry of a spanned archive and unstages it on every way out.
class StagedEntry {
public:
    StagedEntry() = default;
    StagedEntry(const StagedEntry&) = delete;
    StagedEntry& operator=(const StagedEntry&) = delete;
    ~StagedEntry() {
        if (staged_)
            UnstageEntry(previous_);
    }
    void Stage(uint64_t& position) {
        StageEntry(position, previous_);
        staged_ = true;
    }

private:
    bool staged_ = false;
    std::unique_ptr<SfxFile> previous_;
};

// The file position of the entry's local header in the open volume.
uint64_t LocalHeaderPosition(const EntryRecord& entry) {
    int64_t position = static_cast<int64_t>(entry.LocalHeaderOffset()) + Vars.OffsetDelta;
    if (position < 0)
        ReportFatal(kMsgCorrupt);
    return static_cast<uint64_t>(position);
}

// The least the bytes of an entry take in the archive: its local header
// without name and extra field, and its compressed data.
struct EntrySpan {
    uint16_t disk;
    uint64_t start, end;
};

EntrySpan LeastSpan(const EntryRecord& entry) {
    uint64_t start = entry.LocalHeaderOffset();
    return {entry.DiskNumberStart(), start, start + kLocalHeaderSize + entry.CompressedSize()};
}

// Format note: a central record names its entry's bytes by offset and size
// only, so several records can name the same bytes, or bytes inside
// another entry's data, and one small archive can make an unbounded
// amount of output (the "overlapped components" zip bomb). Entries of a
// sound archive never share a byte; an entry whose span meets the span of
// an entry listed before it is refused. The spans are taken as short as
// they can be, so that no sound archive is refused.
bool OverlapsEarlierEntry(size_t index) {
    EntrySpan span = LeastSpan(Vars.EntryTable[index]);
    for (size_t i = 0; i < index; ++i) {
        EntrySpan earlier = LeastSpan(Vars.EntryTable[i]);
        if (earlier.disk == span.disk && earlier.start < span.end && span.start < earlier.end)
            return true;
    }
    return false;
}

// Decodes the prepared entry into a new file; false when it was not written
// whole with the right CRC.
bool WriteEntryFile(const std::string& targetPath, const EntryRecord& entry, int64_t remaining,
                    bool encrypted) {
    std::unique_ptr<SfxFile> output = Vars.system->CreateWrite(targetPath);
    if (!output) {
        ReportError(FillPlaceholder(kMsgWriteError, targetPath));
        return false;
    }
    Decoder = DecoderState();
    Decoder.input = Vars.ArchiveFile.get();
    Decoder.output = output.get();
    Decoder.remaining = remaining;
    Decoder.encrypted = encrypted;
    Decoder.room = entry.UncompressedSize();
    InflateResult decoded = entry.Method() == kMethodStored ? CopyStoredEntry() : InflateEntry();
    // A full disk, or an archive that ends inside a stored entry, ends the
    // program; damaged deflate data is judged by size and CRC like the rest.
    if (decoded == InflateResult::WriteFailed)
        ReportFatal(FillPlaceholder(kMsgWriteError, targetPath));
    if (decoded == InflateResult::StoredDataCut)
        ReportFatal(kMsgCorrupt);
    SetFileDosTime(*output, entry.DosDate(), entry.DosTime());

    // More or fewer bytes than the record declares is damage as much as a
    // wrong CRC, and reported alike.
    bool whole = decoded != InflateResult::OutputOverflow &&
                 Decoder.written == entry.UncompressedSize();
    bool result = whole && entry.Crc() == ~Decoder.crc;
    if (!result)
        ReportError(FillPlaceholder(kMsgCrcError, targetPath));
    if (!output->Close()) {
        ReportError(FillPlaceholder(kMsgCannotClose, targetPath));
        result = false;
    }
    return result;
}

}  // namespace

void PumpOneMessage() { Vars.host->PumpOneMessage(); }

bool IsSafeEntryName(const std::string& name) {
    if (name.empty() || name[0] == '\\' || name[0] == '/' ||
        name.find(':') != std::string::npos || !IsValidUtf8(name))
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = name.size();
        std::string part = name.substr(start, end - start);
        if (ClimbsUp(part) || IsWindowsUnfitName(part))
            return false;
        start = end + 1;
    }
    return true;
}

bool IsValidDosDateTime(uint16_t dosDate, uint16_t dosTime) {
    int day = dosDate & 0x1F;
    int month = (dosDate >> 5) & 0x0F;
    int year = 1980 + (dosDate >> 9);
    int hour = dosTime >> 11;
    int minute = (dosTime >> 5) & 0x3F;
    int halfSeconds = dosTime & 0x1F;
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(month, year) &&
           hour < 24 && minute < 60 && halfSeconds < 30;
}

void SetFileDosTime(SfxFile& file, uint16_t dosDate, uint16_t dosTime) {
    if (IsValidDosDateTime(dosDate, dosTime))
        file.SetDosTime(dosDate, dosTime);
}

bool ForceFolders(const std::string& path) {
    std::string folder = ExcludeTrailingBackslashes(path);
    if (folder.empty() || FolderExists(folder))
        return true;
    std::string parent = DirectoryPart(folder);
    if (parent == folder)
        return true;
    return ForceFolders(parent) &&
           Vars.system->CreateFolder(folder) == SfxSystem::FolderCreation::Created;
}

bool ExtractEntry(const std::string& targetPath, const EntryRecord& entry, bool& stop) {
    stop = false;
    Vars.CurrentEntry = entry;
    Vars.TargetPath = targetPath;
    if (entry.Signature() != Vars.signatures.centralRecord)
        ReportFatal(FillPlaceholder(kMsgReadError, Vars.ArchivePath));
    if (entry.Method() != kMethodStored && entry.Method() != kMethodDeflated) {
        ReportError(kMsgUnknownMethod);
        return false;
    }

    StagedEntry staged;
    uint64_t position;
    if (VolumesInUse()) {
        EnsureVolume(entry.DiskNumberStart());
        position = LocalHeaderPosition(entry);
        staged.Stage(position);
    } else {
        position = LocalHeaderPosition(entry);
    }
    LocateEntryData(entry, position);
    int64_t remaining = entry.CompressedSize();

    if (entry.IsEncrypted()) {
        // Every check starts again from the header as read.
        uint8_t header[kEncryptionHeaderSize];
        remaining -= static_cast<int64_t>(kEncryptionHeaderSize);
        ReadExact(header, sizeof header);
        if (!PasswordAccepted(header, entry)) {
            stop = true;
            return false;
        }
    }

    PumpOneMessage();
    if (Vars.CancelRequested)
        return false;
    return WriteEntryFile(targetPath, entry, remaining, entry.IsEncrypted());
}

bool ExtractRun() {
    SfxHost& host = *Vars.host;
    size_t count = host.ListItemCount();
    host.SetProgressRange(static_cast<uint32_t>(count));
    host.SetProgressPosition(0);
    for (size_t i = 0; i < count; ++i) {
        PumpOneMessage();
        if (Vars.CancelRequested)
            break;
        host.SetProgressPosition(static_cast<uint32_t>(i + 1));
        if (!host.IsItemSelected(i))
            continue;
        size_t index = host.ItemEntryIndex(i);
        if (index >= Vars.EntryTable.size())
            continue;
        const EntryRecord entry = Vars.EntryTable[index];
        std::string name = host.ItemText(i);
        if (!IsSafeEntryName(name)) {
            ReportError(FillPlaceholder(kMsgFolderError, name));
            continue;
        }

        std::string target = IncludeTrailingBackslash(Vars.Destination) + name;
        if (OverlapsEarlierEntry(index)) {
            ReportError(FillPlaceholder(kMsgCrcError, target));
            continue;
        }
        std::string folder = DirectoryPart(target);
        if (!ForceFolders(folder)) {
            ReportError(FillPlaceholder(kMsgFolderError, folder));
            break;
        }
        uint8_t mode = Vars.Header.OverwriteMode();
        if (mode != OVERWRITE_ALWAYS && PathExists(target)) {
            if (mode == OVERWRITE_NEVER || host.AskOverwrite(target) == kAnswerKeepFile)
                continue;
        }
        if (VolumesInUse())
            EnsureVolume(entry.DiskNumberStart());

        bool stop = false;
        bool extracted = ExtractEntry(target, entry, stop);
        if (stop)
            break;
        if (extracted)
            host.SetItemSelected(i, false);
    }

    for (size_t i = 0; i < count; ++i)
        if (host.IsItemSelected(i)) {
            host.ScrollItemIntoView(i);
            return false;
        }
    return true;
}
