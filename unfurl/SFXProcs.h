// File, path, registry, environment and archive procedures of the stub:
// messages, path helpers, CRC-32, the traditional PKWARE decryption, the
// overlay, the header records and the ZIP central directory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "SFXStructs.h"

// Messages.
std::string FillPlaceholder(const std::string& text, const std::string& argument);
[[noreturn]] void ReportFatal(const std::string& message);
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
// The entry's name as the stub lists it: separators, code page.
std::string ConvertEntryName(const EntryRecord& entry, const std::string& raw);
// Positions ArchiveFile at the first data byte of the entry whose local
// header is at 'position'.
void LocateEntryData(const EntryRecord& entry, uint64_t position);
