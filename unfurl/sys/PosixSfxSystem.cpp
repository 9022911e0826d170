// unfurl's system seam on Linux and other POSIX hosts. Windows paths from
// the core lose their drive letter and get slashes; names are UTF-8 on both
// sides. ANSI_CODEPAGE and OEM_CODEPAGE choose the code pages text without
// UTF-8 is read in (default 1252 and 437). There is no registry here: every
// query fails.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "sys/SfxSystem.h"

namespace {

int CodePageFrom(const char* variable, int fallback) {
    const char* value = std::getenv(variable);
    int number = value != nullptr ? std::atoi(value) : 0;
    return number > 1 ? number : fallback;
}

std::string CodePageName(int codePage) { return "CP" + std::to_string(codePage); }

// A whole text from one character set to another; a byte that does not
// convert becomes "?".
std::string ConvertText(const std::string& from, const std::string& to, const std::string& in) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return in;
    std::string out;
    char buffer[1024];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        ++src;
        --srcLeft;
        out += '?';
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

// The character set of the user's locale, leaving the program's own
// alone; UTF-8 when the locale names nothing beyond ASCII.
std::string TerminalCodeset() {
    std::string codeset = "UTF-8";
    locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (user != static_cast<locale_t>(0)) {
        const char* name = nl_langinfo_l(CODESET, user);
        if (name != nullptr && *name != '\0' && std::string(name) != "ANSI_X3.4-1968")
            codeset = name;
        freelocale(user);
    }
    return codeset;
}

// "Z:\tmp\x" within a line of text becomes "/tmp/x": the drive this seam
// gives host paths is dropped and backslashes up to the line's end turn
// into slashes.
std::string HostPathsIn(const std::string& text) {
    std::string out;
    bool inPath = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n' || c == '"')
            inPath = false;
        if (!inPath && c == 'Z' && text.compare(i, 3, "Z:\\") == 0 &&
            (i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1])))) {
            inPath = true;
            ++i;  // the colon; the backslash follows as a slash
            continue;
        }
        out += inPath && c == '\\' ? '/' : c;
    }
    return out;
}

int AnsiCodePage() { return CodePageFrom("ANSI_CODEPAGE", 1252); }
int OemCodePage() { return CodePageFrom("OEM_CODEPAGE", 437); }

std::string NativePath(const std::string& path) {
    std::string p = path;
    if (p.size() >= 2 && p[1] == ':')
        p.erase(0, 2);
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

std::string CorePath(const std::string& native) {
    std::string p = native;
    for (char& c : p)
        if (c == '/')
            c = '\\';
    return "Z:" + p;
}

// The DOS date and time as seconds since 1970, read as local time; false
// when a field is out of range.
bool DosToUnixTime(uint16_t dosDate, uint16_t dosTime, time_t& seconds) {
    std::tm local{};
    local.tm_year = 80 + (dosDate >> 9);
    local.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
    local.tm_mday = dosDate & 0x1F;
    local.tm_hour = dosTime >> 11;
    local.tm_min = (dosTime >> 5) & 0x3F;
    local.tm_sec = (dosTime & 0x1F) * 2;
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 || local.tm_hour > 23 ||
        local.tm_min > 59 || local.tm_sec > 59)
        return false;
    local.tm_isdst = -1;
    seconds = std::mktime(&local);
    return seconds != static_cast<time_t>(-1);
}

