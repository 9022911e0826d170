// unfurl's system seam on Windows: the ANSI functions of the Win32 API.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "sys/SfxSystem.h"

namespace {

constexpr DWORD kPathBufferSize = 520;

class Win32File : public SfxFile {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override { Close(); }
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    size_t Read(void* buffer, size_t count) override {
        DWORD got = 0;
        if (!::ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, nullptr))
            return 0;
        return got;
    }
    size_t Write(const void* buffer, size_t count) override {
        DWORD put = 0;
        if (!::WriteFile(handle_, buffer, static_cast<DWORD>(count), &put, nullptr))
            return 0;
        return put;
    }
    bool Seek(uint64_t position) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(position);
        return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
    }
    uint64_t Position() override {
        LARGE_INTEGER zero{}, at{};
        SetFilePointerEx(handle_, zero, &at, FILE_CURRENT);
        return static_cast<uint64_t>(at.QuadPart);
    }
    uint64_t Size() override {
        LARGE_INTEGER size{};
        GetFileSizeEx(handle_, &size);
        return static_cast<uint64_t>(size.QuadPart);
    }

    // Extraction and volumes.
    bool Close() override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return true;
        bool ok = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }
    bool SetDosTime(uint16_t dosDate, uint16_t dosTime) override {
        FILETIME local, utc;
        if (!DosDateTimeToFileTime(dosDate, dosTime, &local) ||
            !LocalFileTimeToFileTime(&local, &utc))
            return false;
        return SetFileTime(handle_, nullptr, nullptr, &utc) != 0;
    }

private:
    HANDLE handle_;
};

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_)
            RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

HKEY RootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users: return HKEY_USERS;
    }
    return HKEY_CURRENT_USER;
}

class Win32SfxSystem : public SfxSystem {
public:
    std::unique_ptr<SfxFile> OpenRead(const std::string& path) override {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? nullptr : std::make_unique<Win32File>(h);
    }
    std::unique_ptr<SfxFile> CreateWrite(const std::string& path) override {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? nullptr : std::make_unique<Win32File>(h);
    }
    bool PathExists(const std::string& path) override {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool FolderExists(const std::string& path) override {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::string ExpandEnvironment(const std::string& text) override {
        std::vector<char> buffer(kPathBufferSize, '\0');
        DWORD n = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), kPathBufferSize - 1);
        if (n == 0 || n > kPathBufferSize - 1)
            return std::string();
        return std::string(buffer.data());
    }
    std::string CurrentDirectory() override {
        char buffer[MAX_PATH] = {};
        DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
        return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
    }
    std::string FullPath(const std::string& path) override {
        char buffer[kPathBufferSize] = {};
        DWORD n = GetFullPathNameA(path.c_str(), kPathBufferSize, buffer, nullptr);
        return n > 0 && n < kPathBufferSize ? std::string(buffer, n) : std::string();
    }
    bool QueryRegistryValue(RegistryRoot root, const std::string& key, const std::string& value,
                            std::string& data) override {
        RegKey opened;
        if (RegOpenKeyA(RootKey(root), key.c_str(), opened.Out()) != ERROR_SUCCESS)
            return false;
        BYTE buffer[kPathBufferSize] = {};
        DWORD size = sizeof buffer;
        if (RegQueryValueExA(opened.Get(), value.empty() ? nullptr : value.c_str(), nullptr,
                             nullptr, buffer, &size) != ERROR_SUCCESS)
            return false;
        data.assign(reinterpret_cast<const char*>(buffer), size);
        return true;
    }
    std::string OemToAnsi(const std::string& text) override {
        std::string out = text;
        if (!out.empty())
            OemToCharBuffA(text.data(), out.data(), static_cast<DWORD>(out.size()));
        return out;
    }
    std::string Utf8ToAnsi(const std::string& text) override {
        return Recode(text, CP_UTF8, CP_ACP, "_");
    }

