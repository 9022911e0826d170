// Multi-volume archives: which file holds a disk, bringing that volume into
// ArchiveFile (asking for removable disks), and copying an entry whose data
// runs across volume ends into the staging file.
#include "SFXVolumes.h"

#include <algorithm>

#include "SFXDefs.h"
#include "SFXMessages.h"
#include "SFXPaths.h"
#include "SFXStrings.h"
#include "SFXVars.h"

namespace {

constexpr size_t kSpanBufferSize = 8192;
constexpr size_t kDescriptorSize = 16;
constexpr size_t kNumberDigits = 3;
constexpr unsigned kDriveFixed = 3;
constexpr unsigned kDriveRemote = 4;
constexpr unsigned kDriveRamDisk = 6;

std::string SingleVolumeName() { return Vars.VolumeBase + Vars.VolumeExtension; }

std::string NumberedVolumeName(unsigned diskIndex) {
    const std::string& base = Vars.VolumeBase;
    std::string stem = base.size() > kNumberDigits ? base.substr(0, base.size() - kNumberDigits)
                                                   : std::string();
    return stem + VolumeNumberText(diskIndex) + Vars.VolumeExtension;
}

std::string VolumeFolder() { return IncludeTrailingBackslash(DirectoryPart(SingleVolumeName())); }

// The root of a folder's drive, "C:\" or "\\server\share\", where the drive
// type and the label are read; other forms are used as they are.
std::string DriveRoot(const std::string& folder) {
    if (folder.size() >= 2 && folder[1] == ':')
        return folder.substr(0, 2) + "\\";
    if (folder.compare(0, 2, "\\\\") == 0) {
        size_t server = folder.find('\\', 2);
        size_t share = server == std::string::npos ? server : folder.find('\\', server + 1);
        if (share != std::string::npos)
            return folder.substr(0, share + 1);
    }
    return folder;
}

bool IsFixedVolume() {
    unsigned type = Vars.system->DriveType(DriveRoot(VolumeFolder()));
    return type == kDriveFixed || type == kDriveRemote || type == kDriveRamDisk;
}

void CloseArchive() {
    if (Vars.ArchiveFile && !Vars.ArchiveFile->Close())
        ReportFatal(FillPlaceholder(kMsgCannotClose, Vars.ArchivePath));
    Vars.ArchiveFile.reset();
}

// Offsets inside a volume count from the volume's start.
void OpenArchive() {
    Vars.ArchiveFile = Vars.system->OpenRead(Vars.ArchivePath);
    if (!Vars.ArchiveFile)
        ReportFatal(FillPlaceholder(kMsgCannotOpen, Vars.ArchivePath));
    Vars.OffsetDelta = 0;
}

void AskForVolume(unsigned diskIndex) {
    std::string text = FillPlaceholder(FillPlaceholder(kMsgInsertVolume, VolumeNumberText(diskIndex)),
                                       VolumeFolder());
    int answer = Vars.host->ShowMessage(text, Vars.dialogCaption,
                                        kStyleOkCancel | kStyleTaskModal, true);
    if (answer != kAnswerOk)
        Vars.host->EndProgram(1);
}

// Reads exactly 'count' bytes, going on with the next volume when the open
// one ends. A volume that comes up short before its end is corrupt.
void ReadAcrossVolumes(uint8_t* buffer, size_t count) {
    while (count > 0) {
        SfxFile& volume = *Vars.ArchiveFile;
        size_t got = volume.Read(buffer, count);
        buffer += got;
        count -= got;
        if (count == 0)
            break;
        if (volume.Position() != volume.Size())
            ReportFatal(kMsgCorrupt);
        // An archive whose entries all start on the first volume has no
        // mode yet; without one the same file would be opened again.
        if (Vars.VolumeMode == VolumeModeKind::VOLUMES_NONE)
            DetermineVolumeMode();
        uint16_t next = static_cast<uint16_t>(Vars.CurrentEntry.DiskNumberStart() + 1);
        Vars.CurrentEntry.SetDiskNumberStart(next);
        SwitchVolume(next);
    }
}

void CopyAcrossVolumes(SfxFile& staging, uint64_t count) {
    uint8_t buffer[kSpanBufferSize];
    while (count > 0) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(count, kSpanBufferSize));
        ReadAcrossVolumes(buffer, n);
        if (staging.Write(buffer, n) != n)
            ReportFatal(FillPlaceholder(kMsgWriteError, Vars.StagingName));
        count -= n;
    }
}

void ChooseStagingName() {
    std::string name =
        Vars.system->TempFileName(IncludeTrailingBackslash(ExpandEnv("%temp%")), kStagingPrefix);
    if (name.empty())
        ReportFatal(FillPlaceholder(kMsgCannotOpen, Vars.StagingName));
    Vars.system->RemoveFile(name);
    Vars.StagingName = name;
}

