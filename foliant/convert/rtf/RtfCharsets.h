// Code pages of the character sets an RTF font can name.
#pragma once

// The code page of \fcharsetN, or 0 when the set names none of its own
// (the default and symbol sets): then the document's code page applies.
int CodePageOfCharset(int charset);

// The code page that \ansi, \mac, \pc and \pca announce, 0 for other words.
int CodePageOfCharsetWord(const char* word, unsigned length);
