// Feeds arbitrary bytes to the Word 97-2003 reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/doc/DocReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text;
    DocToPlainText(PlatformSystem(), std::string_view(reinterpret_cast<const char*>(data), size), text);
    return 0;
}
