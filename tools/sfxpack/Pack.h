// The two commands of sfxpack on unfurl's core: pack writes a stub, the
// header records and a ZIP archive; list shows what the stub would read.
#pragma once

#include <iosfwd>
#include <string>

#include "Options.h"

// Exit codes.
constexpr int kExitDone = 0;
constexpr int kExitUnusable = 1;
constexpr int kExitUsage = 2;

int RunPack(const PackOptions& options, std::ostream& err);
int RunList(const std::string& file, std::ostream& out, std::ostream& err);
int RunExtract(const ExtractOptions& options, std::ostream& err);

class SfxHost;
// Opens a self-extractor as the stub does: header records applied and the
// directory listed through 'host'. False with the exit code when it ends.
bool OpenSelfExtractor(const std::string& file, SfxHost& host, std::ostream& err,
                       int& exitCode);

// The stub's clean-up at process end (the staging file, an empty volatile
// folder), run when a command that opened a self-extractor returns.
struct ArchiveCleanUp {
    ArchiveCleanUp() = default;
    ArchiveCleanUp(const ArchiveCleanUp&) = delete;
    ArchiveCleanUp& operator=(const ArchiveCleanUp&) = delete;
    ~ArchiveCleanUp();
};

// A native path in the Windows form the core uses.
std::string CorePathOf(const std::string& native);
