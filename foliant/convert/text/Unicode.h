// Small helpers for Unicode code points, UTF-8 and UTF-16.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

constexpr uint32_t kReplacementCharacter = 0xFFFD;

inline bool IsHighSurrogate(uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

inline bool IsLowSurrogate(uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

inline uint32_t CombineSurrogates(uint32_t high, uint32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

inline void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | c >> 18));
        out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

inline void AppendUtf16Le(std::string& out, uint32_t c) {
    auto unit = [&out](uint32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    };
    if (c < 0x10000) {
        unit(c);
    } else {
        unit(0xD800 + ((c - 0x10000) >> 10));
        unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

// Decodes UTF-8 a byte at a time, so that a character may span two reads.
// Anything that is not valid UTF-8 (a stray or missing continuation byte,
// an overlong form, a surrogate, a code point past U+10FFFF) gives one
// U+FFFD per offending sequence.
class Utf8Decoder {
public:
    // Calls emit(codePoint) for each character that 'bytes' completes.
    template <typename Emit>
    void Feed(std::string_view bytes, Emit&& emit) {
        for (char ch : bytes) {
            unsigned char b = static_cast<unsigned char>(ch);
            if (need_ > 0) {
                if (b >= low_ && b <= high_) {
                    code_ = code_ << 6 | (b & 0x3F);
                    low_ = 0x80;
                    high_ = 0xBF;
                    if (--need_ == 0)
                        emit(code_);
                    continue;
                }
                need_ = 0;
                damaged_ = true;
                emit(kReplacementCharacter);
            }
            if (b < 0x80) {
                emit(b);
            } else if (!Start(b)) {
                damaged_ = true;
                emit(kReplacementCharacter);
            }
        }
    }
    // A character cut short at the end of the text.
    template <typename Emit>
    void Finish(Emit&& emit) {
        if (need_ > 0) {
            need_ = 0;
            damaged_ = true;
            emit(kReplacementCharacter);
        }
    }
    // True once any sequence was not valid UTF-8.
    bool Damaged() const { return damaged_; }

private:
    bool Start(unsigned char b) {
        low_ = 0x80;
        high_ = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            need_ = 1;
            code_ = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need_ = 2;
            code_ = b & 0x0F;
            if (b == 0xE0)
                low_ = 0xA0;
            if (b == 0xED)
                high_ = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need_ = 3;
            code_ = b & 0x07;
            if (b == 0xF0)
                low_ = 0x90;
            if (b == 0xF4)
                high_ = 0x8F;
        } else {
            return false;
        }
        return true;
    }

    int need_ = 0;
    uint32_t code_ = 0;
    unsigned char low_ = 0x80;
    unsigned char high_ = 0xBF;
    bool damaged_ = false;
};

// UTF-8 with every invalid sequence replaced by U+FFFD; valid text comes
// back unchanged.
inline std::string RepairedUtf8(std::string_view bytes) {
    // Most text is ASCII, which needs no decoding.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; }))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    Utf8Decoder decoder;
    auto put = [&out](uint32_t c) { AppendUtf8(out, c); };
    decoder.Feed(bytes, put);
    decoder.Finish(put);
    return out;
}
