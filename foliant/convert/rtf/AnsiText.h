// UTF-16LE text to the ANSI code page, with "?" for every character the
// code page cannot hold (some systems would map it to a look-alike).
#pragma once

#include <string>
#include <string_view>

#include "sys/System.h"

std::string ToAnsiText(System& sys, std::string_view utf16le);
