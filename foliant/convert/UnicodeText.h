// Text files saved as UTF-8 or UTF-16, found by their byte-order mark or,
// for UTF-8 without one, by non-ASCII bytes that are all valid UTF-8, and
// turned into the ANSI code page so that every piece has one encoding.
#pragma once

#include <string>

#include "sys/System.h"

enum class TextEncoding { Bytes, Utf8, Utf16Le, Utf16Be };

// How the file at 'path' is encoded; Bytes when it cannot be read or is
// neither form of Unicode (it is then cut byte for byte).
TextEncoding DetectTextEncoding(System& sys, const std::string& path);

// Writes 'source' (in 'encoding', not Bytes) into 'target' in the ANSI
// code page, without its byte-order mark; line ends are kept as they are.
// Characters the code page lacks become '?'. Memory stays small for files
// of any size.
bool UnicodeTextToAnsi(System& sys, const std::string& source, const std::string& target,
                       TextEncoding encoding);
