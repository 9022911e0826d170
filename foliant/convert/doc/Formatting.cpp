// Hidden text and row ends from the character and paragraph properties.
//
// Format notes: sprmCFVanish takes 0 (off), 1 (on), or 128 and 129 (as the
// style says, and the opposite); styles are not read, so 129 counts as on.
#include "convert/doc/Formatting.h"

#include "convert/doc/Sprm.h"

namespace {

constexpr uint8_t kOn = 1;
constexpr uint8_t kOppositeOfStyle = 129;

}  // namespace

bool Formatting::IsHidden(uint32_t fc) {
    if (fc < runStart_ || fc >= runEnd_) {
        std::string_view props = characters_.PropertiesAt(fc, runStart_, runEnd_);
        uint8_t vanish = 0;
        runHidden_ = FindSprm(props, kSprmCFVanish, vanish) &&
                     (vanish == kOn || vanish == kOppositeOfStyle);
    }
    return runHidden_;
}

bool Formatting::IsRowEnd(uint32_t fc) const {
    uint32_t start = 0, end = 0;
    std::string_view props = paragraphs_.PropertiesAt(fc, start, end);
    uint8_t flag = 0;
    return (FindSprm(props, kSprmPFTtp, flag) && flag != 0) ||
           (FindSprm(props, kSprmPFInnerTtp, flag) && flag != 0);
}
