// Messages of the stub, the clean-up at the end of the process, and exact
// reads from the archive, whose shortfall is the corrupt-archive message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string FillPlaceholder(const std::string& text, const std::string& argument);
[[noreturn]] void ReportFatal(const std::string& message);
// At the end of the process: releases the entry table, closes the archive
// (a failed close is reported without owner) and deletes the staging file.
void CloseAtProcessEnd();
void ReportError(const std::string& message);

// Exact reads from ArchiveFile; a short read is the corrupt-archive failure.
void ReadExact(void* buffer, size_t count);
void SkipBytes(uint64_t count);
