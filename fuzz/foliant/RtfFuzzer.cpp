// Feeds arbitrary bytes to the RTF reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/rtf/RtfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text;
    RtfToPlainText(PlatformSystem(), std::string_view(reinterpret_cast<const char*>(data), size), text);
    return 0;
}