// The staging file is always created new. When its name was taken since it
// was chosen (or since the last entry), another name is chosen.
void CreateStagingFile() {
    constexpr int kAttempts = 8;
    for (int attempt = 0; attempt < kAttempts && !Vars.StagingFile; ++attempt) {
        if (Vars.StagingName.empty() || attempt > 0)
            ChooseStagingName();
        Vars.StagingFile = Vars.system->CreateTemporary(Vars.StagingName);
    }
    if (!Vars.StagingFile)
        ReportFatal(FillPlaceholder(kMsgWriteError, Vars.StagingName));
}

}  // namespace

std::string VolumeNumberText(unsigned diskIndex) {
    return DecimalText(diskIndex + 1, kNumberDigits);
}

std::string VolumeFileName(unsigned diskIndex) {
    return Vars.VolumeMode == VolumeModeKind::VOLUMES_NUMBERED_FILES
               ? NumberedVolumeName(diskIndex)
               : SingleVolumeName();
}

bool VolumesInUse() {
    return (Vars.Header.HeaderFlags() & FLAG_SPANNED) ||
           Vars.VolumeMode != VolumeModeKind::VOLUMES_NONE;
}

void DetermineVolumeMode() {
    Vars.VolumeMode = VolumeModeKind::VOLUMES_NUMBERED_FILES;
    if (!(Vars.Header.HeaderFlags() & FLAG_SPANNED))
        ReportFatal(kMsgCorrupt);
    if (!IsFixedVolume() && !PathExists(NumberedVolumeName(0)))
        Vars.VolumeMode = VolumeModeKind::VOLUMES_LABELLED_DISKS;
}

bool IsRightVolume(unsigned diskIndex) {
    if (Vars.VolumeMode != VolumeModeKind::VOLUMES_LABELLED_DISKS)
        return EqualsIgnoringCase(Vars.ArchivePath, VolumeFileName(diskIndex));
    std::string label;
    if (!Vars.system->VolumeLabel(DriveRoot(VolumeFolder()), label) ||
        !EqualsIgnoringCase(label, kVolumeLabelPrefix + VolumeNumberText(diskIndex)))
        return false;
    if (!EqualsIgnoringCase(Vars.ArchivePath, SingleVolumeName())) {
        CloseArchive();
        Vars.ArchivePath = SingleVolumeName();
        OpenArchive();
    }
    return true;
}

// Labelled disks are always asked for: a fixed drive with a wrong label
// would otherwise be checked again without end.
void SwitchVolume(unsigned diskIndex) {
    CloseArchive();
    bool ask = Vars.VolumeMode == VolumeModeKind::VOLUMES_LABELLED_DISKS || !IsFixedVolume();
    do {
        if (Vars.VolumeMode != VolumeModeKind::VOLUMES_NONE && ask)
            AskForVolume(diskIndex);
        Vars.ArchivePath = VolumeFileName(diskIndex);
    } while (!IsRightVolume(diskIndex));
    OpenArchive();
}

void EnsureVolume(unsigned diskIndex) {
    if (!IsRightVolume(diskIndex))
        SwitchVolume(diskIndex);
}

// The file being filled stays in Vars.StagingFile, where the clean-up at
// process end closes it before removing it.
void StageEntry(uint64_t& position, std::unique_ptr<SfxFile>& previous) {
    CreateStagingFile();
    SfxFile* staging = Vars.StagingFile.get();
    Vars.ArchiveFile->Seek(position);

    uint8_t local[kLocalHeaderSize];
    ReadAcrossVolumes(local, sizeof local);
    if (staging->Write(local, sizeof local) != sizeof local)
        ReportFatal(FillPlaceholder(kMsgWriteError, Vars.StagingName));
    if (ReadU32(local) != Vars.signatures.localHeader)
        ReportFatal(FillPlaceholder(kMsgReadError, Vars.ArchivePath));
    uint64_t rest = static_cast<uint64_t>(Vars.CurrentEntry.CompressedSize()) +
                    ReadU16(local + 26) + ReadU16(local + 28);
    if (ReadU16(local + 6) & kEntryHasDescriptor)
        rest += kDescriptorSize;
    CopyAcrossVolumes(*staging, rest);

    staging->Seek(0);
    previous = std::move(Vars.ArchiveFile);
    Vars.ArchiveFile = std::move(Vars.StagingFile);
    position = 0;
}

void UnstageEntry(std::unique_ptr<SfxFile>& previous) {
    std::unique_ptr<SfxFile> staging = std::move(Vars.ArchiveFile);
    Vars.ArchiveFile = std::move(previous);
    if (staging && !staging->Close())
        ReportError(FillPlaceholder(kMsgCannotClose, Vars.StagingName));
    staging.reset();
    Vars.system->RemoveFile(Vars.StagingName);
}
