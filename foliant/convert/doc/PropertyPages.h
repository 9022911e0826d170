// Character and paragraph properties of a Word document: the 512-byte
// property pages (FKPs) that a bin table points to.
#pragma once

#include <cstdint>
#include <string_view>

class PropertyPages {
public:
    enum Kind { Character, Paragraph };

    // `binTable` is the table stream's PlcBteChpx or PlcBtePapx; the pages
    // are in `wordDocument`.
    PropertyPages(Kind kind, std::string_view binTable, std::string_view wordDocument)
        : kind_(kind), plc_(binTable), doc_(wordDocument) {}

    // The property list of the run holding byte `fc` of the main stream,
    // and the run's range [runStart, runEnd). Empty when there is none.
    std::string_view PropertiesAt(uint32_t fc, uint32_t& runStart, uint32_t& runEnd) const;

private:
    std::string_view PageOf(uint32_t fc) const;

    Kind kind_;
    std::string_view plc_;
    std::string_view doc_;
};
