// Parsing and editing of private-profile files, line by line.
#include "settings/IniText.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// What one line of an INI file is.
struct LineKind {
    enum { Blank, Comment, Section, Key } kind = Blank;
    std::string_view name;   // section or key name
    std::string_view value;  // key value, trimmed
};

LineKind Classify(std::string_view line) {
    LineKind k;
    std::string_view t = Trim(line);
    if (t.empty())
        return k;
    if (t.front() == ';') {
        k.kind = LineKind::Comment;
        return k;
    }
    if (t.front() == '[') {
        k.kind = LineKind::Section;
        std::string_view inner = t.substr(1);
        size_t close = inner.find(']');
        k.name = Trim(inner.substr(0, close));
        return k;
    }
    k.kind = LineKind::Key;
    size_t eq = t.find('=');
    k.name = Trim(t.substr(0, eq));
    if (eq != std::string_view::npos)
        k.value = Trim(t.substr(eq + 1));
    return k;
}

std::string Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    size_t nul = v.find('\0');
    return std::string(v.substr(0, nul));
}

// Splits text into lines at CR LF, CR or LF; 'unit' is the width of one
// character in bytes (1 for 8-bit text, 2 for UTF-16LE).
struct Piece {
    std::string_view body, ending;
};

std::vector<Piece> SplitLines(std::string_view text, size_t unit) {
    auto at = [&](size_t i) -> int {
        if (i + unit > text.size())
            return -1;
        if (unit == 2 && text[i + 1] != '\0')
            return -1;
        return static_cast<unsigned char>(text[i]);
    };
    std::vector<Piece> pieces;
    size_t start = 0, i = 0;
    while (i < text.size()) {
        int c = at(i);
        if (c == '\r' || c == '\n') {
            size_t end = i + unit;
            if (c == '\r' && at(end) == '\n')
                end += unit;
            pieces.push_back({text.substr(start, i - start), text.substr(i, end - i)});
            start = i = end;
        } else {
            i += unit;
        }
    }
    if (start < text.size())
        pieces.push_back({text.substr(start), std::string_view()});
    return pieces;
}

}  // namespace

IniText IniText::Parse(System& sys, std::string_view bytes) {
    IniText ini;
    std::string ansi;
    size_t unit = 1;
    if (bytes.size() >= 2 && bytes[0] == '\xff' && bytes[1] == '\xfe') {
        ini.encoding_ = Encoding::Utf16Le;
        ini.byteOrderMark_ = bytes.substr(0, 2);
        bytes.remove_prefix(2);
        ansi = sys.FromUtf16Le(bytes, kAnsiCodePage);
        unit = 2;
    } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xef\xbb\xbf") {
        ini.encoding_ = Encoding::Utf8;
        ini.byteOrderMark_ = bytes.substr(0, 3);
        bytes.remove_prefix(3);
        ansi = sys.FromUtf16Le(sys.ToUtf16Le(bytes, kUtf8CodePage), kAnsiCodePage);
    } else {
        ansi = bytes;
    }
    // Line ends survive every conversion one for one, so the raw text and
    // its ANSI view split into the same lines.
    std::vector<Piece> raw = SplitLines(bytes, unit);
    std::vector<Piece> view = SplitLines(ansi, 1);
    for (size_t i = 0; i < raw.size(); ++i) {
        Line line{std::string(raw[i].body), std::string(raw[i].ending), std::string()};
        if (i < view.size())
            line.ansi = view[i].body;
        ini.lines_.push_back(std::move(line));
    }
    return ini;
}

std::optional<size_t> IniText::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        LineKind k = Classify(lines_[i].ansi);
        if (k.kind == LineKind::Section && SameName(k.name, section))
            return i;
    }
    return std::nullopt;
}

size_t IniText::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && Classify(lines_[i].ansi).kind != LineKind::Section)
        ++i;
    return i;
}

std::optional<size_t> IniText::FindKey(size_t header, std::string_view key) const {
    size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        LineKind k = Classify(lines_[i].ansi);
        if (k.kind == LineKind::Key && SameName(k.name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniText::Find(std::string_view section, std::string_view key) const {
    std::optional<size_t> header = FindSection(section);
    if (!header)
        return std::nullopt;
    std::optional<size_t> line = FindKey(*header, key);
    if (!line)
        return std::nullopt;
    return Unquote(Classify(lines_[*line].ansi).value);
}

IniText::Line IniText::MakeLine(System& sys, const std::string& ansi) const {
    Line line{ansi, "\r\n", ansi};
    if (encoding_ == Encoding::Utf16Le) {
        line.raw = sys.ToUtf16Le(ansi, kAnsiCodePage);
        line.ending = std::string("\r\0\n\0", 4);
    } else if (encoding_ == Encoding::Utf8) {
        line.raw = sys.FromUtf16Le(sys.ToUtf16Le(ansi, kAnsiCodePage), kUtf8CodePage);
    }
    return line;
}

void IniText::EndLine(System& sys, Line& line) const {
    if (!line.ending.empty())
        return;
    // A UTF-16 file can end in half a unit: complete it, or every line
    // after it would be read out of step.
    if (encoding_ == Encoding::Utf16Le && line.raw.size() % 2 != 0)
        line.raw.push_back('\0');
    line.ending = MakeLine(sys, std::string()).ending;
}

void IniText::Set(System& sys, std::string_view section, std::string_view key,
                  std::string_view value) {
    std::string text = std::string(key) + "=" + std::string(value);
    std::optional<size_t> header = FindSection(section);
    if (!header) {
        if (!lines_.empty())
            EndLine(sys, lines_.back());
        lines_.push_back(MakeLine(sys, "[" + std::string(section) + "]"));
        lines_.push_back(MakeLine(sys, text));
        return;
    }
    if (std::optional<size_t> at = FindKey(*header, key)) {
        // Keep the line as it stands when it already holds this value.
        LineKind k = Classify(lines_[*at].ansi);
        if (Unquote(k.value) == value && k.value.find('"') == std::string_view::npos &&
            k.value.find('\'') == std::string_view::npos)
            return;
        Line replacement = MakeLine(sys, std::string(k.name) + "=" + std::string(value));
        replacement.ending = lines_[*at].ending;
        EndLine(sys, replacement);
        lines_[*at] = std::move(replacement);
        return;
    }
    // A new key goes after the last line of the section that is not blank.
    size_t insert = SectionEnd(*header);
    while (insert > *header + 1 && Classify(lines_[insert - 1].ansi).kind == LineKind::Blank)
        --insert;
    EndLine(sys, lines_[insert - 1]);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), MakeLine(sys, text));
}

void IniText::DeleteKey(std::string_view section, std::string_view key) {
    std::optional<size_t> header = FindSection(section);
    if (!header)
        return;
    if (std::optional<size_t> at = FindKey(*header, key))
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
}

void IniText::DeleteSection(std::string_view section) {
    std::optional<size_t> header = FindSection(section);
    if (!header)
        return;
    size_t end = SectionEnd(*header);
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
}

std::string IniText::Serialize() const {
    std::string out = byteOrderMark_;
    for (const Line& line : lines_) {
        out += line.raw;
        out += line.ending;
    }
    return out;
}
