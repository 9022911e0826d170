// RTF documents to plain text.
#pragma once

#include <string>
#include <string_view>

#include "sys/System.h"

// Converts an RTF document to its plain text in UTF-8, with
// CR LF line ends. False when the bytes cannot be read as RTF.
bool RtfToPlainText(System& sys, std::string_view rtf, std::string& text);
