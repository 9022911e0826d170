// The system seam on Windows: the W functions of the API, with the core's
// UTF-8 paths turned into UTF-16 on the way in and back on the way out.
#include "sys/System.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "sys/WideText.h"

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    // Closes now and tells whether closing worked.
    bool Close() {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return CloseHandle(h) != 0;
    }

private:
    HANDLE h_;
};

UINT WindowsCodePage(int codePage) {
    if (codePage == kAnsiCodePage)
        return CP_ACP;
    if (codePage == kOemCodePage)
        return CP_OEMCP;
    return static_cast<UINT>(codePage);
}

bool WriteAll(HANDLE h, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

class Win32Reader final : public FileReader {
public:
    explicit Win32Reader(HANDLE h) : file_(h) {}
    bool Read(char* buffer, size_t capacity, size_t& got) override {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(capacity, 1u << 30));
        DWORD n = 0;
        bool ok = ::ReadFile(file_.get(), buffer, chunk, &n, nullptr) != 0;
        got = ok ? n : 0;
        return ok;
    }

private:
    FileHandle file_;
};

class Win32Writer final : public FileWriter {
public:
    explicit Win32Writer(HANDLE h) : file_(h) {}
    bool Write(std::string_view bytes) override {
        ok_ = ok_ && file_.valid() && WriteAll(file_.get(), bytes);
        return ok_;
    }
    bool Close() override {
        if (!file_.valid())
            return false;
        bool closed = file_.Close();
        return closed && ok_;
    }

private:
    FileHandle file_;
    bool ok_ = true;
};

