// Fuzzes the extraction run over a listed archive: every entry selected,
// spanned archives staged across volumes that all hold the input again,
// output files that only count what is written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSystem.h"
#include "SFXDirectory.h"
#include "SFXExtract.h"
#include "SFXHeader.h"
#include "SFXMemoryFile.h"

namespace {

// Entries whose data would take too long to copy are left out.
constexpr uint32_t kMaxEntrySize = 1u << 20;

class ExtractFuzzSystem : public FuzzSystem {
public:
    std::string archive;
    std::unique_ptr<SfxFile> OpenRead(const std::string&) override {
        return std::make_unique<MemoryFile>(archive);
    }
    std::unique_ptr<SfxFile> CreateWrite(const std::string&) override {
        return std::make_unique<CountingFile>();
    }
    FolderCreation CreateFolder(const std::string&) override { return FolderCreation::Created; }
    bool RemoveFile(const std::string&) override { return true; }
    std::unique_ptr<SfxFile> CreateTemporary(const std::string&) override {
        return std::make_unique<MemoryFile>();
    }
    std::string TempFileName(const std::string& folder, const std::string& prefix) override {
        return folder + prefix + "1.tmp";
    }
    unsigned DriveType(const std::string&) override { return 3; }
};

class ExtractFuzzHost : public FuzzHost {
public:
    void AddListItem(const std::string& name, size_t index, uint32_t size, bool) override {
        ListKeepingHost::AddListItem(name, index, size, true);
    }
    int AskOverwrite(const std::string&) override { return 1; }
    int AskPassword(const std::string&) override {
        Vars.CurrentPassword = "pw";
        return 1;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ExtractFuzzSystem system;
    static ExtractFuzzHost host;
    ResetForInput();
    system.archive.assign(reinterpret_cast<const char*>(data), size);
    host.items.clear();
    Vars.system = &system;
    Vars.host = &host;
    Vars.ArchivePath = "C:\\dl\\Setup.exe";
    Vars.ArchiveFile = std::make_unique<MemoryFile>(system.archive);
    try {
        LoadHeader();
        ReadDirectory();
        for (const EntryRecord& e : Vars.EntryTable)
            if (e.CompressedSize() > kMaxEntrySize)
                return 0;
        Vars.Destination = "C:\\Out";
        ExtractRun();
    } catch (const ProgramExit&) {
    }
    return 0;
}
