#pragma once
#include <cstdint>
#include <string_view>
// The nearest text for a character that a code page lacks, in UTF-8: a
// straight quote for a curly one, the base letter for an accented one, and
// so on. Empty when there is none.
std::string_view BestFitOf(uint32_t codePoint);
