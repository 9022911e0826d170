// A small streaming XML reader: it walks a document, held in memory or read
// from a stream a window at a time, and reports start tags, end tags and
// text one at a time, without recursion. Comments, processing instructions
// and the document type are skipped; CDATA sections are text. Sizes are
// limited so that a hostile document cannot make it use more memory than
// the document itself, and a streamed one no more than its largest tag.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sys/System.h"

struct XmlLimits {
    size_t maxDepth = 100000;     // open elements at once
    size_t maxAttributes = 512;   // per start tag
    size_t maxNameLength = 1024;  // of a tag or attribute name
    // Of one tag or document type when streaming; text and comments of any
    // length pass through a window of fixed size.
    size_t maxMarkupSize = size_t{16} << 20;
};

enum class XmlEvent {
    StartElement,  // Name(), Attribute()
    EndElement,    // Name(); also sent after an empty-element tag
    Text,          // Text(): character data and CDATA, entities decoded; a
                   // streamed run of text may come as several events
    End,           // the document ended well formed
    Error          // malformed or over a limit; every later call repeats it
};

class XmlReader {
public:
    // 'document' is UTF-8 and must outlive the reader.
    explicit XmlReader(std::string_view document, const XmlLimits& limits = {});
    // Reads the document from 'source' as it goes; a read that fails ends
    // the document in an error.
    explicit XmlReader(FileReader& source, const XmlLimits& limits = {});

    // Also decode the named entities of HTML 4 ("&eacute;"), as XHTML
    // books use them undeclared.
    void DecodeHtmlEntities() { htmlEntities_ = true; }
    // Names the elements and attributes of namespace 'uri' with 'prefix'
    // ("w:p"), whatever prefix the document binds to it.
    void UsePrefix(std::string_view uri, std::string_view prefix);

    XmlEvent Next();
    // After a StartElement: consumes everything up to its end. False when
    // the document fails first.
    bool SkipElement();

    // The qualified name of the current element ("w:p"), and the part after
    // its prefix ("p"); valid until the next call of Next.
    std::string_view Name() const { return name_; }
    std::string_view LocalName() const;
    // The decoded text of a Text event.
    const std::string& Text() const { return text_; }
    // The value of the current start tag's attribute whose qualified or
    // local name is 'name'; null when it has none.
    const std::string* Attribute(std::string_view name) const;
    // Elements open around the current event (a start tag counts itself).
    size_t Depth() const { return open_.size(); }

private:
    XmlEvent Fail();
    XmlEvent ReadMarkup();
    XmlEvent ReadText();
    XmlEvent ReadCdata();
    XmlEvent ReadStartTag();
    XmlEvent ReadEndTag();
    bool SkipPast(std::string_view terminator);
    bool More();
    void Compact();
    size_t FindMarkupEnd(size_t from, bool documentType);
    bool HoldTag();
    size_t TextCut() const;
    bool SkipDocumentType();
    bool ReadName(std::string_view& name);
    void SkipSpace();
    bool DecodeInto(std::string_view raw, std::string& out) const;
    void BindPrefixes();
    std::string_view Renamed(std::string_view name, std::string& storage) const;
    void UnbindPrefixes();

    std::string_view doc_;  // the document, or the window of it read so far
    XmlLimits limits_;
    size_t pos_ = 0;
    FileReader* source_ = nullptr;  // set when streaming
    std::string window_;
    bool sourceEnded_ = false;
    bool sourceFailed_ = false;
    bool inCdata_ = false;  // a streamed CDATA section goes on
    bool failed_ = false;
    bool pendingEnd_ = false;  // an empty-element tag still owes its end
    bool sawRoot_ = false;
    bool htmlEntities_ = false;
    std::string_view name_;
    std::string text_;
    std::vector<std::pair<std::string_view, std::string>> attributes_;
    std::vector<std::string> open_;
    struct Binding {
        std::string prefix;
        const std::string* wanted;  // the prefix asked for its namespace; null for none
        size_t depth;               // of the element that declares it
    };
    std::vector<std::pair<std::string, std::string>> wanted_;  // uri, prefix
    std::vector<Binding> bindings_;
    std::string renamed_;                         // the current element's name
    std::vector<std::string> renamedAttributes_;
};

// True when 'name' is one of 'names'.
inline bool NameIn(std::string_view name, std::initializer_list<std::string_view> names) {
    for (std::string_view n : names)
        if (n == name)
            return true;
    return false;
}

// Appends code point 'c' to 'out' in UTF-8; false for one that is not a
// character.
bool AppendUtf8(std::string& out, unsigned long c);
