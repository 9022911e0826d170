// sfxpack's command line: one table of options from which both the parser
// and the --help text are made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PackOptions {
    std::string output, stub, zip;
    std::string strings[5];          // caption, destination, command, fallback, message
    uint32_t messageStyle = 0;
    uint16_t flags = 0;
    uint8_t overwriteMode = 2;
    std::string password;
    bool store = false;
    int level = 6;
    uint32_t volumeSize = 0;         // 0: one file; else the size of each volume
    std::string executionLevel;      // the manifest's level; empty: the stub's own
    std::vector<std::string> paths;
};

struct ExtractOptions {
    std::string file, destination;
    std::string password;
    int overwriteMode = -1;          // -1: the header's mode
};

// Parses the arguments after "pack"; false with a message on bad usage.
bool ParsePackOptions(const std::vector<std::string>& args, PackOptions& options,
                      std::string& error);
// Parses the arguments after "extract"; false with a message on bad usage.
bool ParseExtractOptions(const std::vector<std::string>& args, ExtractOptions& options,
                         std::string& error);
// The flag names of the header, without prefix, lower case with dashes.
bool ParseHeaderFlags(const std::string& list, uint16_t& flags);
std::string HeaderFlagNames(uint16_t flags);
std::string UsageText();
