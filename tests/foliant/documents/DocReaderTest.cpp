// Tests of the Word 97-2003 reader on documents built by hand and on
// LibreOffice's documents re-stored or damaged.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "CodePageSystem.h"
#include "CompoundFileWriter.h"
#include "DocWriter.h"
#include "convert/doc/DocReader.h"

namespace {

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(DOCUMENTS_DATA_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

PieceToWrite Narrow(std::string bytes) {
    return {std::move(bytes), true};
}

PieceToWrite Wide(std::u16string_view text) {
    return {Utf16(text), false};
}

std::string Convert(const std::string& doc, int ansiCodePage = 1252) {
    CodePageSystem sys(ansiCodePage);
    std::string text;
    EXPECT_TRUE(DocToPlainText(sys, doc, text));
    return sys.Written(text);
}

bool Fails(const std::string& doc) {
    CodePageSystem sys(1252);
    std::string text = "left over";
    return !DocToPlainText(sys, doc, text) && text.empty();
}

}  // namespace

// 8-bit and UTF-16 pieces, in any storage order, join into one text.
TEST(DocPieces, CompressedAndUnicodePieces) {
    EXPECT_EQ(Convert(WriteDoc({Narrow("Hello, "), Wide(u"world\r")})), "Hello, world\r\n");
    // Compressed bytes 0x80 to 0x9F are Windows-1252 characters.
    EXPECT_EQ(Convert(WriteDoc({Narrow("\x93quoted\x94 \x85 \xe9\r")})),
              "\x93quoted\x94 \x85 \xe9\r\n");
    EXPECT_EQ(Convert(WriteDoc({Wide(u"\u0416\u0438\u0440\r")}), 1251), "\xc6\xe8\xf0\r\n");
    EXPECT_EQ(Convert(WriteDoc({Wide(u"\u0416 x\r")}), 1252), "? x\r\n");
    DocOptions zeroTable;
    zeroTable.use1Table = false;
    EXPECT_EQ(Convert(WriteDoc({Narrow("in 0Table\r")}, zeroTable)), "in 0Table\r\n");
}

// Marks of paragraphs, lines, cells, fields and special characters.
TEST(DocPieces, ControlCharacters) {
    EXPECT_EQ(Convert(WriteDoc({Narrow("one\rtwo\x0bthree\x0c" "four\r")})),
              "one\r\ntwo\r\nthree\r\nfour\r\n");
    EXPECT_EQ(Convert(WriteDoc({Narrow("a\tb\x1e" "c\x1f" "d\x01\x08\r")})), "a\tb-cd\r\n");
    // Without paragraph properties every cell mark is a cell end.
    EXPECT_EQ(Convert(WriteDoc({Narrow("x\x07y\x07\r")})), "x\ty\t\r\n");
    EXPECT_EQ(Convert(WriteDoc({Narrow("no final mark")})), "no final mark\r\n");
    EXPECT_EQ(Convert(WriteDoc({Narrow("note\x02 and\x02.\r")})), "note1 and2.\r\n");
}

// Field instructions are dropped and results kept, nested or not.
TEST(DocPieces, Fields) {
    EXPECT_EQ(Convert(WriteDoc({Narrow("p \x13 PAGE \x14" "7\x15.\r")})), "p 7.\r\n");
    EXPECT_EQ(Convert(WriteDoc({Narrow("\x13 IF \x13 PAGE \x14" "1\x15 = 1 \x14yes\x15!\r")})),
              "yes!\r\n");
    EXPECT_EQ(Convert(WriteDoc({Narrow("a\x13 TOC \x15" "b\r")})), "ab\r\n");  // no result
    EXPECT_EQ(Convert(WriteDoc({Narrow("a\x15\x14" "b\x13 open\r")})), "ab\r\n");
}

// The container's variants: 4096-byte sectors, DIFAT sectors, streams in
// the mini stream and in regular sectors.
TEST(DocContainer, SectorSizesAndTables) {
    std::vector<PieceToWrite> text = {Narrow("stored text\r")};
    DocOptions big;
    big.container.sectorSize = 4096;
    EXPECT_EQ(Convert(WriteDoc(text, big)), "stored text\r\n");
    DocOptions difat;
    difat.container.extraFatSectors = 300;
    EXPECT_EQ(Convert(WriteDoc(text, difat)), "stored text\r\n");
    std::string many = WriteDoc({Narrow(std::string(100000, 'x') + "\r")});
    EXPECT_EQ(Convert(many), std::string(100000, 'x') + "\r\n");
}

// LibreOffice's documents, re-stored in many small pieces, read the same.
TEST(DocContainer, ManyPieces) {
    std::string plain = Fixture("plain.doc"), latin = Fixture("latin.doc");
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(Convert(RepieceDoc(plain, 7, 1)), Convert(plain));
    EXPECT_EQ(Convert(RepieceDoc(latin, 3, 1)), Convert(latin));
    CompoundFileOptions big;
    big.sectorSize = 4096;
    EXPECT_EQ(Convert(RepieceDoc(plain, 5, 3, big)), Convert(plain) + Convert(plain) + Convert(plain));
}

// Files that are not Word 97-2003 documents, or are damaged, fail.
TEST(DocBadInput, ForeignFilesFail) {
    EXPECT_TRUE(Fails(""));
    EXPECT_TRUE(Fails("Just a text file, renamed to .doc.\r\n"));
    EXPECT_TRUE(Fails(std::string("PK\x03\x04", 4) + std::string(2000, '\0')));
    EXPECT_TRUE(Fails(WriteCompoundFile({{"Other", std::string(5000, 'a')}})));
    DocOptions encrypted;
    encrypted.encrypted = true;
    EXPECT_TRUE(Fails(WriteDoc({Narrow("secret\r")}, encrypted)));
    DocOptions word95;
    word95.nFib = 104;
    EXPECT_TRUE(Fails(WriteDoc({Narrow("old\r")}, word95)));
    // The document names a table stream it does not have.
    std::string doc = WriteDoc({Narrow("x\r")});
    std::string renamed = doc;
    size_t at = renamed.find(std::string("1\0T\0a\0b", 7));
    ASSERT_NE(at, std::string::npos);
    renamed[at] = '0';
    EXPECT_TRUE(Fails(renamed));
}

// Truncated files and cyclic chains fail without hanging.
TEST(DocBadInput, DamagedContainersFail) {
    std::string doc = Fixture("plain.doc");
    ASSERT_GT(doc.size(), 4096u);
    for (size_t size : {size_t{0}, size_t{100}, size_t{512}, size_t{1024}, doc.size() / 2,
                        doc.size() - 512})
        EXPECT_TRUE(Fails(doc.substr(0, size))) << size;

    CompoundFileOptions regular;
    regular.useMiniStream = false;
    CompoundFileLayout layout;
    std::string file = WriteCompoundFile({{"WordDocument", std::string(8192, 'a')}}, regular, &layout);
    std::string cyclic = file;
    SetFatEntry(cyclic, layout, 512, layout.firstDirectorySector, layout.firstDirectorySector);
    EXPECT_TRUE(Fails(cyclic));
    std::string outside = file;
    SetFatEntry(outside, layout, 512, layout.firstDirectorySector, 0x7FFFFFFF);
    EXPECT_TRUE(Fails(outside));
}

// A piece that points outside the main stream fails.
TEST(DocBadInput, DamagedPieceTablesFail) {
    std::string doc = WriteDoc({Narrow("text\r")});
    // The piece's fc is the last 32-bit value before its 16-bit prm; moving
    // it past the end of the stream must not read outside it.
    size_t at = doc.find(std::string("\x02\x10\0\0\0", 5));
    ASSERT_NE(at, std::string::npos);
    std::string broken = doc;
    broken[at + 5 + 8 + 2 + 3] = '\x3f';
    EXPECT_TRUE(Fails(broken));
}

// A document gives no more text than its main stream holds: pieces that
// read the same stored bytes over (damage no Word writes) are refused as
// damaged, and a FIB that counts more characters than the pieces hold reads
// only the pieces.
TEST(DocBadInput, TextIsBoundedByTheStream) {
    DocOptions countsTooMany;
    countsTooMany.ccpText = 0xFFFFFFFF;
    const struct {
        const char* name;
        std::string doc;
        DocProblem problem;
        std::string text;
    } cases[] = {
        {"reused once, still within the stream", WriteDocReusingBytes(Narrow("ab\r"), 2),
         DocProblem::None, "ab\r\nab\r\n"},
        {"8-bit, twice", WriteDocReusingBytes(Narrow(std::string(4000, 'a')), 2),
         DocProblem::Damaged, ""},
        {"UTF-16, three times", WriteDocReusingBytes(Wide(std::u16string(3000, u'\u0416')), 3),
         DocProblem::Damaged, ""},
        {"64 KB a thousand times",
         WriteDocReusingBytes(Narrow(std::string(65535, 'a') + "\r"), 1000), DocProblem::Damaged,
         ""},
        {"a count past every piece", WriteDoc({Narrow("short\r")}, countsTooMany), DocProblem::None,
         "short\r\n"},
        {"a count past every piece, reused",
         WriteDocReusingBytes(Narrow(std::string(5000, 'a')), 50, countsTooMany),
         DocProblem::Damaged, ""},
    };
    for (const auto& c : cases) {
        std::string text = "left over";
        EXPECT_EQ(ReadWordDocument(c.doc, text), c.problem) << c.name;
        EXPECT_TRUE(text == c.text) << c.name << ": " << text.size() << " bytes";
    }
}
