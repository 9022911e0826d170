// The system seam on Linux and other POSIX hosts. Windows paths from the
// core become POSIX paths here: the drive letter is dropped and backslashes
// become slashes; names are UTF-8 on both sides. The ANSI
// and OEM code pages come from ANSI_CODEPAGE and OEM_CODEPAGE (default
// 1252 and 437), so other Windows set-ups can be tried on Linux.
#include "sys/System.h"

#include <bitset>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <ctime>
#include <map>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// U+FFFD in UTF-16LE, for bytes that do not decode.
constexpr std::string_view kReplacementUtf16("\xfd\xff", 2);

int CodePageFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return fallback;
    int number = std::atoi(value);
    return number > 1 ? number : fallback;
}

// iconv knows most Windows code pages as "CP" and the number; these under
// their own names.
std::string IconvName(int codePage) {
    struct Name {
        int codePage;
        const char* name;
    };
    static constexpr Name kNames[] = {
        {kUtf8CodePage, "UTF-8"}, {20866, "KOI8-R"}, {21866, "KOI8-U"}, {54936, "GB18030"},
        {20932, "EUC-JP"},        {51932, "EUC-JP"}, {51949, "EUC-KR"}, {1200, "UTF-16LE"},
        {1201, "UTF-16BE"},
    };
    for (const Name& n : kNames)
        if (n.codePage == codePage)
            return n.name;
    if (codePage > 28590 && codePage <= 28605)
        return "ISO-8859-" + std::to_string(codePage - 28590);
    return "CP" + std::to_string(codePage);
}

// Open iconv converters, kept for the life of the system: opening one
// costs far more than most conversions, which are short (a run of RTF
// text, a file name, one line).
class ConverterCache {
public:
    ConverterCache() = default;
    ConverterCache(const ConverterCache&) = delete;
    ConverterCache& operator=(const ConverterCache&) = delete;
    ~ConverterCache() {
        for (const Converter& c : open_)
            if (Opened(c.cd))
                iconv_close(c.cd);
    }

    // The converter from 'from' to 'to', in its initial state; one that is
    // not Opened when iconv has none. A handful are ever open, so they are
    // looked for in a list, without making a key.
    iconv_t Get(const std::string& from, const std::string& to) {
        for (const Converter& c : open_)
            if (c.from == from && c.to == to) {
                if (Opened(c.cd))
                    iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
                return c.cd;
            }
        open_.push_back({from, to, iconv_open(to.c_str(), from.c_str())});
        return open_.back().cd;
    }

    static bool Opened(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

private:
    struct Converter {
        std::string from;
        std::string to;
        iconv_t cd;
    };
    std::vector<Converter> open_;
};

// Ends a conversion and returns the converter to its initial state. A
// decoder may hold back the last character to see whether a combining mark
// follows (glibc's Windows-1255 and 1258 do); it is written out here.
void EndConversion(iconv_t cd, std::string& out) {
    char buffer[64];
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    if (iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<size_t>(-1))
        out.append(buffer, dst - buffer);
}

// Runs one iconv conversion, replacing what cannot be converted:
// 'stepIn' input bytes are skipped and 'replacement' is written instead.
std::string Convert(ConverterCache& converters, std::string_view in, const std::string& from,
                    const std::string& to, size_t stepIn, std::string_view replacement) {
    iconv_t cd = converters.Get(from, to);
    if (!ConverterCache::Opened(cd))
        return std::string();
    std::string out;
    char buffer[4096];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        int error = errno;  // read before append, whose allocation may change it
        out.append(buffer, dst - buffer);
        if (rc != static_cast<size_t>(-1))
            break;
        if (error == E2BIG)
            continue;
        // EILSEQ or EINVAL: an unconvertible or incomplete sequence, after
        // what the converter holds back.
        EndConversion(cd, out);
        size_t skip = stepIn < srcLeft ? stepIn : srcLeft;
        src += skip;
        srcLeft -= skip;
        out.append(replacement);
    }
    EndConversion(cd, out);
    return out;
}