class Win32System final : public System {
public:
    bool ReadFile(const std::string& path, std::string& bytes) override {
        FileHandle f(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f.valid())
            return false;
        bytes.clear();
        // Room for the whole file at once: growing by doubling would hold
        // about twice its size while the last copy is made.
        LARGE_INTEGER size;
        if (GetFileSizeEx(f.get(), &size) && size.QuadPart > 0 &&
            static_cast<uint64_t>(size.QuadPart) < bytes.max_size())
            bytes.reserve(static_cast<size_t>(size.QuadPart));
        char buffer[65536];
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(f.get(), buffer, sizeof buffer, &got, nullptr))
                return false;
            if (got == 0)
                return true;
            bytes.append(buffer, got);
        }
    }

    bool WriteFile(const std::string& path, std::string_view bytes) override {
        // Write a sibling first and move it over, so a failed write never
        // leaves a half-written file behind.
        std::string temporary = path + ".new";
        {
            FileHandle f(CreateFileW(WideFromUtf8(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!f.valid())
                return WriteInPlace(path, bytes);
            if (!WriteAll(f.get(), bytes) || !f.Close()) {
                DeleteFileW(WideFromUtf8(temporary).c_str());
                return false;
            }
        }
        if (MoveFileExW(WideFromUtf8(temporary).c_str(), WideFromUtf8(path).c_str(), MOVEFILE_REPLACE_EXISTING))
            return true;
        DeleteFileW(WideFromUtf8(temporary).c_str());
        return false;
    }

    bool FileExists(const std::string& path) override {
        DWORD a = GetFileAttributesW(WideFromUtf8(path).c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    bool FolderExists(const std::string& path) override {
        DWORD a = GetFileAttributesW(WideFromUtf8(path).c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
        HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<Win32Reader>(h);
    }

    std::unique_ptr<FileWriter> CreateForWriting(const std::string& path) override {
        HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<Win32Writer>(h);
    }

    bool FileSize(const std::string& path, int64_t& size) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return false;
        size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        return true;
    }

    bool CreateFolder(const std::string& path) override {
        return CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr) != 0;
    }

    bool RemoveFile(const std::string& path) override { return DeleteFileW(WideFromUtf8(path).c_str()) != 0; }

    std::string SystemTempFolder() override {
        wchar_t buffer[MAX_PATH + 2];
        DWORD n = GetTempPathW(MAX_PATH + 2, buffer);
        std::string folder =
            (n > 0 && n < MAX_PATH + 2) ? Utf8FromWide({buffer, n}) : ProgramFolder();
        if (folder.empty() || folder.back() != '\\')
            folder += '\\';
        return folder;
    }

    std::string FullPath(const std::string& typed) override {
        std::wstring wide = WideFromUtf8(typed);
        DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
        if (n == 0)
            return typed;
        std::wstring full(n, L'\0');
        n = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
        if (n == 0 || n >= full.size())
            return typed;
        full.resize(n);
        return Utf8FromWide(full);
    }

    uint32_t TickCount() override { return GetTickCount(); }

    CalendarDate Today() override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return {now.wYear, now.wMonth, now.wDay};
    }

    std::string ProgramFolder() override {
        std::wstring exe(MAX_PATH, L'\0');
        for (;;) {
            DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
            if (n < exe.size()) {
                exe.resize(n);
                break;
            }
            exe.resize(exe.size() * 2);
        }
        size_t slash = exe.find_last_of(L'\\');
        return slash == std::wstring::npos ? std::string() : Utf8FromWide(exe.substr(0, slash));
    }

    std::string GetEnv(const std::string& name) override {
        std::wstring wideName = WideFromUtf8(name);
        DWORD n = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
        if (n == 0)
            return std::string();
        std::wstring value(n, L'\0');
        n = GetEnvironmentVariableW(wideName.c_str(), value.data(), n);
        value.resize(n < value.size() ? n : 0);
        return Utf8FromWide(value);
    }

    int AnsiCodePage() override { return static_cast<int>(GetACP()); }

    std::string ToUtf16Le(std::string_view text, int codePage) override {
        if (text.empty())
            return std::string();
        UINT cp = WindowsCodePage(codePage);
        int units = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        if (units <= 0)
            return std::string();
        std::wstring wide(static_cast<size_t>(units), L'\0');
        MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
        return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    }

    std::string FromUtf16Le(std::string_view utf16le, int codePage) override {
        size_t units = utf16le.size() / 2;
        if (units == 0)
            return std::string();
        std::wstring wide(units, L'\0');
        memcpy(wide.data(), utf16le.data(), units * 2);
        UINT cp = WindowsCodePage(codePage);
        int bytes = WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(units), nullptr, 0,
                                        nullptr, nullptr);
        if (bytes <= 0)
            return std::string();
        std::string out(static_cast<size_t>(bytes), '\0');
        WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(units), out.data(), bytes, nullptr,
                            nullptr);
        return out;
    }

    bool HasCodePage(int codePage) override {
        return IsValidCodePage(WindowsCodePage(codePage)) != 0;
    }

    bool IsLeadByte(int codePage, unsigned char byte) override {
        return IsDBCSLeadByteEx(WindowsCodePage(codePage), byte) != 0;
    }

    // One file when the volume and the file index agree. Files of other
    // sizes or times are told apart first, without opening them: the
    // volume's serial number is a question to another process in Wine.
    bool SameFile(const std::string& a, const std::string& b) override {
        WIN32_FILE_ATTRIBUTE_DATA da;
        WIN32_FILE_ATTRIBUTE_DATA db;
        if (!GetFileAttributesExW(WideFromUtf8(a).c_str(), GetFileExInfoStandard, &da) ||
            !GetFileAttributesExW(WideFromUtf8(b).c_str(), GetFileExInfoStandard, &db) ||
            da.nFileSizeHigh != db.nFileSizeHigh || da.nFileSizeLow != db.nFileSizeLow ||
            CompareFileTime(&da.ftLastWriteTime, &db.ftLastWriteTime) != 0)
            return false;
        BY_HANDLE_FILE_INFORMATION ia;
        BY_HANDLE_FILE_INFORMATION ib;
        return FileInformation(a, ia) && FileInformation(b, ib) &&
               ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
               ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
    }

    // Windows ignores letter case in every script, not only in ASCII.
    std::string FileNameKey(const std::string& name) override {
        std::wstring wide = WideFromUtf8(name);
        if (!wide.empty())
            CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
        return Utf8FromWide(wide);
    }

    // A console shows its own code page; a file or pipe gets ANSI.
    std::string TerminalText(const std::string& ansi) override {
        UINT console = GetConsoleOutputCP();
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        if (console == 0 || console == GetACP() || GetFileType(out) != FILE_TYPE_CHAR)
            return ansi;
        return FromUtf16Le(ToUtf16Le(ansi, kAnsiCodePage), static_cast<int>(console));
    }

    std::string TerminalUnicode(std::string_view utf16le) override {
        UINT console = GetConsoleOutputCP();
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        if (console == 0 || GetFileType(out) != FILE_TYPE_CHAR)
            return FromUtf16Le(utf16le, kAnsiCodePage);
        return FromUtf16Le(utf16le, static_cast<int>(console));
    }

private:
    static bool FileInformation(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        FileHandle f(CreateFileW(WideFromUtf8(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                 FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        return f.valid() && GetFileInformationByHandle(f.get(), &info) != 0;
    }

    static bool WriteInPlace(const std::string& path, std::string_view bytes) {
        FileHandle f(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        return f.valid() && WriteAll(f.get(), bytes) && f.Close();
    }
};

}  // namespace

System& PlatformSystem() {
    static Win32System system;
    return system;
}
