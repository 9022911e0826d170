// Splits RTF bytes into groups, control words, control symbols and text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct RtfToken {
    enum Kind {
        End,           // no more input
        GroupStart,    // {
        GroupEnd,      // }
        ControlWord,   // \name or \nameN
        ControlSymbol, // \ and one non-letter; symbol holds it
        HexByte,       // \'hh; byte holds the value
        Text,          // a run of plain bytes
        Binary,        // data of \binN; text holds it
        Truncated,     // \binN longer than what is left
    } kind = End;
    std::string_view text;   // name of a control word, or the bytes of a run
    int32_t param = 0;       // parameter of a control word
    bool hasParam = false;
    char symbol = 0;
    uint8_t byte = 0;
};

class RtfTokenizer {
public:
    explicit RtfTokenizer(std::string_view rtf) : in_(rtf) {}

    RtfToken Next();
    // Bytes not read yet.
    size_t Remaining() const { return in_.size() - pos_; }

private:
    RtfToken ReadControl();
    RtfToken ReadText();

    std::string_view in_;
    size_t pos_ = 0;
};
