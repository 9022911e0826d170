// Walks property lists.
//
// Format notes: each sprm is a 16-bit code whose top three bits (spra) give
// the operand's size: 1, 1, 2, 4, 2, 2, variable, 3 bytes. A variable
// operand starts with its length byte, except sprmTDefTable (a 16-bit
// length that counts itself less one) and sprmPChgTabs (length 255 means a
// longer form, which ends the walk here).
#include "convert/doc/Sprm.h"

#include "convert/doc/ByteReader.h"

namespace {

constexpr uint32_t kSprmTDefTable = 0xD608;
constexpr uint32_t kSprmPChgTabs = 0xC615;
constexpr uint32_t kVariableSpra = 6;
constexpr size_t kFixedOperandSizes[8] = {1, 1, 2, 4, 2, 2, 0, 3};

// Bytes taken by the operand at `at`, or 0 when it cannot be told.
size_t OperandSize(std::string_view grpprl, size_t at, uint32_t sprm) {
    uint32_t spra = sprm >> 13;
    if (spra != kVariableSpra)
        return kFixedOperandSizes[spra];
    uint32_t length = 0;
    if (sprm == kSprmTDefTable)
        return ReadU16(grpprl, at, length) && length > 0 ? length + 1 : 0;
    if (!ReadU8(grpprl, at, length) || (sprm == kSprmPChgTabs && length == 255))
        return 0;
    return length + 1;
}

}  // namespace

bool FindSprm(std::string_view grpprl, uint32_t wanted, uint8_t& operand) {
    size_t at = 0;
    uint32_t sprm = 0;
    bool found = false;
    while (ReadU16(grpprl, at, sprm)) {
        at += 2;
        if (sprm == wanted && at < grpprl.size()) {
            operand = static_cast<uint8_t>(grpprl[at]);
            found = true;  // a later one overrides it
        }
        size_t size = OperandSize(grpprl, at, sprm);
        if (size == 0)
            break;
        at += size;
    }
    return found;
}
