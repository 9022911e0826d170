// EPUB 2 and 3: the container names the package document, whose spine
// gives the order of the XHTML content documents.
#include <cctype>
#include <map>
#include <set>
#include <vector>

#include "convert/html/HtmlEntities.h"
#include "convert/html/Mod_Htm2Txt.h"
#include "convert/xml/PlainTextBuilder.h"
#include "convert/xml/XmlDocuments.h"
#include "convert/xml/XmlReader.h"
#include "convert/xml/ZipContainer.h"

namespace {

constexpr const char* kContainerPath = "META-INF/container.xml";
// A chapter read tolerantly is held whole; none of a real book is larger.
constexpr size_t kMaxTolerantChapter = size_t{16} << 20;

// Elements that begin and end lines of their own.
bool IsBlock(std::string_view name) {
    return NameIn(name, {"p", "div", "h1", "h2", "h3", "h4", "h5", "h6", "li", "dt", "dd",
                          "blockquote", "pre", "section", "article", "header", "footer", "aside",
                          "nav", "figure", "figcaption", "hr", "ul", "ol", "dl", "address",
                          "caption", "main", "hgroup", "details", "summary"});
}

bool HasWord(const std::string* list, std::string_view word) {
    if (!list)
        return false;
    std::string_view rest = *list;
    while (!rest.empty()) {
        size_t blank = rest.find(' ');
        if (rest.substr(0, blank) == word)
            return true;
        if (blank == std::string_view::npos)
            break;
        rest.remove_prefix(blank + 1);
    }
    return false;
}

bool IsNoteBody(const XmlReader& xml) {
    const std::string* type = xml.Attribute("epub:type");
    const std::string* role = xml.Attribute("role");
    for (std::string_view w : {"footnote", "footnotes", "endnote", "endnotes", "rearnote", "rearnotes"})
        if (HasWord(type, w))
            return true;
    for (std::string_view w : {"doc-footnote", "doc-endnotes", "doc-endnote"})
        if (HasWord(role, w))
            return true;
    return false;
}

bool IsNoteReference(const XmlReader& xml) {
    return HasWord(xml.Attribute("epub:type"), "noteref") || HasWord(xml.Attribute("role"), "doc-noteref");
}

bool IsBackLink(const XmlReader& xml) {
    return HasWord(xml.Attribute("role"), "doc-backlink") ||
           HasWord(xml.Attribute("epub:type"), "backlink") ||
           HasWord(xml.Attribute("class"), "footnote-back");
}

// What an open element did on entry, undone at its end.
enum Effect : unsigned char { kNone = 0, kBlock = 1, kNote = 2, kNoteRef = 4, kPre = 8, kTable = 16,
                              kRow = 32 };

bool WalkContentDocument(FileReader& page, PlainTextBuilder& out) {
    XmlReader xml(page);
    xml.DecodeHtmlEntities();
    std::vector<unsigned char> effects;
    bool inBody = false;
    int pre = 0;
    for (;;) {
        XmlEvent e = xml.Next();
        if (e == XmlEvent::End)
            break;
        if (e == XmlEvent::Error)
            return false;
        if (e == XmlEvent::Text) {
            if (!inBody)
                continue;
            if (pre == 0) {
                out.AppendCollapsed(xml.Text());
                continue;
            }
            const std::string& t = xml.Text();
            for (size_t i = 0; i <= t.size();) {
                size_t nl = t.find('\n', i);
                if (nl == std::string::npos) {
                    out.Append(t.substr(i));
                    break;
                }
                out.Append(t.substr(i, nl - i));
                out.LineBreak();
                i = nl + 1;
            }
            continue;
        }
        std::string_view name = xml.LocalName();
        if (e == XmlEvent::StartElement) {
            if (name == "body") {
                inBody = true;
                effects.push_back(kNone);
                continue;
            }
            // A title page shows the book's metadata, which is left out.
            if (NameIn(name, {"head", "script", "style", "svg", "object"}) || IsBackLink(xml) ||
                HasWord(xml.Attribute("epub:type"), "titlepage")) {
                if (!xml.SkipElement())
                    return false;
                continue;
            }
            if (!inBody)
                continue;
            unsigned char effect = kNone;
            if (IsNoteBody(xml)) {
                out.EndLineIfOpen();
                out.BeginNote();
                effect |= kNote;
            }
            if (IsBlock(name)) {
                out.EndLineIfOpen();
                effect |= kBlock;
            }
            if (name == "pre") {
                ++pre;
                effect |= kPre;
            } else if (name == "br") {
                out.LineBreak();
            } else if (name == "table") {
                out.EndLineIfOpen();
                out.BeginTable();
                effect |= kTable;
            } else if (name == "tr") {
                effect |= kRow;
            } else if (name == "td" || name == "th") {
                out.BeginCell();
            }
            if (IsNoteReference(xml)) {
                out.Append("[");
                effect |= kNoteRef;
            }
            effects.push_back(effect);
            continue;
        }
        if (effects.empty())
            continue;
        unsigned char effect = effects.back();
        effects.pop_back();
        if (name == "body")
            inBody = false;
        if (effect & kNoteRef)
            out.Append("]");
        if (effect & kPre)
            --pre;
        if (effect & kRow)
            out.EndRow();
        if (effect & kTable)
            out.EndTable();
        if (effect & kBlock)
            out.EndLineIfOpen();
        if (effect & kNote)
            out.EndNote();
    }
    out.EndLineIfOpen();
    return true;
}

// Format note: a chapter that is not well-formed XML (an unescaped '<' in
// its text, a tag left open) is read as the page filter reads pages: tags
// are dropped, block elements end lines, the head, scripts and styles are
// left out, and references are decoded.
void WalkTolerantly(std::string_view page, PlainTextBuilder& out) {
    size_t body = FindNoCase(page, "<body");
    size_t at = body == std::string_view::npos ? 0 : body;
    while (at < page.size()) {
        size_t open = page.find('<', at);
        std::string_view text = page.substr(at, open == std::string_view::npos ? open : open - at);
        if (!text.empty())
            out.AppendCollapsed(DecodeHtmlReferences(text, Utf8Of));
        size_t close = open == std::string_view::npos ? open : page.find('>', open);
        if (close == std::string_view::npos)
            break;
        std::string_view tag = page.substr(open + 1, close - open - 1);
        bool ending = !tag.empty() && tag[0] == '/';
        bool empty = !tag.empty() && tag.back() == '/';  // <script src="x"/>
        size_t nameStart = ending ? 1 : 0;
        size_t nameEnd = nameStart;
        while (nameEnd < tag.size() && std::isalnum(static_cast<unsigned char>(tag[nameEnd])))
            ++nameEnd;
        std::string name(tag.substr(nameStart, nameEnd - nameStart));
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        at = close + 1;
        if (!ending && !empty && NameIn(name, {"head", "script", "style"})) {
            size_t end = FindNoCase(page, "</" + name, at);
            at = end == std::string_view::npos ? page.size() : end;
        } else if (name == "body" && ending) {
            break;
        } else if (name == "br") {
            out.LineBreak();
        } else if (IsBlock(name) || name == "tr") {
            out.EndLineIfOpen();
        }
    }
    out.EndLineIfOpen();
}

// "%20" and the like in a manifest reference.
std::string DecodeHref(std::string_view href) {
    std::string out;
    for (size_t i = 0; i < href.size(); ++i) {
        auto hex = [](char c) {
            return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        };
        if (href[i] == '%' && i + 2 < href.size() && hex(href[i + 1]) >= 0 && hex(href[i + 2]) >= 0) {
            out += static_cast<char>(hex(href[i + 1]) * 16 + hex(href[i + 2]));
            i += 2;
        } else if (href[i] == '#') {
            break;
        } else {
            out += href[i];
        }
    }
    return out;
}

// 'href' resolved against 'folder' ("OEBPS/"), with "." and ".." taken out.
std::string ResolvePath(const std::string& folder, const std::string& href) {
    std::vector<std::string> parts;
    std::string joined = !href.empty() && href.front() == '/' ? href.substr(1) : folder + href;
    size_t start = 0;
    while (start <= joined.size()) {
        size_t slash = joined.find('/', start);
        std::string part = joined.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    std::string path;
    for (const std::string& p : parts)
        path += (path.empty() ? "" : "/") + p;
    return path;
}

bool PackagePath(ZipContainer& zip, std::string& path) {
    std::string container;
    if (!zip.Read(kContainerPath, kMaxMemberSize, container))
        return false;
    XmlReader xml(container);
    for (XmlEvent e = xml.Next(); e != XmlEvent::End && e != XmlEvent::Error; e = xml.Next()) {
        if (e == XmlEvent::StartElement && xml.LocalName() == "rootfile") {
            if (const std::string* fullPath = xml.Attribute("full-path")) {
                path = *fullPath;
                return !path.empty();
            }
        }
    }
    return false;
}

// The content documents in spine order; those the spine marks as not in
// the reading order (linear="no") follow the others. Each member is read
// once: a later mention of it, through another item or a "#fragment", is
// dropped, and the package and container documents are never content.
bool SpineOrder(ZipContainer& zip, const std::string& packagePath, std::vector<std::string>& pages) {
    std::string opf;
    if (!zip.Read(packagePath, kMaxMemberSize, opf))
        return false;
    std::string folder = packagePath.substr(0, packagePath.rfind('/') + 1);
    std::map<std::string, std::string> manifest;
    std::vector<std::string> spine;
    std::vector<std::string> aside;
    XmlReader xml(opf);
    for (XmlEvent e = xml.Next(); e != XmlEvent::End; e = xml.Next()) {
        if (e == XmlEvent::Error)
            return false;
        if (e != XmlEvent::StartElement)
            continue;
        if (xml.LocalName() == "item") {
            const std::string* id = xml.Attribute("id");
            const std::string* href = xml.Attribute("href");
            std::string decoded = href ? DecodeHref(*href) : std::string();
            // An empty reference ("#x") names the package document itself.
            if (id && !decoded.empty())
                manifest[*id] = ResolvePath(folder, decoded);
        } else if (xml.LocalName() == "itemref") {
            const std::string* idref = xml.Attribute("idref");
            const std::string* linear = xml.Attribute("linear");
            if (idref)
                (linear && *linear == "no" ? aside : spine).push_back(*idref);
        }
    }
    spine.insert(spine.end(), aside.begin(), aside.end());
    std::set<std::string> taken = {packagePath, kContainerPath};
    for (const std::string& id : spine) {
        auto it = manifest.find(id);
        if (it != manifest.end() && taken.insert(it->second).second)
            pages.push_back(it->second);
    }
    return true;
}

}  // namespace

bool ReadEpubBook(System&, std::string_view file, PlainTextBuilder& out, ReadReport& report) {
    ZipContainer zip;
    std::string packagePath;
    std::vector<std::string> pages;
    if (!zip.Open(file))
        return false;
    if (!PackagePath(zip, packagePath) || !SpineOrder(zip, packagePath, pages)) {
        report.why = zip.LastProblem();
        return false;
    }
    std::vector<std::string>& skippedParts = report.skippedParts;
    // A chapter that is missing or cannot be read is left out and named;
    // one that is not well-formed is read again tolerantly, unless it was
    // so long that its text has gone out already.
    for (const std::string& name : pages) {
        std::unique_ptr<FileReader> chapter = zip.OpenMember(name, kMaxMemberSize);
        if (!chapter) {
            skippedParts.push_back(name);
            continue;
        }
        PlainTextBuilder::Checkpoint before = out.Save();
        if (WalkContentDocument(*chapter, out)) {
            out.Release();
            continue;
        }
        std::string page;
        if (!out.Restore(before) || !zip.Read(name, kMaxTolerantChapter, page)) {
            out.EndLineIfOpen();
            skippedParts.push_back(name);
            continue;
        }
        WalkTolerantly(page, out);
    }
    return true;
}
