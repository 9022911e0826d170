// Detection reads the file once, in chunks.
#include "convert/text/UnicodeText.h"

#include <memory>
#include <string_view>
#include <vector>

#include "convert/text/Unicode.h"

constexpr size_t kChunkSize = 1 << 20;

TextEncoding DetectTextEncoding(System& sys, const std::string& path) {
    std::unique_ptr<FileReader> in = sys.OpenForReading(path);
    if (!in)
        return TextEncoding::Bytes;
    std::vector<char> buffer(kChunkSize);
    size_t got = 0;
    if (!in->Read(buffer.data(), buffer.size(), got))
        return TextEncoding::Bytes;
    std::string_view start(buffer.data(), got);
    if (start.substr(0, 3) == "\xEF\xBB\xBF")
        return TextEncoding::Utf8;
    if (start.substr(0, 2) == "\xFF\xFE")
        return TextEncoding::Utf16Le;
    if (start.substr(0, 2) == "\xFE\xFF")
        return TextEncoding::Utf16Be;
    // Without a mark, UTF-8 is text that decodes cleanly and is not all ASCII.
    Utf8Decoder utf8;
    bool nonAscii = false;
    auto note = [&nonAscii](uint32_t c) { nonAscii |= c >= 0x80; };
    while (got > 0 && !utf8.Damaged()) {
        utf8.Feed(std::string_view(buffer.data(), got), note);
        if (!in->Read(buffer.data(), buffer.size(), got))
            return TextEncoding::Bytes;
    }
    utf8.Finish(note);
    return nonAscii && !utf8.Damaged() ? TextEncoding::Utf8 : TextEncoding::Bytes;
}
