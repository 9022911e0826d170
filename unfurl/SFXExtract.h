// Extraction to disk: the run over the list, one entry into its file, and
// the checks on entry names and times.
#pragma once

#include <cstdint>
#include <string>

#include "SFXStructs.h"
#include "sys/SfxSystem.h"

// Extracts every selected list item into Vars.Destination, deselecting the
// items extracted; true when no item is selected afterwards.
bool ExtractRun();
// Writes one entry to 'targetPath'; true when the file was written and its
// CRC matched. 'stop' is set when the whole run has to end.
bool ExtractEntry(const std::string& targetPath, const EntryRecord& entry, bool& stop);
// True when the folder exists afterwards, missing parents created first.
bool ForceFolders(const std::string& folder);
// Sets the file's last-write time; an invalid date or time leaves it as is.
void SetFileDosTime(SfxFile& file, uint16_t dosDate, uint16_t dosTime);
// Field ranges of a DOS date and time (day 1-31, month 1-12, hour 0-23,
// minute 0-59, second 0-58).
bool IsValidDosDateTime(uint16_t dosDate, uint16_t dosTime);
// Lets one waiting window message through.
void PumpOneMessage();
// True when an entry name is well-formed UTF-8, relative and stays inside
// the destination (no leading "\", no drive, no ".." component), and
// Windows can hold every component as it is.
bool IsSafeEntryName(const std::string& name);