    // --- Start-up, starting the command and the clean-up after it ---
    void SetEnvironmentValue(const std::string& name, const std::string& value) override {
        SetEnvironmentVariableA(name.c_str(), value.c_str());
    }
    uint32_t TickCount() override { return GetTickCount(); }
    bool ChangeDirectory(const std::string& path) override {
        return SetCurrentDirectoryA(path.c_str()) != 0;
    }
    // The buffer is the path's own length, as the short form never grows.
    std::string ShortPath(const std::string& path) override {
        std::vector<char> buffer(path.begin(), path.end());
        buffer.push_back('\0');
        DWORD n = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(path.size()));
        if (n == 0 || n >= path.size())
            return std::string();
        return std::string(buffer.data());
    }
    int ShellOpen(const std::string& file, const std::string& parameters,
                  const std::string& folder) override {
        HINSTANCE code = ShellExecuteA(nullptr, "open", file.c_str(),
                                       parameters.empty() ? nullptr : parameters.c_str(),
                                       folder.empty() ? nullptr : folder.c_str(), SW_SHOW);
        return static_cast<int>(reinterpret_cast<INT_PTR>(code));
    }
    int StartCommandLine(const std::string& commandLine) override {
        return static_cast<int>(WinExec(commandLine.c_str(), SW_SHOW));
    }
    bool IsNtPlatform() override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
    std::string SystemProgramFolder() override {
        char buffer[MAX_PATH] = {};
        UINT n = IsNtPlatform() ? GetSystemDirectoryA(buffer, MAX_PATH)
                                : GetWindowsDirectoryA(buffer, MAX_PATH);
        return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
    }
    bool WriteRegistryText(RegistryRoot root, const std::string& key, const std::string& value,
                           const std::string& text) override {
        RegKey created;
        if (RegCreateKeyA(RootKey(root), key.c_str(), created.Out()) != ERROR_SUCCESS)
            return false;
        return RegSetValueExA(created.Get(), value.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    }
    // --- end of start-up and command block ---

    // Extraction and volumes.
    bool CreateFolder(const std::string& path) override {
        return CreateDirectoryA(path.c_str(), nullptr) != 0;
    }
    bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }
    bool RemoveEmptyFolder(const std::string& path) override {
        return RemoveDirectoryA(path.c_str()) != 0;
    }
    // The system deletes the file when its handle closes, even when the
    // process ends without closing it.
    std::unique_ptr<SfxFile> CreateTemporary(const std::string& path) override {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        return h == INVALID_HANDLE_VALUE ? nullptr : std::make_unique<Win32File>(h);
    }
    std::string TempFileName(const std::string& folder, const std::string& prefix) override {
        char buffer[MAX_PATH] = {};
        if (GetTempFileNameA(folder.c_str(), prefix.c_str(), 0, buffer) == 0)
            return std::string();
        return std::string(buffer);
    }
    unsigned DriveType(const std::string& root) override { return GetDriveTypeA(root.c_str()); }
    bool VolumeLabel(const std::string& root, std::string& label) override {
        char buffer[MAX_PATH] = {};
        if (!GetVolumeInformationA(root.c_str(), buffer, MAX_PATH, nullptr, nullptr, nullptr,
                                   nullptr, 0))
            return false;
        label = buffer;
        return true;
    }

#ifndef UNFURL_STUB
    // A console shows its own code page; a file or pipe gets ANSI. The stub
    // has no console, so it leaves this out.
    std::string ConsoleText(const std::string& text) override {
        UINT console = GetConsoleOutputCP();
        if (console == 0 || console == GetACP() ||
            GetFileType(GetStdHandle(STD_ERROR_HANDLE)) != FILE_TYPE_CHAR)
            return text;
        return Recode(text, CP_ACP, console, nullptr);
    }
#endif

private:
    // Text from one code page to another through UTF-16; characters the
    // target lacks become 'missing' (the system's default when null).
    static std::string Recode(const std::string& text, UINT from, UINT to, const char* missing) {
        if (text.empty())
            return text;
        int wide = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0);
        std::vector<wchar_t> chars(static_cast<size_t>(wide) + 1);
        MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), chars.data(),
                            wide);
        int bytes = WideCharToMultiByte(to, 0, chars.data(), wide, nullptr, 0, missing, nullptr);
        std::string out(static_cast<size_t>(bytes), '\0');
        WideCharToMultiByte(to, 0, chars.data(), wide, out.data(), bytes, missing, nullptr);
        return out;
    }
};

}  // namespace

SfxSystem& PlatformSfxSystem() {
    static Win32SfxSystem system;
    return system;
}
