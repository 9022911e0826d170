// Fuzzes the header records and the ZIP directory reader: the input is an
// overlay followed by an archive, or a PE image with both after it (signed
// or not); every listed entry's data is then decoded.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSystem.h"
#include "SFXDirectory.h"
#include "SFXHeader.h"
#include "SFXInflate.h"
#include "SFXMemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetForInput();
    Vars.ArchivePath = "C:\\dl\\Setup.exe";
    Vars.ArchiveFile = std::make_unique<MemoryFile>(
        std::string(reinterpret_cast<const char*>(data), size));
    if (size >= 2 && data[0] == 'M' && data[1] == 'Z')
        Vars.OverlayStart = FindOverlay(data, size);
    try {
        LoadHeader();
        ReadDirectory();
        for (const EntryRecord& e : Vars.EntryTable) {
            LocateEntryData(e, static_cast<uint64_t>(e.LocalHeaderOffset()) + Vars.OffsetDelta);
            CountingFile output;
            Decoder = DecoderState();
            Decoder.input = Vars.ArchiveFile.get();
            Decoder.output = &output;
            Decoder.remaining = e.CompressedSize();
            if (e.Method() == 8)
                InflateEntry();
            else if (e.Method() == 0)
                CopyStoredEntry();
        }
    } catch (const ProgramExit&) {
    }
    return 0;
}
