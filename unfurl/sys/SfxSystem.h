// unfurl's system seam: files, attributes, environment, current folder,
// registry and code-page conversion. Paths are Windows paths and text is
// UTF-8; each implementation maps both at its boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// An open file. Reads and writes return the bytes actually moved.
class SfxFile {
public:
    virtual ~SfxFile() = default;
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual bool Seek(uint64_t position) = 0;
    virtual uint64_t Position() = 0;
    virtual uint64_t Size() = 0;

    // Extraction and volumes.
    // Closes the file, reporting whether the close succeeded (buffered data
    // reached the disk). Further calls do nothing and succeed.
    virtual bool Close() { return true; }
    // Sets only the last-write time from a DOS date and time read as local
    // time. False, with the time left as it was, when the date or time is
    // invalid or the system refuses.
    virtual bool SetDosTime(uint16_t /*dosDate*/, uint16_t /*dosTime*/) { return false; }
};

// Registry roots the stub can read a destination from.
enum class RegistryRoot { CurrentUser, LocalMachine, Users };

// The code pages of the system that names and header texts without UTF-8
// come in.
enum class CodePage { Ansi, Oem };

class SfxSystem {
public:
    virtual ~SfxSystem() = default;

    // Read with read sharing; nullptr when the file cannot be opened.
    virtual std::unique_ptr<SfxFile> OpenRead(const std::string& path) = 0;
    // Create or truncate for writing; nullptr on failure.
    virtual std::unique_ptr<SfxFile> CreateWrite(const std::string& path) = 0;

    // The attribute query succeeds (files and folders).
    virtual bool PathExists(const std::string& path) = 0;
    virtual bool FolderExists(const std::string& path) = 0;

    // Environment variables in %NAME% form expanded; unknown names stay.
    virtual std::string ExpandEnvironment(const std::string& text) = 0;
    virtual std::string CurrentDirectory() = 0;
    // Absolute form of a path; empty on failure.
    virtual std::string FullPath(const std::string& path) = 0;

    // A value's bytes (its terminating zero included when it has one); text
    // values in UTF-8.
    virtual bool QueryRegistryValue(RegistryRoot root, const std::string& key,
                                    const std::string& value, std::string& data) = 0;

    // Text in one of the system's code pages as UTF-8.
    virtual std::string ToUtf8(const std::string& text, CodePage from) = 0;

    // --- Start-up, starting the command and the clean-up after it ---
    // Sets an environment variable of this process (children inherit it).
    virtual void SetEnvironmentValue(const std::string& name, const std::string& value) = 0;
    // Milliseconds since the system started.
    virtual uint32_t TickCount() = 0;
    virtual bool ChangeDirectory(const std::string& path) = 0;
    // The short (8.3) form of an existing path; empty on failure.
    virtual std::string ShortPath(const std::string& path) = 0;
    // Opens a file through the shell ("open", shown normally); 32 or more
    // means it was started.
    virtual int ShellOpen(const std::string& file, const std::string& parameters,
                          const std::string& folder) = 0;
    // Runs a command line, shown normally; 32 or more means it was started.
    virtual int StartCommandLine(const std::string& commandLine) = 0;
    // True on the NT family of Windows.
    virtual bool IsNtPlatform() = 0;
    // Where the system's own programs are: the system folder on NT, the
    // Windows folder on the others. Empty when it cannot be read.
    virtual std::string SystemProgramFolder() = 0;
    // Creates the key when missing and writes a REG_SZ value (stored with
    // its terminating zero); false when either step fails.
    virtual bool WriteRegistryText(RegistryRoot root, const std::string& key,
                                   const std::string& value, const std::string& text) = 0;
    // --- end of start-up and command block ---

    // Extraction and volumes. The defaults fail, so a system that does not
    // provide them can still read archives.
    // Creates one folder (its parent must exist). NameTaken: something,
    // a file, a folder or a link, holds the name already.
    enum class FolderCreation { Created, NameTaken, Failed };
    virtual FolderCreation CreateFolder(const std::string& /*path*/) {
        return FolderCreation::Failed;
    }
    virtual bool RemoveFile(const std::string& /*path*/) { return false; }
    // Removes a folder only when it is empty.
    virtual bool RemoveEmptyFolder(const std::string& /*path*/) { return false; }
    // A new file for reading and writing, no sharing, marked temporary;
    // nullptr when the name exists (never opened over a file, link or
    // anything else already there) or on failure.
    virtual std::unique_ptr<SfxFile> CreateTemporary(const std::string& /*path*/) {
        return nullptr;
    }
    // A new unique file name in 'folder' starting with 'prefix'; the file is
    // created empty. Empty on failure.
    virtual std::string TempFileName(const std::string& /*folder*/,
                                     const std::string& /*prefix*/) {
        return std::string();
    }
    // The drive type of a root path: 0 unknown, 1 no root, 2 removable,
    // 3 fixed, 4 remote, 5 CD-ROM, 6 RAM disk.
    virtual unsigned DriveType(const std::string& /*root*/) { return 0; }
    // The volume label of a root path; false when it cannot be read.
    virtual bool VolumeLabel(const std::string& /*root*/, std::string& /*label*/) {
        return false;
    }

    // A text of the core (UTF-8, paths in Windows form) as a console tool
    // shows it: paths as the host writes them, characters in the encoding
    // of the user's terminal.
    virtual std::string ConsoleText(const std::string& text) { return text; }
    // UTF-8 from a command line as the ANSI code page holds it, for what
    // an archive keeps in that code page (header texts, passwords);
    // unmappable characters become "_". Where command lines are bytes
    // already (POSIX) they stay as they are.
    virtual std::string ToAnsi(const std::string& text) { return text; }
};

// The implementation for the platform this build runs on.
SfxSystem& PlatformSfxSystem();
