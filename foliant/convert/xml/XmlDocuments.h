// Documents whose text is XML: Office Open XML (.docx), OpenDocument text
// (.odt), EPUB 2 and 3 (.epub) and FictionBook 2 (.fb2). Each reader gives
// the plain text in the ANSI code page with CR LF line ends: body text in
// reading order, one line per heading, paragraph and list item, table rows
// with TAB between cells, notes after the body. False for a damaged,
// encrypted or foreign file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "convert/xml/PlainTextBuilder.h"
#include "sys/System.h"

bool DocxToPlainText(System& sys, std::string_view file, std::string& text);
bool OdtToPlainText(System& sys, std::string_view file, std::string& text);
bool EpubToPlainText(System& sys, std::string_view file, std::string& text);
bool Fb2ToPlainText(System& sys, std::string_view file, std::string& text);

// The same readers giving their text to 'out', which may stream it to a
// file as it comes. The EPUB reader names in 'skippedParts' the chapters
// that are missing or cannot be read and were left out.
bool ReadDocx(System& sys, std::string_view file, PlainTextBuilder& out);
bool ReadOdt(System& sys, std::string_view file, PlainTextBuilder& out);
bool ReadEpubBook(System& sys, std::string_view file, PlainTextBuilder& out,
                  std::vector<std::string>& skippedParts);
bool ReadFictionBook(System& sys, std::string_view file, PlainTextBuilder& out);
