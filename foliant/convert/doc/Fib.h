// The file information block at the start of a Word document's main stream.
#pragma once

#include <cstdint>
#include <string_view>

struct Fib {
    bool tableIs1Table = false;  // fWhichTblStm: 1Table, else 0Table
    uint32_t ccpText = 0;        // characters of the main document
    uint32_t ccpFtn = 0;         // characters of the footnotes
    uint32_t fcClx = 0, lcbClx = 0;                  // piece table, in the table stream
    uint32_t fcPlcfBteChpx = 0, lcbPlcfBteChpx = 0;  // character properties
    uint32_t fcPlcfBtePapx = 0, lcbPlcfBtePapx = 0;  // paragraph properties
};

enum class FibResult { Ok, NotWord, TooOld, Encrypted, Damaged };

FibResult ReadFib(std::string_view wordDocument, Fib& fib);
