// HtmlToText and the line helpers it is made of.
#include "convert/html/Mod_Htm2Txt.h"

#include <algorithm>
#include <cstring>

#include "convert/html/HtmlEntities.h"
#include "convert/text/TextStreams.h"
#include "convert/text/UnicodeText.h"
#include "convert/text/TextEncoder.h"

namespace {

// A block whose closing tag is not found within this many bytes stays.
constexpr size_t kMaxBlockJoin = 65536;
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kDoubleCrLf = "\r\n\r\n";

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c) {
    return LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z';
}

bool EqualNoCase(const char* a, std::string_view b) {
    for (size_t i = 0; i < b.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

// Replaces every non-overlapping occurrence, left to right. Text made by a
// replacement is not searched again.
void ReplaceAll(std::string& text, std::string_view find, std::string_view with, bool anyCase) {
    size_t at = anyCase ? FindNoCase(text, find) : text.find(find);
    if (at == std::string::npos)
        return;
    std::string out;
    out.reserve(text.size());
    size_t done = 0;
    while (at != std::string::npos) {
        out.append(text, done, at - done);
        out.append(with);
        done = at + find.size();
        at = anyCase ? FindNoCase(text, find, done) : text.find(find, done);
    }
    out.append(text, done, std::string::npos);
    text.swap(out);
}

// Every run of two or more CR LF pairs becomes one pair.
void CollapseLineBreaks(std::string& text) {
    if (text.find(kDoubleCrLf) == std::string::npos)
        return;
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, 2, kCrLf) == 0) {
            out.append(kCrLf);
            i += 2;
            while (text.compare(i, 2, kCrLf) == 0)
                i += 2;
        } else {
            out += text[i++];
        }
    }
    text.swap(out);
}

// Appends the characters outside tags; 'inTag' carries over lines.
void StripTags(std::string_view line, bool& inTag, std::string& text) {
    const char* p = line.data();
    const char* end = p + line.size();
    while (p < end) {
        if (inTag) {
            // Inside a tag a second "<" only keeps the flag set.
            const char* close = static_cast<const char*>(std::memchr(p, '>', end - p));
            if (close == nullptr)
                return;
            p = close + 1;
            inTag = false;
            continue;
        }
        const char* q = p;
        while (q < end && *q != '<' && *q != '>')
            ++q;
        text.append(p, q - p);
        if (q < end && *q == '<')
            inTag = true;
        p = q + (q < end ? 1 : 0);
    }
}

// The lines of a page in UTF-8, decoded from the page's code page unless it
// is in UTF-8 already; a line feed is never part of a character.
class PageLines {
public:
    PageLines(System& sys, std::unique_ptr<FileReader> file, const TextCoding& coding)
        : sys_(sys), in_(std::move(file)), coding_(coding) {}

    bool AtEnd() { return in_.AtEnd(); }
    // Appends the next line; returns the bytes it took in the page.
    size_t ReadLine(std::string& line) {
        if (coding_.form == TextCoding::Form::Utf8) {
            size_t before = line.size();
            in_.ReadLine(line);
            return line.size() - before;
        }
        raw_.clear();
        in_.ReadLine(raw_);
        CharacterLoss none;
        line += EncodeText(sys_, raw_, coding_, TextCoding::Utf8(), none);
        return raw_.size();
    }

private:
    System& sys_;
    LineReader in_;
    TextCoding coding_;
    std::string raw_;
};

// Cuts the first block of 'tag' in 'line', joining following source lines
// while the block is still open. The closing tag is searched only in text
// that is new, so a long open block costs time in proportion to its size.
void CutBlockAcrossLines(PageLines& in, std::string& line, std::string_view tag) {
    std::string open = "<" + std::string(tag);
    std::string close = "</" + std::string(tag) + ">";
    size_t a = FindNoCase(line, open);
    if (a == std::string::npos)
        return;
    size_t searchFrom = a + 1;
    for (;;) {
        size_t b = FindNoCase(line, close, searchFrom);
        if (b != std::string::npos) {
            line.erase(a, b + close.size() - a);
            return;
        }
        if (in.AtEnd() || line.size() > kMaxBlockJoin)
            return;
        size_t overlap = close.size() - 1;
        searchFrom = line.size() > a + 1 + overlap ? line.size() - overlap : a + 1;
        in.ReadLine(line);
    }
}

// The bytes of the page's start searched for a declared encoding.
constexpr size_t kDeclarationWindow = 64 * 1024;

// True when 'head' declares UTF-8 after 'key' ("charset" of a meta
// element, "encoding" of an XML declaration): key, '=', an optional quote.
bool DeclaresUtf8(std::string_view head, std::string_view key) {
    for (size_t at = FindNoCase(head, key); at != std::string::npos;
         at = FindNoCase(head, key, at + 1)) {
        size_t i = at + key.size();
        while (i < head.size() && head[i] == ' ')
            ++i;
        if (i >= head.size() || head[i] != '=')
            continue;
        ++i;
        while (i < head.size() && (head[i] == ' ' || head[i] == '"' || head[i] == '\''))
            ++i;
        if (head.size() - i >= 5 && EqualNoCase(head.data() + i, "utf-8"))
            return true;
    }
    return false;
}

