// The XML-based document readers with their text returned whole.
#include "convert/xml/XmlDocuments.h"

namespace {

template <typename Read>
bool ReadWhole(System& sys, std::string& text, Read read) {
    text.clear();
    PlainTextBuilder out;
    if (!read(out))
        return false;
    text = out.Finish(sys);
    return true;
}

}  // namespace

bool DocxToPlainText(System& sys, std::string_view file, std::string& text) {
    return ReadWhole(sys, text, [&](PlainTextBuilder& out) { return ReadDocx(sys, file, out); });
}

bool OdtToPlainText(System& sys, std::string_view file, std::string& text) {
    return ReadWhole(sys, text, [&](PlainTextBuilder& out) { return ReadOdt(sys, file, out); });
}

bool EpubToPlainText(System& sys, std::string_view file, std::string& text) {
    std::vector<std::string> skippedParts;
    return ReadWhole(sys, text, [&](PlainTextBuilder& out) {
        return ReadEpubBook(sys, file, out, skippedParts);
    });
}

bool Fb2ToPlainText(System& sys, std::string_view file, std::string& text) {
    return ReadWhole(sys, text,
                     [&](PlainTextBuilder& out) { return ReadFictionBook(sys, file, out); });
}
