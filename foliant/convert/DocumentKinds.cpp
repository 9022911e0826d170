// The table of document kinds, and the XML readers as a run calls them.
#include "convert/DocumentKinds.h"

#include <memory>
#include <string_view>

namespace {

// ZIP packages are read whole into memory and their members streamed.
template <bool (*Read)(System&, std::string_view, PlainTextBuilder&, ReadReport&)>
bool PackagedDocument(System& sys, const std::string& path, PlainTextBuilder& out,
                      ReadReport& report) {
    std::string file;
    if (!sys.ReadFile(path, file)) {
        report.why = SkipReason::Unreadable;
        return false;
    }
    return Read(sys, file, out, report);
}

bool StreamedFictionBook(System& sys, const std::string& path, PlainTextBuilder& out,
                         ReadReport& report) {
    std::unique_ptr<FileReader> file = sys.OpenForReading(path);
    if (!file) {
        report.why = SkipReason::Unreadable;
        return false;
    }
    return ReadFictionBook(sys, *file, out, report);
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameLastFour(std::string_view path, std::string_view ending) {
    if (path.size() < 4)
        return false;
    path = path.substr(path.size() - 4);
    ending = ending.substr(ending.size() - 4);
    for (size_t i = 0; i < 4; ++i)
        if (Lower(path[i]) != ending[i])
            return false;
    return true;
}

}  // namespace

const DocumentKind kDocumentKinds[] = {
    {InputKind::Text, ".txt", "txt", nullptr},
    {InputKind::Text, ".text", "txt", nullptr},
    {InputKind::Html, ".htm", "htm", nullptr},
    {InputKind::Html, ".html", "htm", nullptr},
    {InputKind::Html, ".asp", "htm", nullptr},
    {InputKind::Html, ".php", "htm", nullptr},
    {InputKind::Rtf, ".rtf", "rtf", nullptr},
    {InputKind::Doc, ".doc", "doc", nullptr},
    {InputKind::Docx, ".docx", "docx", PackagedDocument<ReadDocx>},
    {InputKind::Odt, ".odt", "odt", PackagedDocument<ReadOdt>},
    {InputKind::Epub, ".epub", "epub", PackagedDocument<ReadEpubBook>},
    {InputKind::Fb2, ".fb2", "fb2", StreamedFictionBook},
    {InputKind::Unknown, "", "", nullptr},
};

const DocumentKind& KindOf(const std::string& path) {
    const DocumentKind* k = kDocumentKinds;
    while (k->kind != InputKind::Unknown && !SameLastFour(path, k->ending))
        ++k;
    return *k;
}

std::string KnownEndings() {
    std::string list;
    for (const DocumentKind* k = kDocumentKinds; k->kind != InputKind::Unknown; ++k)
        list += (list.empty() ? "" : ", ") + std::string(k->ending);
    return list;
}
