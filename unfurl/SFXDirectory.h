// The ZIP central directory: the entry table, entry names and where an
// entry's data starts.
#pragma once

#include <cstdint>
#include <string>

#include "SFXStructs.h"

// Fills EntryTable from the central directory, adding a list item per file.
void ReadDirectory();
// The entry's name as the stub lists it, in UTF-8 with backslashes: the
// stored name when flagged UTF-8, else the Unicode path of the extra field
// when it belongs to the stored name, else the stored name as UTF-8 when it
// comes from a Unix host and is well-formed UTF-8, else in the OEM or ANSI
// code page its host system implies.
std::string ConvertEntryName(const EntryRecord& entry, const std::string& raw,
                             const std::string& extra);
// Positions ArchiveFile at the first data byte of the entry whose local
// header is at 'position'.
void LocateEntryData(const EntryRecord& entry, uint64_t position);
