// The two properties the plain text depends on: hidden characters and the
// marks that end table rows (cell and row ends are both character 7).
#pragma once

#include <cstdint>
#include <string_view>

#include "convert/doc/PropertyPages.h"

class Formatting {
public:
    // Without bin tables nothing is hidden and every mark ends a cell.
    Formatting(std::string_view plcfBteChpx, std::string_view plcfBtePapx,
               std::string_view wordDocument)
        : characters_(PropertyPages::Character, plcfBteChpx, wordDocument),
          paragraphs_(PropertyPages::Paragraph, plcfBtePapx, wordDocument) {}

    // Whether the character stored at byte `fc` is hidden. Successive calls
    // with rising positions reuse the run found last.
    bool IsHidden(uint32_t fc);
    // Whether the paragraph mark stored at byte `fc` ends a table row.
    bool IsRowEnd(uint32_t fc) const;

private:
    PropertyPages characters_;
    PropertyPages paragraphs_;
    uint32_t runStart_ = 1, runEnd_ = 0;  // the run last looked up
    bool runHidden_ = false;
};
