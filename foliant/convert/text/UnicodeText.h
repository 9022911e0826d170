// Text files saved as UTF-8 or UTF-16, found by their byte-order mark or,
// for UTF-8 without one, by non-ASCII bytes that are all valid UTF-8.
#pragma once

#include <string>

#include "sys/System.h"

enum class TextEncoding { Bytes, Utf8, Utf16Le, Utf16Be };

// How the file at 'path' is encoded; Bytes when it cannot be read or is
// neither form of Unicode (it is then cut byte for byte).
TextEncoding DetectTextEncoding(System& sys, const std::string& path);
