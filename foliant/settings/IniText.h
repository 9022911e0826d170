// The text of one private-profile (INI) file, held as its lines in the
// file's own encoding beside an ANSI view of each. Lookups use the ANSI
// view; edits replace or insert whole lines, so every line that is not
// edited is written back byte for byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sys/System.h"

class IniText {
public:
    // Reads file bytes: ANSI, or UTF-16LE or UTF-8 after a byte-order mark.
    static IniText Parse(System& sys, std::string_view fileBytes);

    // The value of the first matching key in the first matching section,
    // with surrounding blanks and one pair of enclosing quotes removed.
    // Sections and keys compare without regard to letter case.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // Edits. Set adds the section and the key when they are missing.
    void Set(System& sys, std::string_view section, std::string_view key, std::string_view value);
    void DeleteKey(std::string_view section, std::string_view key);
    void DeleteSection(std::string_view section);

    // The file bytes, in the encoding the file was read in.
    std::string Serialize() const;

private:
    enum class Encoding { Ansi, Utf16Le, Utf8 };

    struct Line {
        std::string raw;     // the line in the file's encoding, without its end
        std::string ending;  // CR LF, CR, LF or nothing, in the file's encoding
        std::string ansi;    // the line in the ANSI code page
    };

    std::optional<size_t> FindSection(std::string_view section) const;
    size_t SectionEnd(size_t header) const;
    std::optional<size_t> FindKey(size_t header, std::string_view key) const;
    Line MakeLine(System& sys, const std::string& ansi) const;
    // Gives a line that ends the file the line end that lets another follow.
    void EndLine(System& sys, Line& line) const;

    Encoding encoding_ = Encoding::Ansi;
    std::string byteOrderMark_;
    std::vector<Line> lines_;
};
