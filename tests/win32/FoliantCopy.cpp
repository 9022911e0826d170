// Package copies and small file helpers of the end-to-end suites.
#include "win32/FoliantCopy.h"

#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace foliant_e2e {

std::string ScreenshotFolder() {
    fs::path folder = fs::current_path().parent_path() / "screenshots";
    fs::create_directories(folder);
    return folder.string() + "\\";
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string Utf8Of(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::set<std::string> FileNamesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.insert(Utf8Of(it->path().filename()));
    return names;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    if (at == std::string::npos)
        throw std::runtime_error("\"" + from + "\" is not in the text");
    return text.replace(at, from.size(), to);
}

void CopyPackage(const TempFolder& dir,
                 const std::function<std::string(const std::string&)>& editIni) {
    fs::path root(dir.Path());
    fs::path bin = fs::current_path();
    fs::copy_file(bin / "foliant.exe", root / "foliant.exe");
    fs::copy(bin / "language", root / "language", fs::copy_options::recursive);
    fs::copy(bin / "images", root / "images", fs::copy_options::recursive);
    WriteFile(root / "main.ini", editIni(ReadFile(bin / "main.ini")));
}

HWND WaitForClass(const robot::Process& program, const char* cls) {
    return robot::WaitForWindow(program.id(), cls, "", robot::kStepTimeout);
}

}  // namespace foliant_e2e
