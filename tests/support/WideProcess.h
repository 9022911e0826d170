// Starts a Windows program from a command line given in UTF-8, through the
// wide API so that every character reaches it as typed, waits for it and
// collects its exit code and what it wrote to standard output and error.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace wide_process {

struct CloseHandleDeleter {
    void operator()(HANDLE handle) const {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, CloseHandleDeleter>;

inline std::wstring WideOfUtf8(const std::string& text) {
    int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace wide_process

struct WideProcessEnd {
    int code = -1;          // -1 when it did not start or did not end in time
    std::string out, err;   // 'err' stays empty when both went to one file
};

// Runs 'commandLine' (UTF-8) from 'folder' (this program's current folder
// when empty), its standard output into 'outFile' and its standard error
// into 'errFile', or into 'outFile' too when that is empty. A program still
// running after 'timeout' is ended.
inline WideProcessEnd RunWideCommand(const std::string& commandLine, std::chrono::seconds timeout,
                                     const std::filesystem::path& outFile,
                                     const std::filesystem::path& errFile = {},
                                     const std::filesystem::path& folder = {}) {
    using wide_process::UniqueHandle;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    auto create = [&](const std::filesystem::path& path) {
        return UniqueHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    UniqueHandle out = create(outFile);
    UniqueHandle err = errFile.empty() ? nullptr : create(errFile);
    HANDLE errHandle = errFile.empty() ? out.get() : err.get();
    WideProcessEnd end;
    if (out.get() == INVALID_HANDLE_VALUE || errHandle == INVALID_HANDLE_VALUE)
        return end;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = errHandle;
    PROCESS_INFORMATION started{};
    std::wstring line = wide_process::WideOfUtf8(commandLine);
    BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                             nullptr, folder.empty() ? nullptr : folder.c_str(), &startup,
                             &started);
    // The program holds its own copies; the files are read back below.
    out.reset();
    err.reset();
    if (ok) {
        UniqueHandle process(started.hProcess), thread(started.hThread);
        DWORD wait = static_cast<DWORD>(timeout.count() * 1000);
        DWORD code = 0;
        if (WaitForSingleObject(started.hProcess, wait) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(started.hProcess, &code))
            end.code = static_cast<int>(code);
        else
            TerminateProcess(started.hProcess, 99);
    }
    end.out = wide_process::ReadAll(outFile);
    if (!errFile.empty())
        end.err = wide_process::ReadAll(errFile);
    return end;
}
