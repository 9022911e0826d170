// Collects the text of an RTF document in UTF-8 while it is read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/text/Utf8TextWriter.h"
#include "sys/System.h"

class RtfOutput {
public:
    explicit RtfOutput(System& sys) : sys_(sys) {}

    // Bytes in a code page; runs in one code page are decoded together so
    // that double-byte characters split over two escapes stay whole. Bytes
    // of a code page the system cannot convert keep their ASCII and give
    // "?" for the rest.
    void AddBytes(std::string_view bytes, int codePage);
    void AddByte(uint8_t byte, int codePage);
    void AddUnit(uint16_t unit);
    // A character above U+FFFF as its surrogate pair; "?" beyond U+10FFFF.
    void AddCodePoint(uint32_t codePoint);
    void AddLineBreak();
    void AddTab() { AddUnit('\t'); }
    // A cell's tab is held back so that the end of a row replaces it.
    void AddCellEnd();
    void AddRowEnd();

    // The document text in UTF-8, ending with one CR LF.
    std::string Finish();

private:
    // Decodes the pending bytes into the text.
    void Flush();
    // One unit after the pending bytes.
    void PutUnit(uint16_t unit);
    void PutDecoded(std::string_view utf16le);
    // Keeps the last two units put, for Finish.
    void Note(uint16_t unit);

    System& sys_;
    std::string pending_;        // undecoded bytes, all in pendingCodePage_
    int pendingCodePage_ = 0;
    bool cellEndHeld_ = false;
    Utf8TextWriter utf8_;
    std::string text_;           // the text so far, in UTF-8
    uint16_t lastUnits_[2] = {};  // the last two units put, the latest second
};
