// Word 97-2003 (.doc) documents to plain text.
#pragma once

#include <string>
#include <string_view>

#include "sys/System.h"

// Converts a Word 97-2003 document to its plain text in UTF-8,
// with CR LF line ends. False for an encrypted, older, damaged or foreign
// file.
bool DocToPlainText(System& sys, std::string_view doc, std::string& text);

enum class DocProblem { None, NotWord, Encrypted, Damaged };

// DocToPlainText, telling why a file gives no text: not a Word 97-2003
// document (another file, or an older Word), encrypted, or damaged.
DocProblem ReadWordDocument(std::string_view doc, std::string& text);
