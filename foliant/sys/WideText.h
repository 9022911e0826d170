// The core's UTF-8 text as the UTF-16 of the W functions of the Windows
// API, and back. Bytes that are not UTF-8 become U+FFFD. WideFromAnsi
// takes text of the ANSI code page, such as the language files'.
#pragma once

#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
std::wstring WideFromAnsi(std::string_view ansi);
