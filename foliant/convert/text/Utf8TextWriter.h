// UTF-16 text, as readers of Word and RTF documents find it, to UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Turns UTF-16 units into UTF-8 as they come. A high surrogate waits for
// the unit after it; one without its pair, or a lone low surrogate, becomes
// U+FFFD.
class Utf8TextWriter {
public:
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
    // A high surrogate still waiting for its pair goes out as U+FFFD.
    void Release(std::string& out);

private:
    void PutOther(uint16_t unit, std::string& out);

    uint16_t held_ = 0;  // a high surrogate, or 0
};

std::string Utf16LeToUtf8(std::string_view utf16le);
