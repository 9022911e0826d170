// Feeds arbitrary bytes to the language-file reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "MemorySystem.h"
#include "settings/LanguageTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySystem sys;
    sys.files[LanguageFilePath("C:\\Program", "eng")] =
        std::string(reinterpret_cast<const char*>(data), size);
    LanguageTable table;
    ReadLanguageFile(sys, "C:\\Program", "eng", table);
    if (table.MaxLngNum >= 0 && table.LangStrings.size() != static_cast<size_t>(table.MaxLngNum) + 1)
        __builtin_trap();
    return 0;
}
