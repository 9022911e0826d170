// Feeds arbitrary bytes to the HTML filter, as a page file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "MemorySystem.h"
#include "convert/html/Mod_Htm2Txt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySystem sys;
    sys.files["C:\\in.htm"] = std::string(reinterpret_cast<const char*>(data), size);
    int last = -1;
    HtmlToText(sys, "C:\\in.htm", "C:\\out.txt", TextCoding::Ansi(), [&last](int percent) {
        if (percent < 0 || percent > 100)
            __builtin_trap();
        last = percent;
    });
    return 0;
}
