// Word 97-2003 documents to plain text: the compound file, the FIB, the
// piece table and the text, in that order.
#include "convert/doc/DocReader.h"

#include "convert/doc/CompoundFile.h"
#include "convert/text/Utf8TextWriter.h"
#include "convert/doc/DocText.h"
#include "convert/doc/Fib.h"
#include "convert/doc/Formatting.h"
#include "convert/doc/PieceTable.h"

namespace {

// The bytes [fc, fc + lcb) of a stream, or an empty view when outside it.
std::string_view Slice(std::string_view stream, uint32_t fc, uint32_t lcb) {
    if (fc > stream.size() || stream.size() - fc < lcb)
        return {};
    return stream.substr(fc, lcb);
}

}  // namespace

DocProblem ReadWordDocument(std::string_view doc, std::string& text) {
    text.clear();
    CompoundFile file;
    std::string wordDocument, table;
    if (!file.Open(doc) || !file.ReadStream("WordDocument", wordDocument))
        return DocProblem::NotWord;
    Fib fib;
    switch (ReadFib(wordDocument, fib)) {
    case FibResult::Ok:
        break;
    case FibResult::NotWord:
    case FibResult::TooOld:
        return DocProblem::NotWord;
    case FibResult::Encrypted:
        return DocProblem::Encrypted;
    case FibResult::Damaged:
        return DocProblem::Damaged;
    }
    if (!file.ReadStream(fib.tableIs1Table ? "1Table" : "0Table", table))
        return DocProblem::Damaged;
    std::string_view clx = Slice(table, fib.fcClx, fib.lcbClx);
    std::vector<Piece> pieces;
    if (clx.empty() || !ReadPieceTable(clx, pieces))
        return DocProblem::Damaged;
    Formatting formatting(Slice(table, fib.fcPlcfBteChpx, fib.lcbPlcfBteChpx),
                          Slice(table, fib.fcPlcfBtePapx, fib.lcbPlcfBtePapx), wordDocument);
    std::string utf16;
    if (!ReadDocumentText(wordDocument, pieces, fib.ccpText, formatting, utf16))
        return DocProblem::Damaged;
    text = Utf16LeToUtf8(utf16);
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)
        text += "\r\n";
    return DocProblem::None;
}

// The signature of the other readers; a .doc is read from memory alone.
bool DocToPlainText(System&, std::string_view doc, std::string& text) {
    return ReadWordDocument(doc, text) == DocProblem::None;
}
