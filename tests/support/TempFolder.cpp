// TempFolder on top of std::filesystem, with the mapping between the host's
// paths and the Windows paths of the cores.
#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string CoreFromNative(const std::string& native) {
#ifdef _WIN32
    return native;
#else
    std::string p = native;
    for (char& c : p)
        if (c == '/')
            c = '\\';
    return "Z:" + p;
#endif
}

std::string UniqueName() {
    std::random_device device;
    std::mt19937_64 random(device());
    std::ostringstream name;
    name << "foliant-test-" << std::hex << random();
    return name.str();
}

}  // namespace

TempFolder::TempFolder() {
    fs::path folder = fs::temp_directory_path() / UniqueName();
    fs::create_directories(folder);
    native_ = folder.string();
    while (!native_.empty() && (native_.back() == '/' || native_.back() == '\\'))
        native_.pop_back();
    path_ = CoreFromNative(native_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(native_, ignored);
}

std::string TempFolder::File(std::string_view name) const {
    return path_ + "\\" + std::string(name);
}

void TempFolder::Write(std::string_view name, std::string_view bytes) const {
    fs::path target = fs::path(native_) / fs::u8path(name);
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::Read(std::string_view name) const {
    std::ifstream in(fs::path(native_) / fs::u8path(name), std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

bool TempFolder::Exists(std::string_view name) const {
    return fs::exists(fs::path(native_) / fs::u8path(name));
}

std::string PackageFolderForTests() {
    return CoreFromNative(fs::current_path().string());
}
