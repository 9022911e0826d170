// The kinds of document a run reads: one table gives each its ending, its
// reader and the tag of the temporary file its text goes to; the dispatch
// of a run, the help of the command line and the tests all read it.
#pragma once

#include <string>

#include "convert/xml/XmlDocuments.h"
#include "sys/System.h"

enum class InputKind { Text, Html, Rtf, Doc, Docx, Odt, Epub, Fb2, Unknown };

// A reader of XML-based documents, given the document's path.
using XmlDocumentReader = bool (*)(System&, const std::string&, PlainTextBuilder&, ReadReport&);

struct DocumentKind {
    InputKind kind;
    const char* ending;        // ".docx"; a name matches by its last four characters
    const char* tag;           // of the temporary file of its text
    XmlDocumentReader read;    // null for the kinds the run converts itself
};

// Every ending in the order the help lists them; ends with an Unknown row.
extern const DocumentKind kDocumentKinds[];

// The row whose ending matches the last four characters of 'path', in any
// letter case; the Unknown row when none does.
const DocumentKind& KindOf(const std::string& path);

// ".txt, .text, ..., .fb2" for the help text.
std::string KnownEndings();
