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

#include "sys/System.h"

bool DocxToPlainText(System& sys, std::string_view file, std::string& text);
bool OdtToPlainText(System& sys, std::string_view file, std::string& text);
bool EpubToPlainText(System& sys, std::string_view file, std::string& text);
// The same, naming in 'skippedParts' the chapters that are missing or
// cannot be read and were left out.
bool ReadEpubBook(System& sys, std::string_view file, std::string& text,
                  std::vector<std::string>& skippedParts);
bool Fb2ToPlainText(System& sys, std::string_view file, std::string& text);
