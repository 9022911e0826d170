// Packs unfurl archives for the Wine tests with sfxpack's packer: the stub
// beside the tests, the header records the options give, and a ZIP of the
// files, folders or ZIP file they name.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "Pack.h"

// Packs 'options' (its paths or zip set) onto unfurl.exe into 'output'.
// The archive's path; empty, and the test failed, when packing failed.
inline std::string PackOntoStub(PackOptions options, const std::filesystem::path& output) {
    options.output = output.string();
    options.stub = (std::filesystem::current_path() / "unfurl.exe").string();
    std::ostringstream err;
    int exitCode = RunPack(options, err);
    EXPECT_EQ(exitCode, 0) << err.str();
    return exitCode == 0 ? options.output : std::string();
}

// Writes 'files' (relative names, bytes) under 'source' and packs that
// folder as above.
inline std::string PackFilesOntoStub(PackOptions options, const std::filesystem::path& output,
                                     const std::filesystem::path& source,
                                     const std::map<std::string, std::string>& files) {
    for (const auto& [name, bytes] : files) {
        std::filesystem::path path = source / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    options.paths = {source.string()};
    return PackOntoStub(options, output);
}
