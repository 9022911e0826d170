// Character references of HTML 4: the named entities (the Latin-1, symbol
// and special sets) and numeric references, as pages and XHTML books use
// them without declaring them.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

// The code point that entity 'name' ("eacute", without '&' and ';')
// stands for; 0 when HTML 4 has no such entity. Names are case-sensitive.
uint32_t HtmlEntityCode(std::string_view name);

// The code point of the reference at the start of 'text' ("&eacute;",
// "&#233;", "&#xE9;") and its length. Length 0 when 'text' does not start
// with a reference; code 0 for a numeric reference that names no
// character (zero, a surrogate, past U+10FFFF, too many digits).
struct HtmlReference {
    uint32_t code = 0;
    size_t length = 0;
};
HtmlReference ReadHtmlReference(std::string_view text);

// Code point 'code' (a character: not a surrogate, at most U+10FFFF) as
// UTF-8.
std::string Utf8Of(uint32_t code);

// 'text' with every reference replaced by 'encode' of its code point, and
// "?" for a numeric reference that names no character. An '&' that starts
// no reference stays as it is, and so do the entities named in 'keep'.
std::string DecodeHtmlReferences(std::string_view text,
                                 const std::function<std::string(uint32_t)>& encode,
                                 std::initializer_list<std::string_view> keep = {});
