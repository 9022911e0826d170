// FictionBook 2: one XML file, often in a single-byte code page that its
// declaration names. The description (metadata) and binaries (pictures)
// are left out; a body named "notes" follows the text as FictionBook
// keeps it.
#include <string>

#include "convert/xml/PlainTextBuilder.h"
#include "convert/xml/XmlDocuments.h"
#include "convert/xml/XmlReader.h"

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The encoding named by the XML declaration, lower case; empty when none.
std::string DeclaredEncoding(std::string_view file) {
    if (file.substr(0, 5) != "<?xml")
        return std::string();
    std::string_view declaration = file.substr(0, file.find("?>"));
    size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return std::string();
    size_t open = declaration.find_first_of("\"'", at);
    if (open == std::string_view::npos)
        return std::string();
    size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos)
        return std::string();
    return Lower(declaration.substr(open + 1, close - open - 1));
}

// The Windows code page of an encoding name; 0 for UTF-8 and unknown names.
int CodePageOf(const std::string& encoding) {
    struct Name {
        const char* name;
        int codePage;
    };
    static constexpr Name kNames[] = {
        {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1252", 1252},
        {"windows-1253", 1253}, {"windows-1254", 1254}, {"windows-1257", 1257},
        {"cp1251", 1251},       {"cp1252", 1252},       {"iso-8859-1", 1252},
        {"latin1", 1252},       {"koi8-r", 20866},      {"koi8-u", 21866},
        {"iso-8859-5", 28595},  {"ibm866", 866},        {"cp866", 866},
    };
    for (const Name& n : kNames)
        if (encoding == n.name)
            return n.codePage;
    return 0;
}

// The file as UTF-8.
std::string AsUtf8(System& sys, std::string_view file) {
    if (file.substr(0, 2) == "\xFF\xFE")
        return sys.FromUtf16Le(file.substr(2), kUtf8CodePage);
    if (file.substr(0, 2) == "\xFE\xFF") {
        std::string swapped(file.substr(2));
        for (size_t i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        return sys.FromUtf16Le(swapped, kUtf8CodePage);
    }
    int codePage = CodePageOf(DeclaredEncoding(file));
    if (codePage == 0)
        return std::string(file);
    return sys.FromUtf16Le(sys.ToUtf16Le(file, codePage), kUtf8CodePage);
}

bool WalkBook(XmlReader& xml, PlainTextBuilder& out) {
    // Open elements that are a notes body; their depth.
    size_t notesDepth = 0;
    int bodies = 0;
    for (;;) {
        XmlEvent e = xml.Next();
        if (e == XmlEvent::End)
            return true;
        if (e == XmlEvent::Error)
            return false;
        std::string_view name = xml.LocalName();
        if (e == XmlEvent::Text) {
            if (bodies > 0)
                out.AppendCollapsed(xml.Text());
            continue;
        }
        if (e == XmlEvent::StartElement) {
            if (NameIn(name, {"description", "binary", "stylesheet", "image"})) {
                if (!xml.SkipElement())
                    return false;
            } else if (name == "body") {
                ++bodies;
                out.EndLineIfOpen();
                const std::string* bodyName = xml.Attribute("name");
                if (bodyName && *bodyName == "notes" && notesDepth == 0) {
                    out.BeginNote();
                    notesDepth = xml.Depth();
                }
            } else if (name == "table") {
                out.EndLineIfOpen();
                out.BeginTable();
            } else if (name == "td" || name == "th") {
                out.BeginCell();
            } else if (name == "empty-line") {
                out.EndLineIfOpen();
                out.LineBreak();
            } else if (NameIn(name, {"section", "title", "epigraph", "poem", "stanza", "cite",
                                      "annotation", "p", "v", "subtitle", "text-author"})) {
                out.EndLineIfOpen();
            }
            continue;
        }
        if (name == "body") {
            --bodies;
            out.EndLineIfOpen();
            if (notesDepth != 0 && xml.Depth() + 1 == notesDepth) {
                out.EndNote();
                notesDepth = 0;
            }
        } else if (name == "tr") {
            out.EndRow();
        } else if (name == "table") {
            out.EndTable();
        } else if (NameIn(name, {"section", "title", "epigraph", "poem", "stanza", "cite",
                                  "annotation", "p", "v", "subtitle", "text-author"})) {
            out.EndLineIfOpen();
        }
    }
}

}  // namespace

bool ReadFictionBook(System& sys, std::string_view file, PlainTextBuilder& out) {
    std::string book = AsUtf8(sys, file);
    XmlReader xml(book);
    return WalkBook(xml, out);
}
