// Detection reads the file once, in chunks.
#include "convert/UnicodeText.h"

#include <memory>
#include <vector>


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
