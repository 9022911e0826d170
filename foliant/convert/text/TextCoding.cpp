#include "convert/text/TextCoding.h"

namespace {

std::string Trimmed(std::string_view text) {
    size_t a = text.find_first_not_of(" \t");
    if (a == std::string_view::npos)
        return std::string();
    size_t b = text.find_last_not_of(" \t");
    std::string out(text.substr(a, b - a + 1));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

bool SameBytes(const TextCoding& a, const TextCoding& b) {
    return a.form == b.form && (a.form != TextCoding::Form::CodePage || a.codePage == b.codePage);
}

bool ParseTextCoding(System& sys, std::string_view value, TextCoding& coding, bool forWriting) {
    std::string name = Trimmed(value);
    if (name.empty() || name == "ansi") {
        coding = TextCoding::Ansi();
        return true;
    }
    if (name == "utf-8" || name == "utf8" || name == "65001") {
        coding = TextCoding::Utf8();
        return true;
    }
    if (forWriting && name == "utf-8-bom") {
        coding = TextCoding::Utf8();
        coding.bom = true;
        return true;
    }
    if (name == "utf-16le" || name == "utf-16" || name == "1200") {
        coding = TextCoding::Utf16Le();
        // Written UTF-16 always carries its mark: without one no reader
        // can tell it from bytes.
        coding.bom = forWriting;
        return true;
    }
    if (name.size() > 5 || name.find_first_not_of("0123456789") != std::string::npos)
        return false;
    int number = std::stoi(name);
    // 0 and 1 stand for the system's own code pages, 65000 for UTF-7.
    if (number < 37 || number == 65000 || !sys.HasCodePage(number) ||
        sys.ToUtf16Le("A", number) != std::string("A\0", 2))
        return false;
    // Written text is cut by its characters, known by their first byte:
    // code pages that shift state (ISO-2022, HZ) or have characters of
    // three and four bytes (EUC-JP, GB18030) cannot be cut safely.
    if (forWriting && ((number >= 50000 && number < 51000) || number == 52936 ||
                     number == 51932 || number == 20932 || number == 54936))
        return false;
    coding = TextCoding::CodePage(number);
    return true;
}

std::string TextCodingName(const TextCoding& coding) {
    switch (coding.form) {
        case TextCoding::Form::Utf8:
            return coding.bom ? "utf-8-bom" : "utf-8";
        case TextCoding::Form::Utf16Le:
            return "utf-16le";
        case TextCoding::Form::Utf16Be:
            return "utf-16be";
        case TextCoding::Form::CodePage:
            break;
    }
    return coding.codePage == kAnsiCodePage ? "ansi" : std::to_string(coding.codePage);
}
