// Code pages of the character sets an RTF font can name.
#pragma once

#include <string>
#include <string_view>

// The code page of \fcharsetN, or 0 when the set names none of its own
// (the default and symbol sets): then the document's code page applies.
int CodePageOfCharset(int charset);

// The code page that \ansi, \mac, \pc and \pca announce, 0 for other words.
int CodePageOfCharsetWord(const char* word, unsigned length);

// The code page of \mac and of font character set 77.
constexpr int kMacRomanCodePage = 10000;

// Mac Roman bytes as UTF-16LE, from the reader's own table: not every
// system converts this code page.
std::string MacRomanToUtf16Le(std::string_view bytes);
