// Process-wide state of the self-extractor: the archive being read, the
// header as applied, the destination and the table of listed entries.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "SFXDefs.h"
#include "SFXStructs.h"
#include "SfxHost.h"
#include "sys/SfxSystem.h"

// How the volumes of a spanned archive are told apart.
enum class VolumeModeKind : uint8_t {
    VOLUMES_NONE = 0,
    VOLUMES_LABELLED_DISKS = 1,
    VOLUMES_NUMBERED_FILES = 2,
};

struct SfxVars {
    SfxSystem* system = nullptr;
    SfxHost* host = nullptr;
    ZipSignatures signatures;

    std::string ArchivePath;
    std::unique_ptr<SfxFile> ArchiveFile;
    uint32_t OverlayStart = 0;
    uint32_t ZipStart = 0;
    int32_t OffsetDelta = 0;
    // The certificate table the stub's PE header names, and whether the
    // end-record search took its start as the end of the archive.
    CertificateTable Certificate;
    bool CertificateEndsArchive = false;

    SfxHeader Header;
    std::string dialogCaption;
    std::string destinationSpec;
    std::string runCommand;
    std::string fallbackDestination;
    std::string startupMessage;
    // Strings 1 to 5 as read, before any rule applied them.
    std::string headerStrings[5];

    std::string Destination;
    bool DestinationIsVolatile = false;
    std::string VolatileFolderPath;
    std::string VolatileFolderName;

    std::string VolumeBase;
    std::string VolumeExtension;
    VolumeModeKind VolumeMode = VolumeModeKind::VOLUMES_NONE;
    // Name of the temporary file entries of a spanned archive are copied
    // into; made once, reused for every entry.
    std::string StagingName;
    // The staging file while it is being filled; then it is ArchiveFile.
    std::unique_ptr<SfxFile> StagingFile;

    // Shared by the dialogs and extraction: the password kept from one
    // encrypted entry to the next (at most 80 characters), and the user's
    // confirmed cancel.
    std::string CurrentPassword;
    bool CancelRequested = false;

    // The entry being extracted and its full target path.
    EntryRecord CurrentEntry;
    std::string TargetPath;

    std::vector<EntryRecord> EntryTable;
    // Converted names, parallel to EntryTable.
    std::vector<std::string> EntryNames;
};

extern SfxVars Vars;

// Back to the start values, with the signatures prepared; for the main
// routine and for tests that run the core more than once.
void ResetVars(SfxSystem& system, SfxHost& host);
// Adds the one to each signature constant (see ZipSignatures).
void PrepareSignatures(ZipSignatures& signatures);