// The lead bytes of a code page. The four East Asian ANSI code pages are
// known; any other is asked of iconv: a byte that iconv finds incomplete on
// its own opens a longer character.
std::bitset<256> LeadBytesOf(int codePage) {
    std::bitset<256> lead;
    auto range = [&lead](int first, int last) {
        for (int b = first; b <= last; ++b)
            lead.set(static_cast<size_t>(b));
    };
    switch (codePage) {
    case 932:
        range(0x81, 0x9f);
        range(0xe0, 0xfc);
        return lead;
    case 936:
    case 949:
    case 950:
        range(0x81, 0xfe);
        return lead;
    case kUtf8CodePage:
        return lead;
    default:
        break;
    }
    iconv_t cd = iconv_open("UTF-16LE", IconvName(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return lead;
    for (int b = 0x80; b <= 0xff; ++b) {
        char in = static_cast<char>(b);
        char out[8];
        char* src = &in;
        char* dst = out;
        size_t srcLeft = 1;
        size_t dstLeft = sizeof out;
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) &&
            errno == EINVAL)
            lead.set(static_cast<size_t>(b));
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return lead;
}

// The character set of the user's locale, without changing the program's
// own; UTF-8 when the locale names none beyond ASCII.
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

// A FILE* owned for the life of the object.
class StdioFile {
public:
    explicit StdioFile(FILE* f) : f_(f) {}
    ~StdioFile() {
        if (f_ != nullptr)
            std::fclose(f_);
    }
    StdioFile(const StdioFile&) = delete;
    StdioFile& operator=(const StdioFile&) = delete;
    FILE* get() const { return f_; }
    bool Close() {
        FILE* f = f_;
        f_ = nullptr;
        return f != nullptr && std::fclose(f) == 0;
    }

private:
    FILE* f_;
};

class PosixReader final : public FileReader {
public:
    explicit PosixReader(FILE* f) : file_(f) {}
    bool Read(char* buffer, size_t capacity, size_t& got) override {
        got = std::fread(buffer, 1, capacity, file_.get());
        return got > 0 || std::ferror(file_.get()) == 0;
    }

private:
    StdioFile file_;
};

class PosixWriter final : public FileWriter {
public:
    explicit PosixWriter(FILE* f) : file_(f) {}
    bool Write(std::string_view bytes) override {
        if (file_.get() == nullptr)
            return false;
        ok_ = ok_ && std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) == bytes.size();
        return ok_;
    }
    bool Close() override {
        bool closed = file_.Close();
        return closed && ok_;
    }

private:
    StdioFile file_;
    bool ok_ = true;
};

class PosixSystem final : public System {
public:
    bool ReadFile(const std::string& path, std::string& bytes) override {
        FILE* f = std::fopen(NativePath(path).c_str(), "rb");
        if (f == nullptr)
            return false;
        bytes.clear();
        // Room for the whole file at once: growing by doubling would hold
        // about twice its size while the last copy is made.
        if (std::fseek(f, 0, SEEK_END) == 0) {
            long size = std::ftell(f);
            if (size > 0)
                bytes.reserve(static_cast<size_t>(size));
            std::rewind(f);
        }
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        bool ok = std::ferror(f) == 0;
        std::fclose(f);
        return ok;
    }

    bool WriteFile(const std::string& path, std::string_view bytes) override {
        std::string native = NativePath(path);
        std::string temporary = native + ".new";
        FILE* f = std::fopen(temporary.c_str(), "wb");
        if (f == nullptr)
            return WriteInPlace(native, bytes);
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        ok = (std::fclose(f) == 0) && ok;
        if (ok && std::rename(temporary.c_str(), native.c_str()) == 0)
            return true;
        std::remove(temporary.c_str());
        return false;
    }

    bool FileExists(const std::string& path) override {
        struct stat st;
        return stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }

