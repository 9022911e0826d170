// Feeds arbitrary bytes to the XML reader, with small limits so that the
// limits themselves are reached: once held in memory and once streamed in
// reads of a size taken from the input, which must give the same events
// (inputs this small never have text long enough to be given in parts).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/xml/XmlReader.h"

namespace {

class SlicedSource final : public FileReader {
public:
    SlicedSource(std::string_view bytes, size_t slice) : bytes_(bytes), slice_(slice) {}
    bool Read(char* buffer, size_t capacity, size_t& got) override {
        got = std::min({capacity, slice_, bytes_.size()});
        std::copy_n(bytes_.data(), got, buffer);
        bytes_.remove_prefix(got);
        return true;
    }

private:
    std::string_view bytes_;
    size_t slice_;
};

// The events as text; every third element skipped.
std::string Trace(XmlReader& xml) {
    xml.UsePrefix("urn:w", "w");
    std::string trace;
    size_t starts = 0;
    for (;;) {
        XmlEvent e = xml.Next();
        trace += static_cast<char>('0' + static_cast<int>(e));
        if (e == XmlEvent::End || e == XmlEvent::Error)
            return trace;
        if (e == XmlEvent::Text) {
            trace += xml.Text();
            continue;
        }
        trace += xml.Name();
        if (e == XmlEvent::StartElement) {
            if (const std::string* id = xml.Attribute("w:id"))
                trace += "=" + *id;
            if (++starts % 3 == 0 && !xml.SkipElement())
                return trace + "!";
        }
        trace += '>';
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    size_t slice = 1 + data[0] % 16;
    std::string_view doc(reinterpret_cast<const char*>(data) + 1, size - 1);
    XmlLimits limits;
    limits.maxDepth = 64;
    limits.maxAttributes = 8;
    limits.maxNameLength = 32;
    XmlReader whole(doc, limits);
    SlicedSource source(doc, slice);
    XmlReader streamed(source, limits);
    if (Trace(whole) != Trace(streamed))
        __builtin_trap();
    return 0;
}
