// The XML reader: one function per kind of markup, a position that only
// moves forward, and a stack of open element names instead of recursion.
#include "convert/xml/XmlReader.h"

#include <cstdint>

#include "convert/html/HtmlEntities.h"

namespace {

// A streamed document is read in slices of this size, and its text is
// given in events of at most about this many bytes.
constexpr size_t kReadSize = 64 * 1024;
constexpr size_t kTextSliceSize = 256 * 1024;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameChar(char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '_' || c == ':' || c == '-' || c == '.';
}

bool StartsWith(std::string_view s, size_t at, std::string_view prefix) {
    return s.size() - at >= prefix.size() && s.compare(at, prefix.size(), prefix) == 0;
}

// Format note: documents are meant to declare every entity beyond the five
// of XML, but XHTML books often use the no-break space without doing so.
bool IsXmlEntity(std::string_view name) {
    return NameIn(name, {"lt", "gt", "amp", "quot", "apos", "nbsp"});
}

// Format note: XML text may not hold control characters other than TAB,
// LF and CR, yet damaged and hostile files do (runs of NUL bytes among
// them); they are never text a reader sees, in raw form or as references.
bool IsControl(unsigned long c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || (c >= 0x7F && c <= 0x9F);
}

// Appends UTF-8 'raw' to 'out' without its control characters.
void AppendWithoutControls(std::string& out, std::string_view raw) {
    size_t start = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
        auto c = static_cast<unsigned char>(raw[i]);
        size_t length = 0;
        if (IsControl(c) && c < 0x80)
            length = 1;
        else if (c == 0xC2 && i + 1 < raw.size() && IsControl(static_cast<unsigned char>(raw[i + 1])))
            length = 2;  // U+0080 to U+009F
        if (length == 0)
            continue;
        out.append(raw.substr(start, i - start));
        i += length - 1;
        start = i + 1;
    }
    out.append(raw.substr(start));
}

}  // namespace

bool AppendUtf8(std::string& out, unsigned long c) {
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return false;
    out += Utf8Of(static_cast<uint32_t>(c));
    return true;
}

XmlReader::XmlReader(std::string_view document, const XmlLimits& limits)
    : doc_(document), limits_(limits) {
    if (StartsWith(doc_, 0, "\xEF\xBB\xBF"))
        pos_ = 3;
}

XmlReader::XmlReader(FileReader& source, const XmlLimits& limits)
    : limits_(limits), source_(&source) {
    while (doc_.size() < 3 && More()) {
    }
    if (StartsWith(doc_, 0, "\xEF\xBB\xBF"))
        pos_ = 3;
}

// Reads the next slice of a streamed document onto the window; false at
// its end, on a failed read, and when the markup at the position would
// pass its limit.
bool XmlReader::More() {
    if (!source_ || sourceEnded_ || doc_.size() - pos_ >= limits_.maxMarkupSize)
        return false;
    size_t had = window_.size();
    window_.resize(had + kReadSize);
    size_t got = 0;
    bool read = source_->Read(&window_[had], kReadSize, got);
    window_.resize(had + (read ? got : 0));
    doc_ = window_;
    if (!read)
        sourceFailed_ = true;
    if (!read || got == 0)
        sourceEnded_ = true;
    return read && got > 0;
}

// Drops the part of the window already read, once it is at least as long
// as the part still to come, so that each byte moves a bounded number of
// times.
void XmlReader::Compact() {
    if (!source_ || pos_ < kReadSize || pos_ < doc_.size() - pos_)
        return;
    window_.erase(0, pos_);
    pos_ = 0;
    doc_ = window_;
}

