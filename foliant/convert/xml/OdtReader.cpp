// OpenDocument text: the body of content.xml. Notes stand inside the
// paragraph that cites them; their bodies are moved after the text.
#include <algorithm>
#include <cstdlib>

#include "convert/xml/PlainTextBuilder.h"
#include "convert/xml/XmlDocuments.h"
#include "convert/xml/XmlReader.h"
#include "convert/xml/ZipContainer.h"

namespace {

// Comments, tracked changes (which hold deleted text), embedded pictures
// and the declarations of fields and forms.
bool IsSkipped(std::string_view name) {
    return NameIn(name, {
        "office:annotation", "text:tracked-changes", "draw:image", "office:binary-data",
        "svg:title", "svg:desc", "office:forms", "text:sequence-decls", "text:variable-decls",
        "text:user-field-decls", "text:index-title-template"
    });
}

// Format note: inside a paragraph every run of blanks is one space; more
// spaces are written as <text:s text:c="n"/>. A run of n spaces takes
// fewer bytes of the file than n, so all the runs of a document together
// are held to the size of the file's content.
bool WalkContent(XmlReader& xml, PlainTextBuilder& out, size_t spaceBudget) {
    int paragraphs = 0;   // open text:p and text:h
    bool inBody = false;
    bool inCitation = false;
    std::string citation;
    for (;;) {
        XmlEvent e = xml.Next();
        if (e == XmlEvent::End)
            return true;
        if (e == XmlEvent::Error)
            return false;
        std::string_view name = xml.Name();
        if (e == XmlEvent::Text) {
            if (inCitation)
                citation += xml.Text();
            else if (inBody && paragraphs > 0)
                out.AppendCollapsed(xml.Text());
            continue;
        }
        if (e == XmlEvent::StartElement) {
            if (name == "office:body") {
                inBody = true;
            } else if (!inBody) {
                continue;
            } else if (IsSkipped(name)) {
                if (!xml.SkipElement())
                    return false;
            } else if (name == "text:p" || name == "text:h") {
                ++paragraphs;
            } else if (name == "text:s") {
                const std::string* count = xml.Attribute("text:c");
                long n = count ? std::strtol(count->c_str(), nullptr, 10) : 1;
                size_t spaces = std::min(static_cast<size_t>(n > 0 ? n : 1), spaceBudget);
                spaceBudget -= spaces;
                out.Append(std::string(spaces, ' '));
            } else if (name == "text:tab") {
                out.Tab();
            } else if (name == "text:line-break") {
                out.LineBreak();
            } else if (name == "table:table") {
                out.BeginTable();
            } else if (name == "table:table-cell" || name == "table:covered-table-cell") {
                out.BeginCell();
            } else if (name == "text:note-citation") {
                inCitation = true;
                citation.clear();
            } else if (name == "text:note-body") {
                out.BeginNote();
                out.Append("[" + citation + "] ");
            }
            continue;
        }
        if (name == "office:body") {
            inBody = false;
        } else if (name == "text:p" || name == "text:h") {
            --paragraphs;
            out.EndParagraph();
        } else if (name == "table:table-row") {
            out.EndRow();
        } else if (name == "table:table") {
            out.EndTable();
        } else if (name == "text:note-citation") {
            inCitation = false;
            out.Append("[" + citation + "]");
        } else if (name == "text:note-body") {
            out.EndNote();
        }
    }
}

}  // namespace

bool ReadOdt(System&, std::string_view file, PlainTextBuilder& out, ReadReport& report) {
    ZipContainer zip;
    if (!zip.Open(file))
        return false;
    std::unique_ptr<FileReader> content = zip.OpenMember("content.xml", kMaxMemberSize);
    if (!content) {
        report.why = zip.LastProblem();
        return false;
    }
    XmlReader xml(*content);
    static constexpr struct {
        const char* uri;
        const char* prefix;
    } kNamespaces[] = {
        {"urn:oasis:names:tc:opendocument:xmlns:office:1.0", "office"},
        {"urn:oasis:names:tc:opendocument:xmlns:text:1.0", "text"},
        {"urn:oasis:names:tc:opendocument:xmlns:table:1.0", "table"},
        {"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0", "draw"},
        {"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0", "svg"},
    };
    for (const auto& ns : kNamespaces)
        xml.UsePrefix(ns.uri, ns.prefix);
    return WalkContent(xml, out, static_cast<size_t>(zip.MemberSize("content.xml")));
}
