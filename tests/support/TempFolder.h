// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes. Path() is in the Windows form the cores use.
#pragma once

#include <string>
#include <string_view>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, without a trailing backslash.
    const std::string& Path() const { return path_; }
    // The folder as the host's own file functions name it.
    const std::string& Native() const { return native_; }
    // Path() + "\" + name.
    std::string File(std::string_view name) const;

    // Plain file access for test set-up, by UTF-8 name inside the folder.
    void Write(std::string_view name, std::string_view bytes) const;
    std::string Read(std::string_view name) const;
    bool Exists(std::string_view name) const;

private:
    std::string native_;
    std::string path_;
};

// The folder of the package files copied beside the programs.
std::string PackageFolderForTests();
