// Single property modifiers (sprms): the property lists of Word documents.
#pragma once

#include <cstdint>
#include <string_view>

constexpr uint32_t kSprmCFVanish = 0x083C;    // hidden text
constexpr uint32_t kSprmPFTtp = 0x2417;       // the mark ends a table row
constexpr uint32_t kSprmPFInnerTtp = 0x244C;  // the same in a nested table

// The first operand byte of `sprm` in the list `grpprl`; false when the list
// does not set it or cannot be walked up to it.
bool FindSprm(std::string_view grpprl, uint32_t sprm, uint8_t& operand);
