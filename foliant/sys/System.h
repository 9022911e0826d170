// The system seam of foliant: everything the core needs from the operating
// system. Paths are Windows paths ("C:\Out\Book\") in UTF-8, so any name
// the file system holds can be opened; each implementation maps them at its
// own boundary. Texts of the language files are bytes in the ANSI code page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Code-page numbers as Windows names them; 0 and 1 stand for the system's
// own ANSI and OEM code pages.
constexpr int kAnsiCodePage = 0;
constexpr int kOemCodePage = 1;
constexpr int kUtf8CodePage = 65001;

// A file open for reading, in order from its first byte.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Up to 'capacity' bytes into 'buffer'; 'got' is 0 at the end of the
    // file. False on a read error.
    virtual bool Read(char* buffer, size_t capacity, size_t& got) = 0;
};

// A file open for writing from its start. Close reports whether every byte
// reached the file; the destructor closes without telling.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    virtual bool Write(std::string_view bytes) = 0;
    virtual bool Close() = 0;
};

struct CalendarDate {
    int year = 0;   // four digits
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
};

class System {
public:
    virtual ~System() = default;

    // Whole-file access. WriteFile creates or replaces the file.
    virtual bool ReadFile(const std::string& path, std::string& bytes) = 0;
    virtual bool WriteFile(const std::string& path, std::string_view bytes) = 0;

    virtual bool FileExists(const std::string& path) = 0;    // an ordinary file
    virtual bool FolderExists(const std::string& path) = 0;

    // Streamed access for files of any size. CreateForWriting creates the
    // file or empties an existing one. Both give null on failure.
    virtual std::unique_ptr<FileReader> OpenForReading(const std::string& path) = 0;
    virtual std::unique_ptr<FileWriter> CreateForWriting(const std::string& path) = 0;

    // Size in bytes of an ordinary file; false when it cannot be measured.
    virtual bool FileSize(const std::string& path, int64_t& size) = 0;
    // One folder level; false when it cannot be made or already exists.
    virtual bool CreateFolder(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;

    // The system's own folder for temporary files, with a trailing backslash.
    virtual std::string SystemTempFolder() = 0;
    // A path as a user typed it (relative or absolute, in the host's own
    // form) as a full path in the core's form.
    virtual std::string FullPath(const std::string& typed) = 0;
    // Milliseconds since the system started, wrapping like a 32-bit counter.
    virtual uint32_t TickCount() = 0;
    virtual CalendarDate Today() = 0;

    // Folder of the running program, without a trailing backslash.
    virtual std::string ProgramFolder() = 0;
    // Empty when the variable is unset.
    virtual std::string GetEnv(const std::string& name) = 0;

    // The number of the code page that kAnsiCodePage stands for.
    virtual int AnsiCodePage() = 0;
    // Text in a code page to UTF-16LE bytes, and back. Characters the target
    // code page cannot hold become '?'; undecodable bytes become U+FFFD.
    virtual std::string ToUtf16Le(std::string_view text, int codePage) = 0;
    virtual std::string FromUtf16Le(std::string_view utf16le, int codePage) = 0;

    // True when the system converts text of this code page.
    virtual bool HasCodePage(int /*codePage*/) { return true; }
    // True when 'byte' opens a two-byte character in the code page (the
    // double-byte ANSI code pages of East Asian systems); false in every
    // single-byte code page.
    virtual bool IsLeadByte(int /*codePage*/, unsigned char /*byte*/) { return false; }
    // True when both paths name one existing file, however they are spelt.
    // This fallback compares the spellings, ignoring ASCII letter case.
    virtual bool SameFile(const std::string& a, const std::string& b) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i) {
            char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
            char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
            if (x != y)
                return false;
        }
        return FileExists(a);
    }
    // A file name as the file system tells names apart: names with one key
    // name one file in a folder. This fallback folds ASCII letters only.
    virtual std::string FileNameKey(const std::string& name) {
        std::string key = name;
        for (char& c : key)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return key;
    }
    // A path in the core's form as the user of this host writes it: for
    // messages.
    virtual std::string DisplayPath(const std::string& path) { return path; }
    // Text of the ANSI code page in the encoding of the user's terminal.
    virtual std::string TerminalText(const std::string& ansi) { return ansi; }
    // UTF-16LE text in the encoding of the user's terminal, "?" for what
    // it cannot show.
    virtual std::string TerminalUnicode(std::string_view utf16le) {
        return TerminalText(FromUtf16Le(utf16le, kAnsiCodePage));
    }
};

// Text between the ANSI code page and UTF-8.
inline std::string Utf8FromAnsi(System& sys, std::string_view ansi) {
    return sys.FromUtf16Le(sys.ToUtf16Le(ansi, kAnsiCodePage), kUtf8CodePage);
}
inline std::string AnsiFromUtf8(System& sys, std::string_view utf8) {
    return sys.FromUtf16Le(sys.ToUtf16Le(utf8, kUtf8CodePage), kAnsiCodePage);
}

// The implementation for the platform this build runs on.
System& PlatformSystem();
