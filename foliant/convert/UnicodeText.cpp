// Detection reads the file once in chunks; conversion reads it again and
// converts chunk by chunk, never splitting a character between chunks.
#include "convert/UnicodeText.h"

#include <memory>
#include <vector>

#include "convert/rtf/AnsiText.h"

namespace {

constexpr size_t kChunkSize = 1 << 20;

// UTF-8 checked a byte at a time, so a character may span two chunks.
// Format note: overlong forms, surrogates and code points past U+10FFFF are
// not valid UTF-8; the second byte's range rules them out.
class Utf8Validator {
public:
    void Feed(const char* bytes, size_t size) {
        for (size_t i = 0; i < size && valid_; ++i)
            Step(static_cast<unsigned char>(bytes[i]));
    }
    // Valid, complete, and with at least one non-ASCII character.
    bool IsUtf8() const { return valid_ && need_ == 0 && sawMultiByte_; }
    bool Valid() const { return valid_; }

private:
    void Step(unsigned char b) {
        if (need_ > 0) {
            if (b < low_ || b > high_) {
                valid_ = false;
                return;
            }
            low_ = 0x80;
            high_ = 0xBF;
            --need_;
            return;
        }
        if (b < 0x80)
            return;
        sawMultiByte_ = true;
        low_ = 0x80;
        high_ = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            need_ = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need_ = 2;
            if (b == 0xE0)
                low_ = 0xA0;
            if (b == 0xED)
                high_ = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need_ = 3;
            if (b == 0xF0)
                low_ = 0x90;
            if (b == 0xF4)
                high_ = 0x8F;
        } else {
            valid_ = false;
        }
    }

    int need_ = 0;
    unsigned char low_ = 0x80;
    unsigned char high_ = 0xBF;
    bool valid_ = true;
    bool sawMultiByte_ = false;
};

// How many bytes at the end of 'text' start a character that is not
// complete yet.
size_t IncompleteTail(const std::string& text, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) {
        size_t n = text.size();
        for (size_t back = 1; back <= 3 && back <= n; ++back) {
            auto b = static_cast<unsigned char>(text[n - back]);
            if ((b & 0xC0) == 0x80)
                continue;  // a continuation byte: look further back
            size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
        return 0;
    }
    size_t odd = text.size() % 2;
    if (text.size() - odd < 2)
        return odd;
    size_t at = text.size() - odd - 2;
    auto high = static_cast<unsigned char>(encoding == TextEncoding::Utf16Le ? text[at + 1] : text[at]);
    bool leadSurrogate = high >= 0xD8 && high <= 0xDB;
    return odd + (leadSurrogate ? 2 : 0);
}

std::string ToUtf16Le(System& sys, std::string_view chunk, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8)
        return sys.ToUtf16Le(chunk, kUtf8CodePage);
    std::string units(chunk);
    if (encoding == TextEncoding::Utf16Be)
        for (size_t i = 0; i + 1 < units.size(); i += 2)
            std::swap(units[i], units[i + 1]);
    return units;
}

size_t MarkSize(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? 3 : 2;
}

}  // namespace

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
    Utf8Validator utf8;
    while (got > 0 && utf8.Valid()) {
        utf8.Feed(buffer.data(), got);
        if (!in->Read(buffer.data(), buffer.size(), got))
            return TextEncoding::Bytes;
    }
    return utf8.IsUtf8() ? TextEncoding::Utf8 : TextEncoding::Bytes;
}

bool UnicodeTextToAnsi(System& sys, const std::string& source, const std::string& target,
                       TextEncoding encoding) {
    std::unique_ptr<FileReader> in = sys.OpenForReading(source);
    if (!in || encoding == TextEncoding::Bytes)
        return false;
    std::unique_ptr<FileWriter> out = sys.CreateForWriting(target);
    if (!out)
        return false;
    std::vector<char> buffer(kChunkSize);
    std::string pending;
    bool first = true;
    for (;;) {
        size_t got = 0;
        if (!in->Read(buffer.data(), buffer.size(), got))
            return false;
        pending.append(buffer.data(), got);
        if (first && pending.size() >= MarkSize(encoding)) {
            bool marked = encoding == TextEncoding::Utf8 ? pending.compare(0, 3, "\xEF\xBB\xBF") == 0
                                                         : true;
            if (marked)
                pending.erase(0, MarkSize(encoding));
            first = false;
        }
        size_t keep = got == 0 ? 0 : IncompleteTail(pending, encoding);
        std::string_view ready(pending.data(), pending.size() - keep);
        if (!ready.empty() && !out->Write(ToAnsiText(sys, ToUtf16Le(sys, ready, encoding))))
            return false;
        pending.erase(0, pending.size() - keep);
        if (got == 0)
            break;
    }
    return out->Close();
}
