// Multi-volume archives: which file holds a disk, switching volumes, and
// staging an entry whose data runs across volume ends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sys/SfxSystem.h"

// Disk index + 1, at least three digits: 0 gives "001", 999 gives "1000".
std::string VolumeNumberText(unsigned diskIndex);
// The file that holds disk 'diskIndex' in the current VolumeMode.
std::string VolumeFileName(unsigned diskIndex);
// Chooses numbered files or labelled disks; a corrupt archive unless spanned.
void DetermineVolumeMode();
// True when the archive is read through volumes (spanned, or an entry on
// another disk).
bool VolumesInUse();
bool IsRightVolume(unsigned diskIndex);
void SwitchVolume(unsigned diskIndex);
void EnsureVolume(unsigned diskIndex);
// Copies the entry's local header and data, across volume ends, into the
// staging file and reads from there: 'position' becomes 0 and 'previous'
// keeps the volume's handle.
void StageEntry(uint64_t& position, std::unique_ptr<SfxFile>& previous);
// Back to the volume; the staging file is closed and deleted.
void UnstageEntry(std::unique_ptr<SfxFile>& previous);
