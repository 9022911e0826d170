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

// A native path in the Windows form the core uses.
std::string CorePathOf(const std::string& native);