// The '>' that closes the markup begun before 'from', outside quotes (and
// outside brackets, in a document type), reading on as needed; a '<'
// outside quotes ends a tag early, malformed. npos when the document ends
// first.
size_t XmlReader::FindMarkupEnd(size_t from, bool documentType) {
    char quote = 0;
    bool inSubset = false;
    for (size_t i = from;; ++i) {
        if (i >= doc_.size() && !More())
            return std::string_view::npos;
        char c = doc_[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (documentType && (c == '[' || c == ']')) {
            inSubset = c == '[';
        } else if ((c == '>' && !inSubset) || (c == '<' && !documentType)) {
            return i;
        }
    }
}

// Reads on until the tag at the position is whole in the window.
bool XmlReader::HoldTag() {
    return !source_ || FindMarkupEnd(pos_ + 1, false) != std::string_view::npos;
}

// Where a slice of a long streamed text may end: short of the window's
// end, never inside a UTF-8 sequence or a reference.
size_t XmlReader::TextCut() const {
    size_t cut = doc_.size() - 4;
    while (cut > pos_ && (static_cast<unsigned char>(doc_[cut]) & 0xC0) == 0x80)
        --cut;
    size_t amp = doc_.rfind('&', cut);
    if (amp != std::string_view::npos && amp >= pos_ && cut - amp <= 12 &&
        doc_.find(';', amp) >= cut)
        cut = amp;
    return cut;
}

std::string_view XmlReader::LocalName() const {
    size_t colon = name_.find(':');
    return colon == std::string_view::npos ? name_ : name_.substr(colon + 1);
}

const std::string* XmlReader::Attribute(std::string_view name) const {
    for (const auto& [qualified, value] : attributes_) {
        size_t colon = qualified.find(':');
        if (qualified == name || (colon != std::string_view::npos && qualified.substr(colon + 1) == name))
            return &value;
    }
    return nullptr;
}

void XmlReader::UsePrefix(std::string_view uri, std::string_view prefix) {
    wanted_.emplace_back(uri, prefix);
}

// Format note: a prefix is bound by an xmlns:prefix attribute (xmlns
// alone binds names without one) on the element that uses it or one
// around it, and the innermost binding holds.
void XmlReader::BindPrefixes() {
    size_t depth = open_.size() + 1;
    for (const auto& [name, value] : attributes_) {
        if (name != "xmlns" && name.substr(0, 6) != "xmlns:")
            continue;
        const std::string* wanted = nullptr;
        for (const auto& [uri, prefix] : wanted_)
            if (uri == value)
                wanted = &prefix;
        bindings_.push_back({std::string(name.substr(name.size() > 5 ? 6 : 5)), wanted, depth});
    }
}

// 'name' with the prefix the reader was asked to use for its namespace;
// 'name' itself when it is in none of those.
std::string_view XmlReader::Renamed(std::string_view name, std::string& storage) const {
    size_t colon = name.find(':');
    std::string_view prefix = colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
    for (auto b = bindings_.rbegin(); b != bindings_.rend(); ++b) {
        if (b->prefix != prefix)
            continue;
        if (!b->wanted || *b->wanted == prefix)
            return name;
        std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
        storage.assign(*b->wanted).append(":").append(local);
        return storage;
    }
    return name;
}

void XmlReader::UnbindPrefixes() {
    while (!bindings_.empty() && bindings_.back().depth > open_.size())
        bindings_.pop_back();
}

XmlEvent XmlReader::Fail() {
    failed_ = true;
    return XmlEvent::Error;
}

XmlEvent XmlReader::Next() {
    if (failed_)
        return XmlEvent::Error;
    if (pendingEnd_) {
        pendingEnd_ = false;
        open_.pop_back();
        UnbindPrefixes();
        return XmlEvent::EndElement;
    }
    // The window may move below: no name of the last event outlives it.
    name_ = std::string_view();
    attributes_.clear();
    Compact();
    if (inCdata_)
        return ReadCdata();
    while (pos_ < doc_.size() || More()) {
        if (doc_[pos_] == '<') {
            while (doc_.size() - pos_ < 9 && More()) {
            }
            if (StartsWith(doc_, pos_, "<!--")) {
                if (!SkipPast("-->"))
                    return Fail();
            } else if (StartsWith(doc_, pos_, "<?")) {
                if (!SkipPast("?>"))
                    return Fail();
            } else if (StartsWith(doc_, pos_, "<!DOCTYPE")) {
                if (!open_.empty() || sawRoot_ || !SkipDocumentType())
                    return Fail();
            } else if (StartsWith(doc_, pos_, "<![CDATA[")) {
                if (open_.empty())
                    return Fail();
                pos_ += 9;
                inCdata_ = true;
                return ReadCdata();
            } else {
                return ReadMarkup();
            }
        } else {
            if (open_.empty()) {
                // Only blanks may stand outside the root element.
                if (!IsSpace(doc_[pos_]))
                    return Fail();
                ++pos_;
                Compact();
                continue;
            }
            return ReadText();
        }
    }
    if (sourceFailed_ || !open_.empty() || !sawRoot_)
        return Fail();
    return XmlEvent::End;
}

bool XmlReader::SkipElement() {
    for (size_t depth = 1; depth > 0;) {
        XmlEvent e = Next();
        if (e == XmlEvent::StartElement)
            ++depth;
        else if (e == XmlEvent::EndElement)
            --depth;
        else if (e == XmlEvent::Error || e == XmlEvent::End)
            return false;
    }
    return true;
}

XmlEvent XmlReader::ReadMarkup() {
    if (StartsWith(doc_, pos_, "</"))
        return ReadEndTag();
    return ReadStartTag();
}

XmlEvent XmlReader::ReadText() {
    size_t end = doc_.find('<', pos_);
    while (end == std::string_view::npos) {
        if (source_ && doc_.size() - pos_ >= kTextSliceSize) {
            end = TextCut();
            break;
        }
        size_t searched = doc_.size();
        if (!More())
            return Fail();
        end = doc_.find('<', searched);
    }
    std::string_view raw = doc_.substr(pos_, end - pos_);
    pos_ = end;
    text_.clear();
    if (!DecodeInto(raw, text_))
        return Fail();
    return XmlEvent::Text;
}

// A CDATA section, from the position after its start; a long one in a
// streamed document comes in slices.
XmlEvent XmlReader::ReadCdata() {
    size_t end = doc_.find("]]>", pos_);
    while (end == std::string_view::npos) {
        if (source_ && doc_.size() - pos_ >= kTextSliceSize) {
            size_t cut = TextCut();
            text_.clear();
            AppendWithoutControls(text_, doc_.substr(pos_, cut - pos_));
            pos_ = cut;
            return XmlEvent::Text;
        }
        size_t searched = doc_.size() - pos_ >= 2 ? doc_.size() - 2 : pos_;
        if (!More())
            return Fail();
        end = doc_.find("]]>", searched);
    }
    text_.clear();
    AppendWithoutControls(text_, doc_.substr(pos_, end - pos_));
    pos_ = end + 3;
    inCdata_ = false;
    return XmlEvent::Text;
}

XmlEvent XmlReader::ReadStartTag() {
    if (sawRoot_ && open_.empty())
        return Fail();  // a second root
    if (!HoldTag())
        return Fail();
    ++pos_;
    if (!ReadName(name_))
        return Fail();
    for (;;) {
        bool spaced = pos_ < doc_.size() && IsSpace(doc_[pos_]);
        SkipSpace();
        if (pos_ >= doc_.size())
            return Fail();
        if (doc_[pos_] == '>' || StartsWith(doc_, pos_, "/>"))
            break;
        std::string_view attribute;
        if (!spaced || !ReadName(attribute))
            return Fail();
        SkipSpace();
        if (pos_ >= doc_.size() || doc_[pos_] != '=')
            return Fail();
        ++pos_;
        SkipSpace();
        if (pos_ >= doc_.size() || (doc_[pos_] != '"' && doc_[pos_] != '\''))
            return Fail();
        char quote = doc_[pos_++];
        size_t end = doc_.find(quote, pos_);
        if (end == std::string_view::npos || attributes_.size() >= limits_.maxAttributes)
            return Fail();
        std::string value;
        std::string_view raw = doc_.substr(pos_, end - pos_);
        if (raw.find('<') != std::string_view::npos || !DecodeInto(raw, value))
            return Fail();
        pos_ = end + 1;
        attributes_.emplace_back(attribute, std::move(value));
    }
    if (open_.size() >= limits_.maxDepth)
        return Fail();
    if (!wanted_.empty()) {
        BindPrefixes();
        name_ = Renamed(name_, renamed_);
        renamedAttributes_.resize(attributes_.size());
        for (size_t i = 0; i < attributes_.size(); ++i)
            if (attributes_[i].first.find(':') != std::string_view::npos)
                attributes_[i].first = Renamed(attributes_[i].first, renamedAttributes_[i]);
    }
    open_.emplace_back(name_);
    sawRoot_ = true;
    if (doc_[pos_] == '/') {
        pendingEnd_ = true;
        pos_ += 2;
    } else {
        pos_ += 1;
    }
    return XmlEvent::StartElement;
}

XmlEvent XmlReader::ReadEndTag() {
    if (!HoldTag())
        return Fail();
    pos_ += 2;
    if (!ReadName(name_))
        return Fail();
    if (!wanted_.empty())
        name_ = Renamed(name_, renamed_);
    SkipSpace();
    if (pos_ >= doc_.size() || doc_[pos_] != '>' || open_.empty() || open_.back() != name_)
        return Fail();
    ++pos_;
    open_.pop_back();
    UnbindPrefixes();
    return XmlEvent::EndElement;
}

// Comments and processing instructions of any length: what is passed
// over is dropped from the window as the search goes on.
bool XmlReader::SkipPast(std::string_view terminator) {
    size_t from = pos_ + 2;
    for (;;) {
        size_t end = doc_.find(terminator, from);
        if (end != std::string_view::npos) {
            pos_ = end + terminator.size();
            return true;
        }
        if (doc_.size() - from >= terminator.size()) {
            pos_ = doc_.size() - (terminator.size() - 1);
            Compact();
        } else {
            pos_ = from;
        }
        from = pos_;
        if (!More())
            return false;
    }
}

// Format note: the document type may carry an internal subset in brackets,
// whose declarations hold quoted '>' characters of their own.
bool XmlReader::SkipDocumentType() {
    size_t end = FindMarkupEnd(pos_ + 9, true);
    if (end == std::string_view::npos)
        return false;
    pos_ = end + 1;
    return true;
}

bool XmlReader::ReadName(std::string_view& name) {
    size_t start = pos_;
    while (pos_ < doc_.size() && IsNameChar(doc_[pos_]))
        ++pos_;
    name = doc_.substr(start, pos_ - start);
    return !name.empty() && name.size() <= limits_.maxNameLength;
}

void XmlReader::SkipSpace() {
    while (pos_ < doc_.size() && IsSpace(doc_[pos_]))
        ++pos_;
}

// Format note: a numeric reference that names no character (zero, a
// surrogate, past U+10FFFF, not digits) is shown as '?' rather than losing
// the document; a name that is not declared stays as written, unless the
// reader knows the HTML entities.
bool XmlReader::DecodeInto(std::string_view raw, std::string& out) const {
    out.reserve(out.size() + raw.size());
    for (size_t i = 0; i < raw.size();) {
        size_t amp = raw.find('&', i);
        if (amp == std::string_view::npos) {
            AppendWithoutControls(out, raw.substr(i));
            break;
        }
        AppendWithoutControls(out, raw.substr(i, amp - i));
        size_t semi = raw.find(';', amp);
        if (semi == std::string_view::npos || semi - amp > 12)
            return false;
        std::string_view entity = raw.substr(amp + 1, semi - amp - 1);
        uint32_t code = ReadHtmlReference(raw.substr(amp, semi - amp + 1)).code;
        if (StartsWith(entity, 0, "#")) {
            if (code == 0)
                out += '?';
            else if (!IsControl(code))
                AppendUtf8(out, code);
        } else if (code != 0 && (htmlEntities_ || IsXmlEntity(entity))) {
            AppendUtf8(out, code);
        } else {
            out.append(raw.substr(amp, semi - amp + 1));
        }
        i = semi + 1;
    }
    return true;
}
