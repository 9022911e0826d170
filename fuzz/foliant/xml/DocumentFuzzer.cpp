// Feeds arbitrary bytes to one of the XML-based document readers, chosen
// when the target is built (DOCX, ODT, EPUB or FictionBook).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/xml/XmlDocuments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text;
    FUZZED_READER(PlatformSystem(), std::string_view(reinterpret_cast<const char*>(data), size), text);
    return 0;
}
