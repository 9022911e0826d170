// unfurl's system seam on Windows: the wide functions of the Win32 API, with
// the core's UTF-8 converted at each call.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "sys/SfxSystem.h"
#include "sys/WideText.h"

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

// A folder or file name a call fills in, up to MAX_PATH units, as UTF-8;
// empty when the call failed or the buffer was too small.
template <typename Call>
std::string FilledName(Call call) {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = call(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Utf8Of(buffer) : std::string();
}

class Win32SfxSystem : public SfxSystem {
public:
    std::unique_ptr<SfxFile> OpenRead(const std::string& path) override {
        return Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    }
    std::unique_ptr<SfxFile> CreateWrite(const std::string& path) override {
        return Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    }
    bool PathExists(const std::string& path) override {
        return Attributes(path) != INVALID_FILE_ATTRIBUTES;
    }
    bool FolderExists(const std::string& path) override {
        DWORD attributes = Attributes(path);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::string ExpandEnvironment(const std::string& text) override {
        wchar_t buffer[kPathBufferSize] = {};
        DWORD n = ExpandEnvironmentStringsW(WideText(text), buffer, kPathBufferSize - 1);
        if (n == 0 || n > kPathBufferSize - 1)
            return std::string();
        return Utf8Of(buffer);
    }
    std::string CurrentDirectory() override {
        return FilledName([](wchar_t* b, DWORD size) { return GetCurrentDirectoryW(size, b); });
    }
    std::string FullPath(const std::string& path) override {
        wchar_t buffer[kPathBufferSize] = {};
        DWORD n = GetFullPathNameW(WideText(path), kPathBufferSize, buffer, nullptr);
        return n > 0 && n < kPathBufferSize ? Utf8Of(buffer) : std::string();
    }
    // Text values come back as UTF-8 with their zero; others as they are.
    bool QueryRegistryValue(RegistryRoot root, const std::string& key, const std::string& value,
                            std::string& data) override {
        RegKey opened;
        if (RegOpenKeyW(RootKey(root), WideText(key), opened.Out()) != ERROR_SUCCESS)
            return false;
        wchar_t buffer[kPathBufferSize] = {};
        DWORD size = sizeof buffer, type = 0;
        if (RegQueryValueExW(opened.Get(), value.empty() ? nullptr : WideText(value).get(),
                             nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                             &size) != ERROR_SUCCESS)
            return false;
        if (type == REG_SZ || type == REG_EXPAND_SZ)
            data = Utf8Of(buffer, static_cast<int>(size / sizeof(wchar_t)));
        else
            data.assign(reinterpret_cast<const char*>(buffer), size);
        return true;
    }
    std::string ToUtf8(const std::string& text, CodePage from) override {
        if (text.empty())
            return text;
        UINT page = from == CodePage::Oem ? CP_OEMCP : CP_ACP;
        int units = MultiByteToWideChar(page, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0);
        std::vector<wchar_t> chars(static_cast<size_t>(units) + 1);
        MultiByteToWideChar(page, 0, text.data(), static_cast<int>(text.size()), chars.data(),
                            units);
        return Utf8Of(chars.data(), units);
    }

    // --- Start-up, starting the command and the clean-up after it ---
    void SetEnvironmentValue(const std::string& name, const std::string& value) override {
        SetEnvironmentVariableW(WideText(name), WideText(value));
    }
    uint32_t TickCount() override { return GetTickCount(); }
    bool ChangeDirectory(const std::string& path) override {
        return SetCurrentDirectoryW(WideText(path)) != 0;
    }
    std::string ShortPath(const std::string& path) override {
        wchar_t buffer[kPathBufferSize] = {};
        DWORD n = GetShortPathNameW(WideText(path), buffer, kPathBufferSize);
        return n > 0 && n < kPathBufferSize ? Utf8Of(buffer) : std::string();
    }
    int ShellOpen(const std::string& file, const std::string& parameters,
                  const std::string& folder) override {
        WideText wideParameters(parameters), wideFolder(folder);
        HINSTANCE code = ShellExecuteW(nullptr, L"open", WideText(file),
                                       parameters.empty() ? nullptr : wideParameters.get(),
                                       folder.empty() ? nullptr : wideFolder.get(),
                                       SW_SHOW);
        return static_cast<int>(reinterpret_cast<INT_PTR>(code));
    }
    // Started and left to run; the handles the start gives are not kept.
    int StartCommandLine(const std::string& commandLine) override {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOW;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, WideText(commandLine), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &started))
            return 0;
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        return kStarted;
    }
    bool IsNtPlatform() override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
    std::string SystemProgramFolder() override {
        if (IsNtPlatform())
            return FilledName([](wchar_t* b, DWORD size) { return GetSystemDirectoryW(b, size); });
        return FilledName([](wchar_t* b, DWORD size) { return GetWindowsDirectoryW(b, size); });
    }
    bool WriteRegistryText(RegistryRoot root, const std::string& key, const std::string& value,
                           const std::string& text) override {
        RegKey created;
        if (RegCreateKeyW(RootKey(root), WideText(key), created.Out()) != ERROR_SUCCESS)
            return false;
        WideText wide(text);
        return RegSetValueExW(created.Get(), WideText(value), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(wide.get()),
                              static_cast<DWORD>((lstrlenW(wide) + 1) * sizeof(wchar_t))) ==
               ERROR_SUCCESS;
    }
    // --- end of start-up and command block ---

    // Extraction and volumes.
    FolderCreation CreateFolder(const std::string& path) override {
        if (CreateDirectoryW(WideText(path), nullptr))
            return FolderCreation::Created;
        return GetLastError() == ERROR_ALREADY_EXISTS ? FolderCreation::NameTaken
                                                      : FolderCreation::Failed;
    }
    bool RemoveFile(const std::string& path) override { return DeleteFileW(WideText(path)) != 0; }
    bool RemoveEmptyFolder(const std::string& path) override {
        return RemoveDirectoryW(WideText(path)) != 0;
    }
    // The system deletes the file when its handle closes, even when the
    // process ends without closing it.
    std::unique_ptr<SfxFile> CreateTemporary(const std::string& path) override {
        return Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
    }
    std::string TempFileName(const std::string& folder, const std::string& prefix) override {
        wchar_t buffer[MAX_PATH] = {};
        if (GetTempFileNameW(WideText(folder), WideText(prefix), 0, buffer) == 0)
            return std::string();
        return Utf8Of(buffer);
    }
    unsigned DriveType(const std::string& root) override { return GetDriveTypeW(WideText(root)); }
    bool VolumeLabel(const std::string& root, std::string& label) override {
        wchar_t buffer[MAX_PATH] = {};
        if (!GetVolumeInformationW(WideText(root), buffer, MAX_PATH, nullptr, nullptr, nullptr,
                                   nullptr, 0))
            return false;
        label = Utf8Of(buffer);
        return true;
    }

#ifndef UNFURL_STUB
    // A console shows its own code page; a file or pipe gets UTF-8. The
    // stub has no console, so it leaves this out.
    std::string ConsoleText(const std::string& text) override {
        UINT console = GetConsoleOutputCP();
        if (console == 0 || GetFileType(GetStdHandle(STD_ERROR_HANDLE)) != FILE_TYPE_CHAR)
            return text;
        return FromUtf8(text, console);
    }
    std::string ToAnsi(const std::string& text) override { return FromUtf8(text, CP_ACP); }
#endif

private:
    static constexpr int kStarted = 33;

    static std::unique_ptr<SfxFile> Open(const std::string& path, DWORD access, DWORD share,
                                         DWORD disposition, DWORD flags) {
        HANDLE h = CreateFileW(WideText(path), access, share, nullptr, disposition, flags, nullptr);
        return h == INVALID_HANDLE_VALUE ? nullptr : std::make_unique<Win32File>(h);
    }
    static DWORD Attributes(const std::string& path) {
        return GetFileAttributesW(WideText(path));
    }

#ifndef UNFURL_STUB
    // UTF-8 in a code page; characters it lacks become "_", never a
    // look-alike.
    static std::string FromUtf8(const std::string& text, UINT to) {
        if (to == CP_ACP)
            to = GetACP();
        if (to == CP_UTF8)
            return text;
        WideText wide(text);
        DWORD flags = WC_NO_BEST_FIT_CHARS;
        int bytes = WideCharToMultiByte(to, flags, wide, -1, nullptr, 0, "_", nullptr);
        if (bytes <= 1)
            return std::string();
        std::string out(static_cast<size_t>(bytes), '\0');
        WideCharToMultiByte(to, flags, wide, -1, out.data(), bytes, "_", nullptr);
        out.pop_back();
        return out;
    }
#endif
};

}  // namespace

SfxSystem& PlatformSfxSystem() {
    static Win32SfxSystem system;
    return system;
}
