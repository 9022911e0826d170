// Tests of both readers on documents that LibreOffice wrote, against the
// text LibreOffice itself exports from them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "CodePageSystem.h"
#include "convert/doc/DocReader.h"
#include "convert/rtf/RtfReader.h"

namespace {

std::string ReadFixture(const std::string& name) {
    std::ifstream in(std::string(DOCUMENTS_DATA_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// LibreOffice ends a line break inside a paragraph with LF alone; the
// readers end every line with CR LF.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

struct Fixture {
    const char* name;
    int codePage;
    // Where the readers differ from LibreOffice's export on purpose.
    bool cellsAsLines;          // LibreOffice puts every cell on its own line
    const char* exportedText;   // LibreOffice keeps hidden text or recomputes
    const char* readerText;     // a field; the readers keep what the file holds
};

constexpr Fixture kFixtures[] = {
    {"plain", 1252, false, nullptr, nullptr},
    {"latin", 1252, false, nullptr, nullptr},
    {"cyrillic", 1251, false, nullptr, nullptr},
    {"cjk", 936, false, nullptr, nullptr},
    {"table", 1252, true, nullptr, nullptr},
    {"fields", 1252, false, "page 0.", "page 1."},
    {"footnotes", 1252, false, nullptr, nullptr},
    {"hidden", 1252, false, "hidden words ", ""},
    {"large", 1252, false, nullptr, nullptr},
};

void CheckFixture(const Fixture& f, const std::string& kind) {
    std::string file = std::string(f.name) + "." + kind;
    CodePageSystem sys(f.codePage);
    std::string expected = WithCrLf(ReadFixture(file + ".txt"));
    if (f.exportedText)
        ReplaceAll(expected, f.exportedText, f.readerText);
    std::string text;
    bool ok = kind == "rtf" ? RtfToPlainText(sys, ReadFixture(file), text)
                            : DocToPlainText(sys, ReadFixture(file), text);
    ASSERT_TRUE(ok) << file;
    if (f.cellsAsLines)
        ReplaceAll(text, "\t", "\r\n");
    EXPECT_EQ(text, expected) << file;
}

}  // namespace

// Each RTF fixture gives LibreOffice's text.
TEST(DocumentFixtures, RtfMatchesLibreOffice) {
    for (const Fixture& f : kFixtures)
        CheckFixture(f, "rtf");
}

// Each Word 97 fixture gives LibreOffice's text.
TEST(DocumentFixtures, DocMatchesLibreOffice) {
    for (const Fixture& f : kFixtures)
        CheckFixture(f, "doc");
}

// A table keeps its cells on one line per row, separated by tabs.
TEST(DocumentFixtures, TableRowsAreLines) {
    CodePageSystem sys(1252);
    std::string rtf, doc;
    ASSERT_TRUE(RtfToPlainText(sys, ReadFixture("table.rtf"), rtf));
    ASSERT_TRUE(DocToPlainText(sys, ReadFixture("table.doc"), doc));
    const std::string expected =
        "Before the table.\r\nName\tCount\tPrice\r\nApples\t3\t1.20\r\nPears\t\t0.80\r\n"
        "After the table.\r\n";
    EXPECT_EQ(rtf, expected);
    EXPECT_EQ(doc, expected);
}

// Text in a script the ANSI code page lacks comes through whole, and only
// writing it in that code page turns it into question marks.
TEST(DocumentFixtures, ForeignScriptsComeThroughWhole) {
    CodePageSystem sys(1252);
    std::string text;
    const std::string cyrillic = WithCrLf(ReadFixture("cyrillic.doc.txt")).substr(0, 10);
    ASSERT_EQ(cyrillic[0], '\xD0');
    ASSERT_TRUE(DocToPlainText(sys, ReadFixture("cyrillic.doc"), text));
    EXPECT_EQ(text.substr(0, 10), cyrillic);
    EXPECT_EQ(sys.Written(text).substr(0, 6), "????? ");
    ASSERT_TRUE(RtfToPlainText(sys, ReadFixture("cyrillic.rtf"), text));
    EXPECT_EQ(text.substr(0, 10), cyrillic);
    EXPECT_EQ(sys.Written(text).substr(0, 6), "????? ");
}