// Format note: a page's bytes are UTF-8 when it starts with the byte-order
// mark, declares UTF-8 in a meta element or its XML declaration, or holds
// non-ASCII bytes that are all valid UTF-8; otherwise they are in the code
// code page.
bool PageIsUtf8(System& sys, const std::string& path) {
    if (DetectTextEncoding(sys, path) == TextEncoding::Utf8)
        return true;
    std::unique_ptr<FileReader> in = sys.OpenForReading(path);
    std::string head(kDeclarationWindow, '\0');
    size_t got = 0;
    if (!in || !in->Read(head.data(), head.size(), got))
        return false;
    head.resize(got);
    return DeclaresUtf8(head, "charset") || DeclaresUtf8(head, "encoding");
}

}  // namespace

size_t FindNoCase(std::string_view text, std::string_view needle, size_t from) {
    if (needle.empty())
        return from <= text.size() ? from : std::string::npos;
    if (text.size() < needle.size() || from > text.size() - needle.size())
        return std::string::npos;
    const char first = needle[0];
    const size_t last = text.size() - needle.size();
    if (!IsAsciiLetter(first)) {
        size_t at = from;
        while (at <= last) {
            const void* hit = std::memchr(text.data() + at, first, last - at + 1);
            if (hit == nullptr)
                return std::string::npos;
            at = static_cast<const char*>(hit) - text.data();
            if (EqualNoCase(text.data() + at + 1, needle.substr(1)))
                return at;
            ++at;
        }
        return std::string::npos;
    }
    for (size_t at = from; at <= last; ++at)
        if (EqualNoCase(text.data() + at, needle))
            return at;
    return std::string::npos;
}

bool IsBlankText(std::string_view text) {
    return text.empty() || text == " ";
}

std::string DecodeLineEntities(std::string_view line, const EntityOptions& options) {
    std::string text(line);
    if (text.find('&') != std::string::npos) {
        ReplaceAll(text, "&nbsp;", " ", true);
        ReplaceAll(text, "&amp;", "&", true);
        ReplaceAll(text, "&#8212;", options.emDash, true);
        ReplaceAll(text, "&quot;", "\"", true);
    }
    if (text.find('<') != std::string::npos) {
        ReplaceAll(text, "<br>", kCrLf, true);
        ReplaceAll(text, "<p>", kCrLf, true);
    }
    if (options.decodeBrackets && text.find('&') != std::string::npos) {
        ReplaceAll(text, "&gt;", ">", false);
        ReplaceAll(text, "&lt;", "<", false);
    }
    ReplaceAll(text, "  ", "", false);
    ReplaceAll(text, "\t", "", false);
    return text;
}

std::string CutTagBlock(std::string_view line, std::string_view tag) {
    std::string open = "<" + std::string(tag);
    std::string close = "</" + std::string(tag) + ">";
    size_t a = FindNoCase(line, open);
    if (a == std::string::npos)
        return std::string(line);
    size_t b = FindNoCase(line, close, a + 1);
    if (b == std::string::npos)
        return std::string(line);
    std::string out(line.substr(0, a));
    out.append(line.substr(b + close.size()));
    return out;
}

bool HtmlToText(System& sys, const std::string& source, const std::string& target,
                const TextCoding& pageCoding, const ProgressSink& progress) {
    int64_t fileLength = 0;
    std::unique_ptr<FileReader> sourceFile = sys.OpenForReading(source);
    if (!sourceFile || !sys.FileSize(source, fileLength))
        return false;
    std::unique_ptr<FileWriter> targetFile = sys.CreateForWriting(target);
    if (!targetFile)
        return false;

    BufferedWriter out(std::move(targetFile));

    // Pages are filtered in UTF-8: a page in a code page ('pageCoding'
    // unless it declares UTF-8) is decoded a line at a time, which no
    // code page can split inside a character.
    bool utf8 = PageIsUtf8(sys, source);
    PageLines in(sys, std::move(sourceFile), utf8 ? TextCoding::Utf8() : pageCoding);
    EntityOptions entities;
    entities.emDash = Utf8Of(0x2014);
    // Brackets decoded from entities are text, so they wait until the tags
    // are gone.
    entities.decodeBrackets = false;

    int64_t runningCount = 0;
    bool firstLine = true;
    int lastPercent = -1;
    bool inTag = false;
    std::string line;
    std::string text;
    while (!in.AtEnd() && !out.Failed()) {
        line.clear();
        size_t rawSize = in.ReadLine(line);
        if (firstLine && utf8 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        firstLine = false;
        CutBlockAcrossLines(in, line, "script");
        CutBlockAcrossLines(in, line, "style");
        line = DecodeLineEntities(line, entities);
        if (IsBlankText(line))
            continue;

        runningCount += static_cast<int64_t>(rawSize) + 2;
        int percent = fileLength > 0 ? static_cast<int>(std::min<int64_t>(
                                           runningCount * 100 / fileLength, 100))
                                     : 100;
        if (percent != lastPercent && progress)
            progress(percent);
        lastPercent = percent;

        text.clear();
        StripTags(line, inTag, text);
        ReplaceAll(text, "&gt;", ">", true);
        ReplaceAll(text, "&lt;", "<", true);
        // The entities of the table above have had their turn.
        if (text.find('&') != std::string::npos)
            text = DecodeHtmlReferences(text, Utf8Of, {"nbsp", "amp", "quot", "lt", "gt"});
        CollapseLineBreaks(text);
        if (!IsBlankText(text)) {
            out.Write(text);
            out.Write(kCrLf);
        }
    }
    out.Close();
    return true;
}
