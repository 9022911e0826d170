// Feeds arbitrary bytes to the XML reader, with small limits so that the
// limits themselves are reached, and skips every third element whole.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "convert/xml/XmlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XmlLimits limits;
    limits.maxDepth = 64;
    limits.maxAttributes = 8;
    limits.maxNameLength = 32;
    XmlReader xml(std::string_view(reinterpret_cast<const char*>(data), size), limits);
    size_t starts = 0;
    for (;;) {
        XmlEvent e = xml.Next();
        if (e == XmlEvent::End || e == XmlEvent::Error)
            break;
        if (e == XmlEvent::StartElement) {
            xml.Attribute("id");
            if (++starts % 3 == 0 && !xml.SkipElement())
                break;
        }
    }
    return 0;
}
