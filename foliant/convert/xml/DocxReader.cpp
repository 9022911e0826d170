// Office Open XML documents: the main part named by the package's
// relationships, then the footnotes and endnotes beside it.
#include <map>
#include <vector>

#include "convert/xml/PlainTextBuilder.h"
#include "convert/xml/XmlDocuments.h"
#include "convert/xml/XmlReader.h"
#include "convert/xml/ZipContainer.h"

namespace {

// Elements whose content is never text a reader sees: properties, tracked
// deletions, field instructions, drawings and their fallbacks. A run's
// properties are read for one thing: whether they hide the run.
bool IsSkipped(std::string_view name) {
    return NameIn(name, {
        "w:pPr", "w:tblPr", "w:trPr", "w:tcPr", "w:tblGrid", "w:sectPr", "w:del",
        "w:moveFrom", "w:instrText", "w:delInstrText", "w:drawing", "w:pict", "w:object",
        "mc:Fallback", "w:commentReference"
    });
}

struct NoteNumbers {
    std::map<std::string, int> footnotes;
    std::map<std::string, int> endnotes;
    int next = 1;
};

// Reads a run's properties up to their end; true when they hide the run.
bool ReadRunProperties(XmlReader& xml, bool& hidden) {
    hidden = false;
    for (size_t depth = 1; depth > 0;) {
        XmlEvent e = xml.Next();
        if (e == XmlEvent::StartElement) {
            ++depth;
            const std::string* value = xml.Attribute("w:val");
            // Only the run's own properties count, not those of a recorded change.
            if (depth == 2 && xml.Name() == "w:vanish" && !(value && (*value == "0" || *value == "false")))
                hidden = true;
        } else if (e == XmlEvent::EndElement) {
            --depth;
        } else if (e == XmlEvent::Error || e == XmlEvent::End) {
            return false;
        }
    }
    return true;
}

// Walks one part (the document, its footnotes or its endnotes).
bool WalkPart(FileReader& part, PlainTextBuilder& out, NoteNumbers& notes) {
    XmlReader xml(part);
    // Transitional and strict WordprocessingML, whatever their prefixes.
    xml.UsePrefix("http://schemas.openxmlformats.org/wordprocessingml/2006/main", "w");
    xml.UsePrefix("http://purl.oclc.org/ooxml/wordprocessingml/main", "w");
    xml.UsePrefix("http://schemas.openxmlformats.org/markup-compatibility/2006", "mc");
    bool inText = false;
    bool hiddenRun = false;  // the current run is hidden text
    for (;;) {
        XmlEvent e = xml.Next();
        if (e == XmlEvent::End)
            return true;
        if (e == XmlEvent::Error)
            return false;
        std::string_view name = xml.Name();
        if (e == XmlEvent::Text) {
            if (inText)
                out.Append(xml.Text());
            continue;
        }
        if (e == XmlEvent::StartElement) {
            if (IsSkipped(name) || (hiddenRun && name != "w:rPr")) {
                if (!xml.SkipElement())
                    return false;
            } else if (name == "w:rPr") {
                if (!ReadRunProperties(xml, hiddenRun))
                    return false;
            } else if (name == "w:t") {
                inText = true;
            } else if (name == "w:tab") {
                out.Tab();
            } else if (name == "w:br" || name == "w:cr") {
                out.LineBreak();
            } else if (name == "w:noBreakHyphen") {
                out.Append("-");
            } else if (name == "w:tbl") {
                out.BeginTable();
            } else if (name == "w:tc") {
                out.BeginCell();
            } else if (name == "w:footnoteReference" || name == "w:endnoteReference") {
                auto& numbers = name == "w:footnoteReference" ? notes.footnotes : notes.endnotes;
                const std::string* id = xml.Attribute("w:id");
                if (id && !numbers.count(*id))
                    numbers[*id] = notes.next++;
                if (id)
                    out.Append("[" + std::to_string(numbers[*id]) + "]");
            } else if (name == "w:footnote" || name == "w:endnote") {
                const std::string* type = xml.Attribute("w:type");
                if (type && *type != "normal") {
                    if (!xml.SkipElement())
                        return false;
                    continue;
                }
                out.BeginNote();
                auto& numbers = name == "w:footnote" ? notes.footnotes : notes.endnotes;
                const std::string* id = xml.Attribute("w:id");
                if (id && numbers.count(*id))
                    out.Append("[" + std::to_string(numbers[*id]) + "] ");
            }
            continue;
        }
        // The end of an element.
        if (name == "w:t")
            inText = false;
        else if (name == "w:r")
            hiddenRun = false;
        else if (name == "w:p")
            out.EndParagraph();
        else if (name == "w:tr")
            out.EndRow();
        else if (name == "w:tbl")
            out.EndTable();
        else if (name == "w:footnote" || name == "w:endnote")
            out.EndNote();
    }
}

// The main part's name from the package relationships.
std::string MainPartName(ZipContainer& zip) {
    std::string rels;
    if (zip.Read("_rels/.rels", kMaxMemberSize, rels)) {
        XmlReader xml(rels);
        for (XmlEvent e = xml.Next(); e == XmlEvent::StartElement || e == XmlEvent::EndElement ||
                                      e == XmlEvent::Text;
             e = xml.Next()) {
            if (e != XmlEvent::StartElement || xml.LocalName() != "Relationship")
                continue;
            const std::string* type = xml.Attribute("Type");
            const std::string* target = xml.Attribute("Target");
            constexpr std::string_view kMain = "/officeDocument";
            if (type && target && !target->empty() && type->size() >= kMain.size() &&
                type->compare(type->size() - kMain.size(), kMain.size(), kMain) == 0)
                return target->front() == '/' ? target->substr(1) : *target;
        }
    }
    return "word/document.xml";
}

}  // namespace

bool ReadDocx(System&, std::string_view file, PlainTextBuilder& out, ReadReport& report) {
    ZipContainer zip;
    if (!zip.Open(file))
        return false;
    std::string main = MainPartName(zip);
    std::string folder = main.substr(0, main.rfind('/') + 1);
    NoteNumbers notes;
    for (std::string name : {main, folder + "footnotes.xml", folder + "endnotes.xml"}) {
        if (name != main && !zip.Has(name))
            continue;
        std::unique_ptr<FileReader> part = zip.OpenMember(name, kMaxMemberSize);
        if (!part) {
            report.why = zip.LastProblem();
            return false;
        }
        if (!WalkPart(*part, out, notes))
            return false;
    }
    return true;
}
