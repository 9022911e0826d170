// The XML-based document readers with their text returned whole.
#include "convert/xml/XmlDocuments.h"

#include <algorithm>

namespace {

template <typename Read>
bool ReadWhole(std::string& text, Read read) {
    text.clear();
    PlainTextBuilder out;
    ReadReport report;
    if (!read(out, report))
        return false;
    text = out.Finish();
    return true;
}

// Bytes in memory read as a file.
class MemoryReader final : public FileReader {
public:
    explicit MemoryReader(std::string_view bytes) : bytes_(bytes) {}
    bool Read(char* buffer, size_t capacity, size_t& got) override {
        got = std::min(capacity, bytes_.size());
        std::copy_n(bytes_.data(), got, buffer);
        bytes_.remove_prefix(got);
        return true;
    }

private:
    std::string_view bytes_;
};

}  // namespace

bool DocxToPlainText(System& sys, std::string_view file, std::string& text) {
    return ReadWhole(text, [&](PlainTextBuilder& out, ReadReport& report) {
        return ReadDocx(sys, file, out, report);
    });
}

bool OdtToPlainText(System& sys, std::string_view file, std::string& text) {
    return ReadWhole(text, [&](PlainTextBuilder& out, ReadReport& report) {
        return ReadOdt(sys, file, out, report);
    });
}

bool EpubToPlainText(System& sys, std::string_view file, std::string& text) {
    return ReadWhole(text, [&](PlainTextBuilder& out, ReadReport& report) {
        return ReadEpubBook(sys, file, out, report);
    });
}

bool Fb2ToPlainText(System& sys, std::string_view file, std::string& text) {
    MemoryReader book(file);
    return ReadWhole(text, [&](PlainTextBuilder& out, ReadReport& report) {
        return ReadFictionBook(sys, book, out, report);
    });
}
