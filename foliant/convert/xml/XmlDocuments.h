// Documents whose text is XML: Office Open XML (.docx), OpenDocument text
// (.odt), EPUB 2 and 3 (.epub) and FictionBook 2 (.fb2). Each reader gives
// the plain text in UTF-8 with CR LF line ends: body text in
// reading order, one line per heading, paragraph and list item, table rows
// with TAB between cells, notes after the body. False for a damaged,
// encrypted or foreign file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "convert/text/SkipReason.h"
#include "convert/xml/PlainTextBuilder.h"
#include "sys/System.h"

// What a reader tells beside its text.
struct ReadReport {
    SkipReason why = SkipReason::Damaged;  // when it gave no text
    std::string detail;                    // an encoding it does not know
    // EPUB chapters missing or unreadable, left out of the text (UTF-8).
    std::vector<std::string> skippedParts;
};

bool DocxToPlainText(System& sys, std::string_view file, std::string& text);
bool OdtToPlainText(System& sys, std::string_view file, std::string& text);
bool EpubToPlainText(System& sys, std::string_view file, std::string& text);
bool Fb2ToPlainText(System& sys, std::string_view file, std::string& text);

// The same readers giving their text to 'out', which may stream it to a
// file as it comes. A FictionBook is read as a stream too.
bool ReadDocx(System& sys, std::string_view file, PlainTextBuilder& out, ReadReport& report);
bool ReadOdt(System& sys, std::string_view file, PlainTextBuilder& out, ReadReport& report);
bool ReadEpubBook(System& sys, std::string_view file, PlainTextBuilder& out, ReadReport& report);
bool ReadFictionBook(System& sys, FileReader& file, PlainTextBuilder& out, ReadReport& report);
