// UTF-16 text to the ANSI code page, with "?" for every character the
// code page cannot hold (some systems would map it to a look-alike).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sys/System.h"

// Converts text to the ANSI code page a character at a time, as its UTF-16
// units come. ASCII stays as it is, the same in every ANSI code page; any
// other character is converted and checked by converting it back, each
// distinct one once. A high surrogate waits for the unit after it.
class AnsiTextWriter {
public:
    explicit AnsiTextWriter(System& sys) : sys_(sys) {}

    void Put(uint16_t unit, std::string& out) {
        if (unit < 0x80 && held_ == 0)
            out.push_back(static_cast<char>(unit));
        else
            PutOther(unit, out);
    }
    // Bytes below 0x80, each the unit of the same number.
    void PutAscii(std::string_view ascii, std::string& out) {
        Release(out);
        out.append(ascii);
    }
    // Units as UTF-16LE bytes, in pairs.
    void PutUtf16Le(std::string_view utf16le, std::string& out);
    // A high surrogate still waiting for its pair goes out on its own.
    void Release(std::string& out);

private:
    void PutOther(uint16_t unit, std::string& out);
    // A unit, or a surrogate pair when 'second' is not 0.
    void PutCharacter(uint16_t first, uint16_t second, std::string& out);

    System& sys_;
    uint16_t held_ = 0;  // a high surrogate, or 0
    std::unordered_map<uint32_t, std::string> known_;  // a character's conversion
};

std::string ToAnsiText(System& sys, std::string_view utf16le);
