// Splits RTF bytes into tokens.
//
// Format notes: a control word is a backslash, up to 32 ASCII letters and an
// optional signed number; one space after it belongs to the word. \binN is
// followed by N raw bytes that may hold any value, braces included, so the
// tokenizer reads them itself. Bare CR and LF are ignored by RTF readers.
#include "convert/rtf/RtfTokenizer.h"

namespace {

constexpr size_t kMaxNameLength = 32;
constexpr size_t kMaxDigits = 10;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool EndsText(char c) {
    return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n';
}

}  // namespace

RtfToken RtfTokenizer::Next() {
    while (pos_ < in_.size() && (in_[pos_] == '\r' || in_[pos_] == '\n'))
        ++pos_;
    RtfToken t;
    if (pos_ >= in_.size())
        return t;
    char c = in_[pos_];
    if (c == '{') {
        ++pos_;
        t.kind = RtfToken::GroupStart;
        return t;
    }
    if (c == '}') {
        ++pos_;
        t.kind = RtfToken::GroupEnd;
        return t;
    }
    if (c == '\\')
        return ReadControl();
    return ReadText();
}

RtfToken RtfTokenizer::ReadText() {
    size_t start = pos_;
    while (pos_ < in_.size() && !EndsText(in_[pos_]))
        ++pos_;
    RtfToken t;
    t.kind = RtfToken::Text;
    t.text = in_.substr(start, pos_ - start);
    return t;
}

RtfToken RtfTokenizer::ReadControl() {
    ++pos_;  // the backslash
    RtfToken t;
    if (pos_ >= in_.size())
        return t;
    char c = in_[pos_];
    if (!IsLetter(c)) {
        ++pos_;
        if (c == '\'') {
            int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
            int lo = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0) {
                t.kind = RtfToken::ControlSymbol;  // a broken escape: ignored
                t.symbol = '\'';
                return t;
            }
            pos_ += 2;
            t.kind = RtfToken::HexByte;
            t.byte = static_cast<uint8_t>(hi * 16 + lo);
            return t;
        }
        t.kind = RtfToken::ControlSymbol;
        t.symbol = (c == '\r' || c == '\n') ? '\n' : c;
        return t;
    }
    size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_]) && pos_ - start < kMaxNameLength)
        ++pos_;
    t.kind = RtfToken::ControlWord;
    t.text = in_.substr(start, pos_ - start);
    bool negative = false;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    int64_t value = 0;
    size_t digits = 0;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
        if (digits < kMaxDigits)
            value = value * 10 + (in_[pos_] - '0');
        ++digits;
        ++pos_;
    }
    if (digits > 0) {
        if (value > INT32_MAX)
            value = INT32_MAX;
        t.hasParam = true;
        t.param = static_cast<int32_t>(negative ? -value : value);
    }
    if (pos_ < in_.size() && in_[pos_] == ' ')
        ++pos_;
    if (t.text == "bin" && t.hasParam && t.param > 0) {
        size_t length = static_cast<size_t>(t.param);
        if (length > Remaining()) {
            pos_ = in_.size();
            t.kind = RtfToken::Truncated;
            return t;
        }
        t.kind = RtfToken::Binary;
        t.text = in_.substr(pos_, length);
        pos_ += length;
    }
    return t;
}