    bool FolderExists(const std::string& path) override {
        struct stat st;
        return stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
        std::string native = NativePath(path);
        struct stat st;
        if (stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return nullptr;
        FILE* f = std::fopen(native.c_str(), "rb");
        if (f == nullptr)
            return nullptr;
        return std::make_unique<PosixReader>(f);
    }

    std::unique_ptr<FileWriter> CreateForWriting(const std::string& path) override {
        FILE* f = std::fopen(NativePath(path).c_str(), "wb");
        if (f == nullptr)
            return nullptr;
        return std::make_unique<PosixWriter>(f);
    }

    bool FileSize(const std::string& path, int64_t& size) override {
        struct stat st;
        if (stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return false;
        size = static_cast<int64_t>(st.st_size);
        return true;
    }

    bool CreateFolder(const std::string& path) override {
        return mkdir(NativePath(path).c_str(), 0777) == 0;
    }

    bool RemoveFile(const std::string& path) override {
        std::string native = NativePath(path);
        struct stat st;
        if (stat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            return false;
        return std::remove(native.c_str()) == 0;
    }

    std::string SystemTempFolder() override {
        const char* tmpdir = std::getenv("TMPDIR");
        std::string folder = (tmpdir != nullptr && *tmpdir != '\0') ? tmpdir : "/tmp";
        std::string core = CorePath(folder);
        if (core.empty() || core.back() != '\\')
            core += '\\';
        return core;
    }

    std::string FullPath(const std::string& typed) override {
        std::string native = typed;
        if (native.empty() || native[0] != '/') {
            char cwd[4096];
            if (getcwd(cwd, sizeof cwd) != nullptr)
                native = std::string(cwd) + "/" + native;
        }
        return CorePath(native);
    }

    uint32_t TickCount() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u +
                      static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
        return static_cast<uint32_t>(ms);
    }

    CalendarDate Today() override {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    }

    std::string ProgramFolder() override {
        char buffer[4096];
        ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (n <= 0)
            return std::string();
        std::string exe(buffer, static_cast<size_t>(n));
        size_t slash = exe.rfind('/');
        return CorePath(slash == std::string::npos ? std::string() : exe.substr(0, slash));
    }

    std::string GetEnv(const std::string& name) override {
        const char* value = std::getenv(name.c_str());
        return value ? std::string(value) : std::string();
    }

    int AnsiCodePage() override { return CodePageFromEnvironment("ANSI_CODEPAGE", 1252); }

    std::string ToUtf16Le(std::string_view text, int codePage) override {
        return Convert(converters_, text, IconvName(Resolve(codePage)), "UTF-16LE", 1,
                       kReplacementUtf16);
    }

    std::string FromUtf16Le(std::string_view utf16le, int codePage) override {
        return Convert(converters_, utf16le, "UTF-16LE", IconvName(Resolve(codePage)), 2, "?");
    }

    bool HasCodePage(int codePage) override {
        return ConverterCache::Opened(converters_.Get(IconvName(Resolve(codePage)), "UTF-16LE"));
    }

    bool IsLeadByte(int codePage, unsigned char byte) override {
        int number = Resolve(codePage);
        auto known = leadBytes_.find(number);
        if (known == leadBytes_.end())
            known = leadBytes_.emplace(number, LeadBytesOf(number)).first;
        return known->second.test(byte);
    }

    bool SameFile(const std::string& a, const std::string& b) override {
        struct stat sa;
        struct stat sb;
        return stat(NativePath(a).c_str(), &sa) == 0 && stat(NativePath(b).c_str(), &sb) == 0 &&
               sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }

    // "Z:\tmp\x" -> "/tmp/x".
    std::string DisplayPath(const std::string& path) override {
        std::string p = path;
        if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0])))
            p.erase(0, 2);
        for (char& c : p)
            if (c == '\\')
                c = '/';
        return p;
    }

    std::string TerminalText(const std::string& ansi) override {
        return TerminalUnicode(ToUtf16Le(ansi, kAnsiCodePage));
    }

    std::string TerminalUnicode(std::string_view utf16le) override {
        if (terminalCodeset_.empty())
            terminalCodeset_ = TerminalCodeset();
        return Convert(converters_, utf16le, "UTF-16LE", terminalCodeset_, 2, "?");
    }

private:
    ConverterCache converters_;
    std::map<int, std::bitset<256>> leadBytes_;
    std::string terminalCodeset_;

    int Resolve(int codePage) {
        if (codePage == kAnsiCodePage)
            return AnsiCodePage();
        if (codePage == kOemCodePage)
            return CodePageFromEnvironment("OEM_CODEPAGE", 437);
        return codePage;
    }

    // "C:\Out\Book" -> "/Out/Book"; relative paths stay relative.
    std::string NativePath(const std::string& path) { return DisplayPath(path); }

    // "/tmp/x" -> "Z:\tmp\x", the way Wine names the root of the host.
    std::string CorePath(const std::string& native) {
        std::string p = native;
        for (char& c : p)
            if (c == '/')
                c = '\\';
        if (!p.empty() && p[0] == '\\')
            p = "Z:" + p;
        return p;
    }

    static bool WriteInPlace(const std::string& native, std::string_view bytes) {
        FILE* f = std::fopen(native.c_str(), "wb");
        if (f == nullptr)
            return false;
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return (std::fclose(f) == 0) && ok;
    }
};

}  // namespace

System& PlatformSystem() {
    static PosixSystem system;
    return system;
}
