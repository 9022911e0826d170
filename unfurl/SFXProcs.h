// File, path, registry, environment and archive procedures of the stub:
// messages, path helpers, CRC-32, the traditional PKWARE decryption, the
// overlay, the header records and the ZIP central directory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "SFXStructs.h"
#include "sys/SfxSystem.h"

// Messages.
std::string FillPlaceholder(const std::string& text, const std::string& argument);
[[noreturn]] void ReportFatal(const std::string& message);
// At the end of the process: releases the entry table, closes the archive
// (a failed close is reported without owner) and deletes the staging file.
void CloseAtProcessEnd();
void ReportError(const std::string& message);

// Paths (Windows form).
std::string IncludeTrailingBackslash(const std::string& path);
std::string ExcludeTrailingBackslashes(const std::string& path);
std::string DirectoryPart(const std::string& path);
std::string FileNamePart(const std::string& path);
bool PathExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ExpandEnv(const std::string& text);
std::string FullPath(const std::string& path);
// A number in decimal, with leading zeros up to 'digits' digits.
std::string DecimalText(uint32_t value, size_t digits = 1);
// ASCII letters compared without case.
bool EqualsIgnoringCase(const std::string& a, const std::string& b);

// Text is UTF-8. Well-formed: shortest forms, no surrogates, nothing past
// U+10FFFF, no sequence cut short.
bool IsValidUtf8(const std::string& text);
// The text with every byte that is not part of a well-formed sequence
// replaced by "?", a character no entry name may hold.
std::string MarkInvalidUtf8(const std::string& text);

// Exact reads from ArchiveFile; a short read is the corrupt-archive failure.
void ReadExact(void* buffer, size_t count);
void SkipBytes(uint64_t count);

// CRC-32 of ZIP. The accumulator starts at 0xFFFFFFFF; the CRC is its complement.
extern std::array<uint32_t, 256> Crc32Table;
void BuildCrcTable();
void UpdateCrc(const uint8_t* buffer, size_t length, uint32_t& crc);
// The same by carry-less multiplication where the processor has it: how
// many leading bytes it took (0 when it cannot help), 'crc' updated.
size_t UpdateCrcFolded(const uint8_t* buffer, size_t length, uint32_t& crc);

// Traditional PKWARE decryption.
void InitKeys(const std::string& password);
void UpdateKeys(uint8_t plain);
uint8_t DecryptByte();
void DecryptBuffer(uint8_t* buffer, size_t length);
bool CheckPassword(const uint8_t* header, uint16_t flags, uint16_t dosTime, uint32_t crc,
                   const std::string& password);

// Overlay start of a PE32 image in memory (or a file's bytes); 0 when the
// bytes are no PE32 image or have no sections.
uint32_t FindOverlay(const uint8_t* image, size_t size);

// The certificate table named by a PE32 image's header (the file's first
// bytes); nothing present when the bytes are no PE32 image or unsigned,
// and no entry offset when they have no security entry.
CertificateTable FindCertificateTable(const uint8_t* image, size_t size);

// Destination from "ROOT\KEY PATH\VALUE NAME|SUFFIX"; empty when it fails.
std::string RegistryDestination(const std::string& spec);

// Reads and applies the header records at Vars.OverlayStart.
void LoadHeader();
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

// The command after extraction. Field 1 is the file, field 2 the
// parameters; every "><" in them stands for Destination with a trailing
// backslash, which GetCommandField leaves on Destination.
std::string GetCommandField(int field);
// The run check box's caption or the failure text: templateInf for an
// ".inf" command, templateOther for anything else.
std::string RunPromptText(const std::string& templateInf, const std::string& templateOther);
// Starts the command from Destination; 32 or more means it started.
int RunAfterExtract();
// Has the volatile destination folder removed at the next logon.
void ScheduleTempRemoval();
// Sets TICKS to the tick count, for the processes the stub starts.
void SetTicksVariable();

// Extraction to disk.
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

// Multi-volume archives.
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