class PosixFile : public SfxFile {
public:
    explicit PosixFile(FILE* file) : file_(file) {}
    ~PosixFile() override { Close(); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    size_t Read(void* buffer, size_t count) override {
        return std::fread(buffer, 1, count, file_);
    }
    size_t Write(const void* buffer, size_t count) override {
        return std::fwrite(buffer, 1, count, file_);
    }
    bool Seek(uint64_t position) override {
        return fseeko(file_, static_cast<off_t>(position), SEEK_SET) == 0;
    }
    uint64_t Position() override { return static_cast<uint64_t>(ftello(file_)); }
    uint64_t Size() override {
        struct stat info;
        std::fflush(file_);
        return fstat(fileno(file_), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    }

    // Extraction and volumes.
    bool Close() override {
        if (!file_)
            return true;
        bool ok = std::fclose(file_) == 0;
        file_ = nullptr;
        return ok;
    }
    // Buffered bytes are written first, so that closing does not move the
    // time again.
    bool SetDosTime(uint16_t dosDate, uint16_t dosTime) override {
        time_t seconds;
        if (!DosToUnixTime(dosDate, dosTime, seconds) || std::fflush(file_) != 0)
            return false;
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = seconds;
        times[1].tv_nsec = 0;
        return futimens(fileno(file_), times) == 0;
    }

private:
    FILE* file_;
};

// Drops "." and resolves ".." in a path of the form "X:\...".
std::string Normalize(const std::string& path) {
    std::string drive = path.substr(0, 2);
    std::vector<std::string> parts;
    size_t start = 3;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result = drive + "\\";
    for (size_t i = 0; i < parts.size(); ++i)
        result += (i ? "\\" : "") + parts[i];
    if (path.size() > 3 && path.back() == '\\' && !parts.empty())
        result += "\\";
    return result;
}

class PosixSfxSystem : public SfxSystem {
public:
    std::unique_ptr<SfxFile> OpenRead(const std::string& path) override {
        FILE* file = std::fopen(NativePath(path).c_str(), "rb");
        return file ? std::make_unique<PosixFile>(file) : nullptr;
    }
    std::unique_ptr<SfxFile> CreateWrite(const std::string& path) override {
        FILE* file = std::fopen(NativePath(path).c_str(), "wb");
        return file ? std::make_unique<PosixFile>(file) : nullptr;
    }
    bool PathExists(const std::string& path) override {
        struct stat info;
        return stat(NativePath(path).c_str(), &info) == 0;
    }
    bool FolderExists(const std::string& path) override {
        struct stat info;
        return stat(NativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    std::string ExpandEnvironment(const std::string& text) override {
        std::string out;
        for (size_t i = 0; i < text.size();) {
            size_t close = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
            if (close == std::string::npos) {
                out += text[i++];
                continue;
            }
            std::string name = text.substr(i + 1, close - i - 1);
            std::string value;
            if (!name.empty() && Lookup(name, value)) {
                out += value;
                i = close + 1;
            } else {
                out += text.substr(i, close - i);
                i = close;
            }
        }
        return out;
    }
    std::string CurrentDirectory() override {
        char buffer[PATH_MAX];
        return getcwd(buffer, sizeof buffer) ? CorePath(buffer) : std::string();
    }
    std::string FullPath(const std::string& path) override {
        if (path.empty())
            return std::string();
        if (path.size() >= 3 && path[1] == ':' && path[2] == '\\')
            return Normalize(path);
        if (path[0] == '\\')
            return Normalize("Z:" + path);
        return Normalize(CurrentDirectory() + "\\" + path);
    }
    bool QueryRegistryValue(RegistryRoot, const std::string&, const std::string&,
                            std::string&) override {
        return false;
    }
    std::string ToUtf8(const std::string& text, CodePage from) override {
        int page = from == CodePage::Oem ? OemCodePage() : AnsiCodePage();
        return ConvertText(CodePageName(page), "UTF-8", text);
    }

    // --- Start-up, starting the command and the clean-up after it ---
    // Started programs run through the shell and are not waited for;
    // there are no short names and no registry to write.
    void SetEnvironmentValue(const std::string& name, const std::string& value) override {
        setenv(name.c_str(), value.c_str(), 1);
    }
    uint32_t TickCount() override {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
    }
    bool ChangeDirectory(const std::string& path) override {
        return chdir(NativePath(path).c_str()) == 0;
    }
    std::string ShortPath(const std::string& path) override {
        return PathExists(path) ? path : std::string();
    }
    int ShellOpen(const std::string& file, const std::string& parameters,
                  const std::string& folder) override {
        if (!PathExists(file))
            return kFileNotFound;
        std::string command = "\"" + NativePath(file) + "\" " + parameters;
        if (!folder.empty())
            command = "cd \"" + NativePath(folder) + "\" && " + command;
        return Spawn(command);
    }
    int StartCommandLine(const std::string& commandLine) override { return Spawn(commandLine); }
    bool IsNtPlatform() override { return true; }
    std::string SystemProgramFolder() override { return "C:\\Windows\\system32"; }
    bool WriteRegistryText(RegistryRoot, const std::string&, const std::string&,
                           const std::string&) override {
        return false;
    }
    // --- end of start-up and command block ---

    // Extraction and volumes. Every folder counts as a fixed disk without
    // a label.
    FolderCreation CreateFolder(const std::string& path) override {
        if (mkdir(NativePath(path).c_str(), 0777) == 0)
            return FolderCreation::Created;
        return errno == EEXIST ? FolderCreation::NameTaken : FolderCreation::Failed;
    }
    bool RemoveFile(const std::string& path) override {
        return unlink(NativePath(path).c_str()) == 0;
    }
    bool RemoveEmptyFolder(const std::string& path) override {
        return rmdir(NativePath(path).c_str()) == 0;
    }
    std::unique_ptr<SfxFile> CreateTemporary(const std::string& path) override {
        int fd = open(NativePath(path).c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW, 0600);
        if (fd < 0)
            return nullptr;
        FILE* file = fdopen(fd, "w+b");
        if (!file) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixFile>(file);
    }
    std::string TempFileName(const std::string& folder, const std::string& prefix) override {
        std::string base = folder;
        if (!base.empty() && base.back() != '\\')
            base += '\\';
        unsigned start = static_cast<unsigned>(getpid()) & 0xFFFF;
        for (unsigned i = 0; i < 0x10000; ++i) {
            unsigned unique = (start + i) & 0xFFFF;
            if (unique == 0)
                continue;
            char number[8];
            std::snprintf(number, sizeof number, "%X", unique);
            std::string name = base + prefix + number + ".tmp";
            int fd = open(NativePath(name).c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
            if (fd >= 0) {
                ::close(fd);
                return name;
            }
            if (errno != EEXIST)
                return std::string();
        }
        return std::string();
    }
    unsigned DriveType(const std::string&) override { return 3; }
    bool VolumeLabel(const std::string&, std::string&) override { return false; }

    std::string ConsoleText(const std::string& text) override {
        static const std::string terminal = TerminalCodeset();
        return ConvertText("UTF-8", terminal, HostPathsIn(text));
    }

private:
    static constexpr int kFileNotFound = 2;
    static constexpr int kStarted = 33;

    static int Spawn(const std::string& command) {
        const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
        pid_t child;
        if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            return kFileNotFound;
        return kStarted;
    }

    // Environment names are looked up as given and in capitals; the
    // temporary folder falls back to TMPDIR and /tmp. Native paths come back
    // in the core's form.
    bool Lookup(const std::string& name, std::string& value) {
        std::string upper = name;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const char* found = std::getenv(name.c_str());
        if (!found)
            found = std::getenv(upper.c_str());
        if (!found && (upper == "TEMP" || upper == "TMP")) {
            found = std::getenv("TMPDIR");
            if (!found)
                found = "/tmp";
        }
        if (!found)
            return false;
        value = found[0] == '/' ? CorePath(found) : std::string(found);
        return true;
    }
};

}  // namespace

SfxSystem& PlatformSfxSystem() {
    static PosixSfxSystem system;
    return system;
}
