// FictionBook 2: one XML file, often in a single-byte code page that its
// declaration names. The description (metadata) and binaries (pictures)
// are left out; a body named "notes" follows the text as FictionBook
// keeps it.
#include <algorithm>
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

// The encoding named by the XML declaration at the start of 'head', lower
// case; empty when none.
std::string DeclaredEncoding(std::string_view head) {
    if (head.substr(0, 5) != "<?xml")
        return std::string();
    std::string_view declaration = head.substr(0, head.find("?>"));
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

// The Windows code page of an encoding name: kUtf8CodePage for UTF-8 and
// no name, 0 for a name it does not know.
int CodePageOf(const std::string& encoding) {
    if (encoding.empty() || encoding == "utf-8" || encoding == "utf8")
        return kUtf8CodePage;
    if (encoding.compare(0, 8, "windows-") == 0 || encoding.compare(0, 2, "cp") == 0) {
        std::string digits = encoding.substr(encoding[0] == 'w' ? 8 : 2);
        int number = digits.size() == 4 && digits.find_first_not_of("0123456789") == std::string::npos
                         ? std::stoi(digits) : 0;
        if (number >= 1250 && number <= 1258)
            return number;
    }
    if (encoding.compare(0, 9, "iso-8859-") == 0) {
        std::string digits = encoding.substr(9);
        int part = digits.size() <= 2 && !digits.empty() &&
                           digits.find_first_not_of("0123456789") == std::string::npos
                       ? std::stoi(digits) : 0;
        // Pages labelled Latin-1 are read as windows-1252, its superset.
        if (part == 1)
            return 1252;
        if (part >= 2 && part <= 15 && part != 12 && part != 10 && part != 11 && part != 14)
            return 28590 + part;
    }
    struct Name {
        const char* name;
        int codePage;
    };
    static constexpr Name kNames[] = {
        {"latin1", 1252},    {"koi8-r", 20866},     {"koi8-u", 21866},  {"ibm866", 866},
        {"cp866", 866},       {"gbk", 936},          {"gb2312", 936},    {"gb18030", 54936},
        {"big5", 950},        {"shift_jis", 932},    {"shift-jis", 932}, {"sjis", 932},
        {"windows-31j", 932}, {"euc-jp", 20932},     {"euc-kr", 949},    {"ks_c_5601-1987", 949},
        {"windows-874", 874}, {"tis-620", 874},      {"us-ascii", 1252}, {"ascii", 1252},
    };
    for (const Name& n : kNames)
        if (encoding == n.name)
            return n.codePage;
    return 0;
}

bool IsMultiByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
           codePage == 54936 || codePage == 20932;
}

// The book as UTF-8, decoded a slice at a time from its encoding. A slice
// of a code-page file ends after a byte below 0x30, which no double-byte
// or four-byte character holds; one of a UTF-16 file never splits a pair.
class Utf8Decoder final : public FileReader {
public:
    enum class Form { Utf8, Utf16Le, Utf16Be, CodePage };

    Utf8Decoder(System& sys, FileReader& file, Form form, int codePage, std::string head)
        : sys_(sys), file_(file), form_(form), codePage_(codePage), raw_(std::move(head)) {}

    bool Read(char* buffer, size_t capacity, size_t& got) override {
        got = 0;
        while (decoded_.size() - taken_ == 0) {
            decoded_.clear();
            taken_ = 0;
            if (!Decode())
                return false;
            if (ended_ && decoded_.empty())
                return true;
        }
        got = std::min(capacity, decoded_.size() - taken_);
        std::copy_n(decoded_.data() + taken_, got, buffer);
        taken_ += got;
        return true;
    }

private:
    static constexpr size_t kSliceSize = 64 * 1024;
    static constexpr size_t kLongestSlice = 4 << 20;

    bool Decode() {
        size_t cut = 0;
        while (!ended_ && (cut = SafeEnd()) == 0) {
            if (raw_.size() > kLongestSlice)
                return false;
            size_t had = raw_.size();
            raw_.resize(had + kSliceSize);
            size_t got = 0;
            if (!file_.Read(&raw_[had], kSliceSize, got))
                return false;
            raw_.resize(had + got);
            ended_ = got == 0;
        }
        if (ended_)
            cut = raw_.size();
        std::string_view slice(raw_.data(), cut);
        switch (form_) {
        case Form::Utf8:
            decoded_.assign(slice);
            break;
        case Form::Utf16Le:
            decoded_ = sys_.FromUtf16Le(slice, kUtf8CodePage);
            break;
        case Form::Utf16Be: {
            std::string swapped(slice);
            for (size_t i = 0; i + 1 < swapped.size(); i += 2)
                std::swap(swapped[i], swapped[i + 1]);
            decoded_ = sys_.FromUtf16Le(swapped, kUtf8CodePage);
            break;
        }
        case Form::CodePage:
            decoded_ = sys_.FromUtf16Le(sys_.ToUtf16Le(slice, codePage_), kUtf8CodePage);
            break;
        }
        raw_.erase(0, cut);
        return true;
    }

    // Where the bytes read so far may be cut; 0 when nowhere yet.
    size_t SafeEnd() const {
        if (raw_.size() < kSliceSize)
            return 0;
        if (form_ == Form::Utf8)
            return raw_.size();
        if (form_ == Form::CodePage && !IsMultiByte(codePage_))
            return raw_.size();
        if (form_ == Form::CodePage) {
            for (size_t i = raw_.size(); i > 0; --i)
                if (static_cast<unsigned char>(raw_[i - 1]) < 0x30)
                    return i;
            return 0;
        }
        size_t cut = raw_.size() & ~size_t{1};
        size_t high = form_ == Form::Utf16Le ? cut - 1 : cut - 2;
        unsigned char unit = static_cast<unsigned char>(raw_[high]);
        return unit >= 0xD8 && unit <= 0xDB ? cut - 2 : cut;
    }

    System& sys_;
    FileReader& file_;
    Form form_;
    int codePage_;
    std::string raw_;
    std::string decoded_;
    size_t taken_ = 0;
    bool ended_ = false;
};

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

bool ReadFictionBook(System& sys, FileReader& file, PlainTextBuilder& out, ReadReport& report) {
    // The start of the file tells its encoding.
    std::string head(1024, '\0');
    size_t got = 0;
    if (!file.Read(&head[0], head.size(), got))
        return false;
    head.resize(got);
    Utf8Decoder::Form form = Utf8Decoder::Form::CodePage;
    int codePage = 0;
    if (head.compare(0, 2, "\xFF\xFE") == 0) {
        form = Utf8Decoder::Form::Utf16Le;
        head.erase(0, 2);
    } else if (head.compare(0, 2, "\xFE\xFF") == 0) {
        form = Utf8Decoder::Form::Utf16Be;
        head.erase(0, 2);
    } else if (head.compare(0, 4, std::string("<\0?\0", 4)) == 0) {
        form = Utf8Decoder::Form::Utf16Le;
    } else if (head.compare(0, 4, std::string("\0<\0?", 4)) == 0) {
        form = Utf8Decoder::Form::Utf16Be;
    } else {
        std::string encoding = DeclaredEncoding(head);
        codePage = CodePageOf(encoding);
        // GBK is the two-byte part of GB18030, all that most books use.
        if (codePage == 54936 && !sys.HasCodePage(codePage))
            codePage = 936;
        if (codePage == 0 || !sys.HasCodePage(codePage)) {
            report.why = SkipReason::UnknownEncoding;
            report.detail = encoding;
            return false;
        }
        if (codePage == kUtf8CodePage)
            form = Utf8Decoder::Form::Utf8;
    }
    Utf8Decoder book(sys, file, form, codePage, std::move(head));
    XmlReader xml(book);
    if (WalkBook(xml, out))
        return true;
    report.why = SkipReason::Damaged;
    return false;
}
