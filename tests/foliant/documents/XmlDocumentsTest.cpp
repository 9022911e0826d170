// The DOCX, ODT, EPUB and FictionBook readers on documents written here
// by hand, each holding what a reader should see and what it should not:
// reading order, lines, table rows, notes after the text, kept breaks and
// tabs, and no deleted text, comments, field codes or metadata.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>

#include "CodePageSystem.h"
#include "support/PackageBuilder.h"
#include "support/SlicedReader.h"
#include "convert/xml/PlainTextBuilder.h"
#include "convert/xml/XmlDocuments.h"

namespace {

std::string Docx(const std::string& body, const std::string& footnotes = "") {
    const std::string ns = " xmlns:w='http://schemas.openxmlformats.org/wordprocessingml/2006/main'";
    std::vector<std::pair<std::string, std::string>> members = {
        {"[Content_Types].xml", "<Types/>"},
        {"_rels/.rels",
         "<Relationships><Relationship Id='r1' Type='http://x/relationships/officeDocument' "
         "Target='/doc/main.xml'/></Relationships>"},
        {"doc/main.xml", "<?xml version='1.0'?><w:document" + ns + "><w:body>" + body +
                             "</w:body></w:document>"},
    };
    if (!footnotes.empty())
        members.push_back({"doc/footnotes.xml", "<w:footnotes" + ns + ">" + footnotes + "</w:footnotes>"});
    return BuildPackage(members);
}

std::string P(const std::string& runs) {
    return "<w:p><w:pPr><w:tabs><w:tab w:val='left' w:pos='720'/></w:tabs></w:pPr>" + runs + "</w:p>";
}

std::string R(const std::string& text) {
    return "<w:r><w:rPr><w:b/></w:rPr><w:t xml:space='preserve'>" + text + "</w:t></w:r>";
}

std::string Converted(bool (*read)(System&, std::string_view, std::string&), const std::string& file,
                      int codePage = 1252) {
    CodePageSystem sys(codePage);
    std::string text;
    EXPECT_TRUE(read(sys, file, text));
    return sys.Written(text);
}

}  // namespace

// Paragraphs are lines; tabs and breaks are kept; deleted text, moved-away
// text, field codes and paragraph properties are not text.
TEST(DocxReader, GivesParagraphsRunsBreaksAndTabs) {
    std::string body =
        P(R("One") + "<w:r><w:tab/><w:t>two</w:t><w:br/><w:t>three</w:t></w:r>") +
        P("<w:del w:id='1'><w:r><w:delText>gone</w:delText></w:r></w:del>"
          "<w:ins w:id='2'>" + R("kept") + "</w:ins>"
          "<w:moveFrom>" + R("moved") + "</w:moveFrom>") +
        P("<w:r><w:fldChar w:fldCharType='begin'/></w:r><w:r><w:instrText> PAGE </w:instrText></w:r>"
          "<w:r><w:fldChar w:fldCharType='separate'/></w:r>" + R("7") +
          "<w:r><w:fldChar w:fldCharType='end'/></w:r>"
          "<w:hyperlink r:id='x'>" + R(" link") + "</w:hyperlink>") +
        P("") + P(R("Caf\xC3\xA9 \xD0\x96 &amp; co") + "<w:r><w:noBreakHyphen/></w:r>") +
        "<w:sectPr><w:pgSz w:w='11906'/></w:sectPr>";
    EXPECT_EQ(Converted(DocxToPlainText, Docx(body)),
              "One\ttwo\r\nthree\r\nkept\r\n7 link\r\n\r\nCaf\xE9 ? & co-\r\n");
}

// Hidden runs are left out, as the other readers leave hidden text out; a
// run that was hidden before a recorded change, or whose hiding is turned
// off, is not hidden.
TEST(DocxReader, LeavesHiddenTextOut) {
    std::string body = P(R("Shown") + "<w:r><w:rPr><w:vanish/></w:rPr><w:t> hidden</w:t><w:tab/></w:r>" +
                         "<w:r><w:rPr><w:vanish w:val='0'/></w:rPr><w:t> on</w:t></w:r>" +
                         "<w:r><w:rPr><w:rPrChange><w:rPr><w:vanish/></w:rPr></w:rPrChange></w:rPr>"
                         "<w:t> again</w:t></w:r>" + R(" end"));
    EXPECT_EQ(Converted(DocxToPlainText, Docx(body)), "Shown on again end\r\n");
}

// A table row is one line with TAB between cells; the paragraphs of one
// cell are joined by a space.
TEST(DocxReader, GivesTableRowsAsLines) {
    auto cell = [](const std::string& paragraphs) {
        return "<w:tc><w:tcPr><w:tcW w:w='100'/></w:tcPr>" + paragraphs + "</w:tc>";
    };
    std::string body = P(R("Before")) +
                       "<w:tbl><w:tblPr/><w:tblGrid><w:gridCol/></w:tblGrid>"
                       "<w:tr>" + cell(P(R("a1"))) + cell(P(R("b1")) + P(R("more"))) + "</w:tr>"
                       "<w:tr>" + cell(P("")) + cell(P(R("b2"))) + "</w:tr></w:tbl>" +
                       P(R("After"));
    EXPECT_EQ(Converted(DocxToPlainText, Docx(body)), "Before\r\na1\tb1 more\r\n\tb2\r\nAfter\r\n");
}

// Footnotes follow the text, numbered as their references; the separator
// notes are not text.
TEST(DocxReader, PutsFootnotesAfterTheText) {
    std::string body = P(R("Text") + "<w:r><w:footnoteReference w:id='5'/></w:r>" + R(" more.")) +
                       P(R("Last."));
    std::string notes =
        "<w:footnote w:type='separator' w:id='-1'><w:p><w:r><w:separator/></w:r></w:p></w:footnote>"
        "<w:footnote w:id='5'>" + P("<w:r><w:footnoteRef/></w:r>" + R("The note.")) + "</w:footnote>";
    EXPECT_EQ(Converted(DocxToPlainText, Docx(body, notes)),
              "Text[1] more.\r\nLast.\r\n[1] The note.\r\n");
}

// Damaged packages and XML give no text; so does an encrypted document,
// which is a compound file rather than a ZIP package.
TEST(DocxReader, DamagedOrEncryptedDocumentsGiveNoText) {
    CodePageSystem sys(1252);
    std::string text;
    std::string good = Docx(P(R("x")));
    EXPECT_FALSE(DocxToPlainText(sys, good.substr(0, good.size() / 2), text));
    EXPECT_FALSE(DocxToPlainText(sys, Docx(P(R("x")) + "<w:p>"), text));
    EXPECT_FALSE(DocxToPlainText(sys, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) +
                                         std::string(600, '\0'), text));
    EXPECT_FALSE(DocxToPlainText(sys, BuildPackage({{"other.xml", "<a/>"}}), text));
    EXPECT_TRUE(text.empty());
}

namespace {

std::string Odt(const std::string& text) {
    return BuildPackage({
        {"mimetype", "application/vnd.oasis.opendocument.text"},
        {"content.xml",
         "<?xml version='1.0' encoding='UTF-8'?><office:document-content "
         "xmlns:office='o' xmlns:text='t' xmlns:table='tb'><office:automatic-styles>"
         "<style:style style:name='P1'><style:text-properties fo:font-weight='bold'/></style:style>"
         "</office:automatic-styles><office:body><office:text>" + text +
         "</office:text></office:body></office:document-content>"},
    });
}

}  // namespace

// Blanks collapse inside paragraphs; text:s, tabs and line breaks are kept;
// comments and tracked deletions are not text; notes follow the body.
TEST(OdtReader, GivesParagraphsWithTheirSpacing) {
    std::string text =
        "<text:sequence-decls><text:sequence-decl text:name='Table'/></text:sequence-decls>"
        "<text:tracked-changes><text:changed-region><text:deletion><text:p>gone</text:p>"
        "</text:deletion></text:changed-region></text:tracked-changes>"
        "<text:h text:outline-level='1'>Title</text:h>\n"
        "<text:p>  a   b\n c<text:s text:c='3'/>d<text:tab/>e<text:line-break/>f</text:p>"
        "<text:p><text:span>Caf\xC3\xA9</text:span> <text:a xlink:href='x'>link</text:a>"
        "<office:annotation><dc:creator>Me</dc:creator><text:p>comment</text:p></office:annotation>"
        " note<text:note text:note-class='footnote'><text:note-citation>1</text:note-citation>"
        "<text:note-body><text:p>The note.</text:p></text:note-body></text:note> end.</text:p>"
        "<text:list><text:list-item><text:p>item one</text:p></text:list-item>"
        "<text:list-item><text:p>item two</text:p></text:list-item></text:list>"
        "<table:table><table:table-column/><table:table-row><table:table-cell><text:p>a1</text:p>"
        "</table:table-cell><table:table-cell><text:p>b1</text:p><text:p>more</text:p>"
        "</table:table-cell></table:table-row><table:table-row><table:table-cell/>"
        "<table:covered-table-cell/></table:table-row></table:table><text:p/>";
    EXPECT_EQ(Converted(OdtToPlainText, Odt(text)),
              "Title\r\na b c   d\te\r\nf\r\nCaf\xE9 link note[1] end.\r\nitem one\r\nitem two\r\n"
              "a1\tb1 more\r\n\t\r\n\r\n[1] The note.\r\n");
}

namespace {

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

}  // namespace

// Elements are known by their namespace, whatever prefix the document
// binds to it, or none: every spelling gives the same text.
TEST(XmlDocuments, MatchElementsByNamespaceNotPrefix) {
    const std::string wml = "'http://schemas.openxmlformats.org/wordprocessingml/2006/main'";
    const std::string docx =
        "<{w}document {xmlns}><{w}body><{w}p><{w}r><{w}t>One</{w}t><{w}tab/><{w}t>two</{w}t></{w}r>"
        "</{w}p><{w}p><{w}r><{w}rPr><{w}vanish {a}val='1'/></{w}rPr><{w}t>hidden</{w}t></{w}r>"
        "<{w}r><{w}t>shown</{w}t></{w}r></{w}p></{w}body></{w}document>";
    const std::string office = "'urn:oasis:names:tc:opendocument:xmlns:office:1.0'";
    const std::string text = "'urn:oasis:names:tc:opendocument:xmlns:text:1.0'";
    const std::string odt =
        "<{w}document-content {xmlns}><{w}body><{w}text><{a}p>a<{a}s {a}c='2'/>b<{a}note>"
        "<{a}note-citation>1</{a}note-citation><{a}note-body><{a}p>note</{a}p></{a}note-body>"
        "</{a}note></{a}p></{w}text></{w}body></{w}document-content>";
    struct Case {
        bool docx;
        const char* w;  // prefix of the elements (office's in ODT)
        const char* a;  // prefix of the attributes (text's in ODT)
        std::string xmlns;
        const char* expected;
    };
    const Case cases[] = {
        {true, "w:", "w:", "xmlns:w=" + wml, "One\ttwo\r\nshown\r\n"},
        {true, "ns0:", "ns0:", "xmlns:ns0=" + wml, "One\ttwo\r\nshown\r\n"},
        {true, "", "a:", "xmlns=" + wml + " xmlns:a=" + wml, "One\ttwo\r\nshown\r\n"},
        {false, "office:", "text:", "xmlns:office=" + office + " xmlns:text=" + text, "a  b[1]\r\n[1] note\r\n"},
        {false, "o:", "t:", "xmlns:o=" + office + " xmlns:t=" + text, "a  b[1]\r\n[1] note\r\n"},
        {false, "", "t:", "xmlns=" + office + " xmlns:t=" + text, "a  b[1]\r\n[1] note\r\n"},
    };
    for (const Case& c : cases) {
        std::string part = c.docx ? docx : odt;
        part = ReplaceAll(ReplaceAll(ReplaceAll(part, "{w}", c.w), "{a}", c.a), "{xmlns}", c.xmlns);
        std::string package = BuildPackage({{c.docx ? "word/document.xml" : "content.xml", part}});
        EXPECT_EQ(Converted(c.docx ? DocxToPlainText : OdtToPlainText, package), c.expected) << part;
    }
}

TEST(OdtReader, DamagedDocumentsGiveNoText) {
    CodePageSystem sys(1252);
    std::string text;
    EXPECT_FALSE(OdtToPlainText(sys, Odt("<text:p>open"), text));
    EXPECT_FALSE(OdtToPlainText(sys, BuildPackage({{"styles.xml", "<a/>"}}), text));
}

namespace {

std::string Epub(const std::string& spine, const std::vector<std::pair<std::string, std::string>>& pages) {
    std::vector<std::pair<std::string, std::string>> members = {
        {"mimetype", "application/epub+zip"},
        {"META-INF/container.xml",
         "<container version='1.0' xmlns='urn:oasis:names:tc:opendocument:xmlns:container'>"
         "<rootfiles><rootfile full-path='OPS/book.opf' media-type='application/oebps-package+xml'/>"
         "</rootfiles></container>"},
        {"OPS/book.opf",
         "<package xmlns='http://www.idpf.org/2007/opf' version='3.0'><metadata>"
         "<dc:title>Metadata title</dc:title></metadata><manifest>"
         "<item id='b' href='text/Chapter%20Two.xhtml' media-type='application/xhtml+xml'/>"
         "<item id='a' href='text/../one.xhtml' media-type='application/xhtml+xml'/>"
         "<item id='n' href='notes.xhtml#top' media-type='application/xhtml+xml'/>"
         "<item id='css' href='style.css' media-type='text/css'/></manifest>"
         "<spine>" + spine + "</spine></package>"},
    };
    for (const auto& [name, body] : pages)
        members.push_back({name,
                           "<?xml version='1.0' encoding='utf-8'?><!DOCTYPE html>"
                           "<html xmlns='http://www.w3.org/1999/xhtml' xmlns:epub='e'><head>"
                           "<title>Page title</title><style>p { }</style></head><body>" + body +
                           "</body></html>"});
    return BuildPackage(members);
}

}  // namespace

// The spine's order, not the manifest's; blocks are lines, inline elements
// are not; pre keeps its lines; a non-linear page follows the others.
TEST(EpubReader, FollowsTheSpine) {
    std::string book = Epub("<itemref idref='n' linear='no'/><itemref idref='a'/><itemref idref='b'/>",
                            {{"OPS/one.xhtml",
                              "<section epub:type='titlepage'><h1>Metadata title</h1></section>"
                              "<h1>One</h1>\n<p>First <em>para</em>\n graph.<br/>Broken"
                              "</p><div><p>in div</p>tail</div><script>var x;</script>"
                              "<pre>a  b\nc</pre><ul><li>item</li><li>two&nbsp;x</li></ul>"},
                             {"OPS/text/Chapter Two.xhtml",
                              "<table><tr><th>h1</th><th>h2</th></tr><tr><td>c<p>1</p></td>"
                              "<td>c2</td></tr></table><p>See<a epub:type='noteref' href='#n1'>"
                              "<sup>1</sup></a> there.</p><aside epub:type='footnote' id='n1'>"
                              "<p>The note. <a role='doc-backlink' href='#r'>back</a></p></aside>"
                              "<p>After.</p>"},
                             {"OPS/notes.xhtml", "<p>Aside page</p>"}});
    EXPECT_EQ(Converted(EpubToPlainText, book),
              "One\r\nFirst para graph.\r\nBroken\r\nin div\r\ntail\r\na  b\r\nc\r\nitem\r\ntwo\xA0x\r\n"
              "h1\th2\r\nc 1\tc2\r\nSee[1] there.\r\nAfter.\r\nAside page\r\nThe note.\r\n");
}

// Without a container or a readable package there is no book; a broken
// chapter alone does not lose it.
TEST(EpubReader, BrokenPackagesGiveNoText) {
    CodePageSystem sys(1252);
    std::string text;
    EXPECT_FALSE(EpubToPlainText(sys, BuildPackage({{"mimetype", "application/epub+zip"}}), text));
    EXPECT_FALSE(EpubToPlainText(sys, BuildEpub("<item id='a' href='a.xhtml'>", "", {}), text));
    EXPECT_TRUE(EpubToPlainText(sys, Epub("<itemref idref='a'/>", {{"OPS/one.xhtml", "<p>open"}}), text));
    EXPECT_EQ(text, "open\r\n");
}

// A FictionBook in windows-1251, read on a Cyrillic system: the body in
// order, the notes body after it, the description and pictures left out.
TEST(Fb2Reader, ReadsItsDeclaredEncoding) {
    CodePageSystem cyrillic(1251);
    auto in1251 = [&](const std::string& utf8) { return cyrillic.Ansi(utf8); };
    std::string book = in1251(
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
        "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" xmlns:l=\"x\">"
        "<description><title-info><book-title>Метаданные</book-title></title-info></description>"
        "<body><title><p>Глава первая</p></title><section><epigraph><p>Эпиграф</p>"
        "<text-author>Автор</text-author></epigraph><p>Текст <emphasis>книги</emphasis>"
        "<a l:href=\"#n1\" type=\"note\">[1]</a>.</p><empty-line/><poem><stanza><v>Строка один</v>"
        "<v>Строка два</v></stanza></poem><image l:href=\"#pic\"/>"
        "<table><tr><th>A</th><td>B</td></tr></table></section></body>"
        "<body name=\"notes\"><section id=\"n1\"><title><p>1</p></title><p>Примечание.</p></section></body>"
        "<binary id=\"pic\" content-type=\"image/png\">iVBORw0KGgo=</binary></FictionBook>");
    std::string text;
    ASSERT_TRUE(Fb2ToPlainText(cyrillic, book, text));
    EXPECT_EQ(cyrillic.Written(text), in1251("Глава первая\r\nЭпиграф\r\nАвтор\r\nТекст книги[1].\r\n\r\nСтрока один\r\n"
                           "Строка два\r\nA\tB\r\n1\r\nПримечание.\r\n"));
    // The same book read on a Western system keeps its letters; written
    // in that system's code page they become '?'.
    CodePageSystem western(1252);
    ASSERT_TRUE(Fb2ToPlainText(western, book, text));
    EXPECT_EQ(text.substr(0, 4), "\xD0\x93\xD0\xBB");
    EXPECT_EQ(western.Written(text).substr(0, 14), "????? ??????\r\n");
}

// UTF-8 with or without a declaration, and UTF-16 with its mark.
TEST(Fb2Reader, ReadsUnicodeBooks) {
    std::string utf8 = "<FictionBook><body><p>Caf\xC3\xA9</p></body></FictionBook>";
    EXPECT_EQ(Converted(Fb2ToPlainText, utf8), "Caf\xE9\r\n");
    EXPECT_EQ(Converted(Fb2ToPlainText, "<?xml version='1.0' encoding='UTF-8'?>" + utf8), "Caf\xE9\r\n");
    CodePageSystem sys(1252);
    std::string utf16 = "\xFF\xFE" + sys.ToUtf16Le(utf8, kUtf8CodePage);
    EXPECT_EQ(Converted(Fb2ToPlainText, utf16), "Caf\xE9\r\n");
    std::string text;
    EXPECT_FALSE(Fb2ToPlainText(sys, "<FictionBook><body><p>x</body></FictionBook>", text));
}

namespace {

std::string Repeated(const std::string& s, size_t times) {
    std::string out;
    out.reserve(s.size() * times);
    for (size_t i = 0; i < times; ++i)
        out += s;
    return out;
}

std::string DocxWithTarget(const std::string& target, const std::string& runs) {
    return BuildPackage({
        {"_rels/.rels", "<Relationships><Relationship Id='r1' Type='http://x/officeDocument' Target='" +
                            target + "'/></Relationships>"},
        {"word/document.xml", "<w:document><w:body><w:p>" + runs + "</w:p></w:body></w:document>"},
    });
}

}  // namespace

// Books in every encoding the reader names, long enough that the decoder
// cuts them into many slices: each gives its text exactly, read on a
// system whose ANSI code page is UTF-8. One in an unknown encoding is
// refused with the name.
TEST(Fb2Reader, ReadsEveryEncodingItNames) {
    struct Case {
        const char* encoding;  // as declared; empty for a byte-order mark
        int codePage;          // the bytes' code page; 1201 for UTF-16BE
        const char* text;
    };
    const Case cases[] = {
        {"windows-1251", 1251, "Война и мир"},
        {"koi8-r", 20866, "Война и мир"},
        {"KOI8-U", 21866, "Їжак і ґанок"},
        {"iso-8859-5", 28595, "Война и мир"},
        {"ISO-8859-15", 28605, "Œuvre à 5 €"},
        {"windows-1250", 1250, "Żółć"},
        {"gbk", 936, "红楼梦 第一回"},
        {"GB18030", 54936, "红楼梦 第一回"},
        {"big5", 950, "紅樓夢 第一回"},
        {"Shift_JIS", 932, "吾輩は猫である"},
        {"euc-jp", 20932, "吾輩は猫である"},
        {"euc-kr", 949, "홍길동전"},
        {"", 1200, "Война и мир 红楼梦 😀"},
        {"", 1201, "Война и мир 红楼梦 😀"},
    };
    CodePageSystem sys(kUtf8CodePage);
    for (const Case& c : cases) {
        bool unicode = c.codePage == 1200 || c.codePage == 1201;
        if (!unicode && !sys.HasCodePage(c.codePage))
            continue;  // Wine lacks a few of the East Asian ones
        std::string paragraph = std::string("<p>") + c.text + "</p>\n";
        std::string body = "<FictionBook><body>" + Repeated(paragraph, 20000) + "</body></FictionBook>";
        std::string utf16 = sys.ToUtf16Le(body, kUtf8CodePage);
        std::string book;
        if (unicode) {
            book = "\xFF\xFE" + utf16;
            if (c.codePage == 1201) {
                for (size_t i = 0; i < book.size(); i += 2)
                    std::swap(book[i], book[i + 1]);
            }
        } else {
            book = "<?xml version=\"1.0\" encoding=\"" + std::string(c.encoding) + "\"?>" +
                   sys.FromUtf16Le(utf16, c.codePage);
        }
        std::string text;
        EXPECT_TRUE(Fb2ToPlainText(sys, book, text)) << c.encoding << " " << c.codePage;
        EXPECT_TRUE(text == Repeated(std::string(c.text) + "\r\n", 20000)) << c.encoding << " " << c.codePage;
    }
    SlicedReader unknown("<?xml version='1.0' encoding='x-klingon'?><FictionBook/>", 4096);
    PlainTextBuilder out;
    ReadReport report;
    EXPECT_FALSE(ReadFictionBook(sys, unknown, out, report));
    EXPECT_EQ(report.why, SkipReason::UnknownEncoding);
    EXPECT_EQ(report.detail, "x-klingon");
}


// Hostile and odd packages, made here: each gives the document's real
// text once, no more, or is refused; none crashes or balloons.
TEST(XmlDocuments, HostilePackagesGiveTheirTextOnceOrNothing) {
    using Reader = bool (*)(System&, std::string_view, std::string&);
    const std::string chapter = "<item id='c' href='c.xhtml'/>";
    const std::vector<std::pair<std::string, std::string>> page = {{"OPS/c.xhtml", XhtmlPage("<p>Chapter</p>")}};
    struct Case {
        const char* what;
        Reader read;
        std::string document;
        const char* text;  // null: refused
    };
    const Case cases[] = {
        {"spine naming one chapter 100,000 times", EpubToPlainText,
         BuildEpub(chapter, Repeated("<itemref idref='c'/>", 100000), page), "Chapter\r\n"},
        {"fragments, the package, the container and '#x' as chapters", EpubToPlainText,
         BuildEpub(chapter + "<item id='a' href='c.xhtml#a'/><item id='b' href='c.xhtml#b'/>"
                             "<item id='self' href='#x'/><item id='opf' href='book.opf'/>"
                             "<item id='box' href='../META-INF/container.xml'/>",
                   "<itemref idref='self'/><itemref idref='opf'/><itemref idref='box'/>"
                   "<itemref idref='a'/><itemref idref='b'/><itemref idref='c'/>",
                   page),
         "Chapter\r\n"},
        {"container naming itself as the package", EpubToPlainText,
         BuildEpub(chapter, "<itemref idref='c'/>", page, "META-INF/container.xml"), ""},
        {"empty main-part target", DocxToPlainText, DocxWithTarget("", "<w:r><w:t>Body</w:t></w:r>"),
         "Body\r\n"},
        {"control characters in text", DocxToPlainText,
         DocxWithTarget("/word/document.xml",
                        "<w:r><w:t>a\x01" "b&#2;c&#x1F;d\x7F e\xC2\x85" "f" + std::string(1000, '\0') +
                            "\tg&#9;h</w:t></w:r>"),
         "abcd ef\tg\th\r\n"},
        {"run of NUL bytes as the whole text", DocxToPlainText,
         DocxWithTarget("word/document.xml", "<w:r><w:t>" + std::string(250000, '\0') + "</w:t></w:r>"),
         ""},
    };
    for (const Case& c : cases) {
        CodePageSystem sys(1252);
        std::string text;
        bool read = c.read(sys, c.document, text);
        EXPECT_EQ(read, c.text != nullptr) << c.what;
        if (read && c.text) {
            EXPECT_EQ(text, c.text) << c.what;
        }
    }
}

// Runs of spaces are held to what the file holds, however many it asks for.
TEST(OdtReader, SpaceRunsAreBoundedByTheFile) {
    std::string runs = Repeated("<text:s text:c='999999'/>", 10000);
    std::string document = Odt("<text:p>a" + runs + "b</text:p>");
    std::string text = Converted(OdtToPlainText, document);
    size_t contentSize = runs.size() + 400;  // the paragraph and the document's frame
    EXPECT_LE(text.size(), contentSize);
    EXPECT_GT(text.size(), runs.size() / 2);  // spaces up to that bound are kept
    EXPECT_EQ(text.substr(0, 1), "a");
    EXPECT_EQ(text.substr(text.size() - 3), "b\r\n");
}

// One bad chapter never loses the book: a chapter that is not well-formed
// is read tolerantly, a missing one is left out and named. HTML entities
// are decoded, and a bad reference is a '?'.
TEST(EpubReader, ReadsTheRestOfABookAroundABadChapter) {
    std::string book = BuildEpub(
        "<item id='c1' href='c1.xhtml'/><item id='c2' href='c2.xhtml'/>"
        "<item id='c3' href='c3.xhtml'/><item id='c4' href='c4.xhtml'/>",
        "<itemref idref='c1'/><itemref idref='c2'/><itemref idref='c3'/><itemref idref='c4'/>",
        {{"OPS/c1.xhtml", XhtmlPage("<h1>One</h1>")},
         {"OPS/c2.xhtml", XhtmlPage("<p>Write to <list@host> now, &eacute;t&eacute;</p>"
                                    "<script>x < y</script><script src='s.js'/><p>More &#xD800;</p>")},
         {"OPS/c4.xhtml", XhtmlPage("<p>&ccedil;a &#xD800; &mdash; &rsquo;</p>")}});
    CodePageSystem sys(1252);
    PlainTextBuilder out;
    ReadReport report;
    ASSERT_TRUE(ReadEpubBook(sys, book, out, report));
    EXPECT_EQ(sys.Written(out.Finish()), "One\r\nWrite to now, \xE9t\xE9\r\nMore ?\r\n\xE7" "a ? \x97 \x92\r\n");
    EXPECT_EQ(report.skippedParts, std::vector<std::string>{"OPS/c3.xhtml"});
}

// Notes of any size wait outside memory while the body streams, and come
// back after it, read back in parts that cut characters anywhere, as they
// would stand in a text given whole.
TEST(PlainTextBuilder, StoredNotesFollowTheStreamedBody) {
    struct MemoryNotes final : NoteStore {
        std::string kept;
        size_t writes = 0;
        bool Write(std::string_view utf8) override {
            kept.append(utf8);
            ++writes;
            return true;
        }
        bool ReadBack(const std::function<bool(std::string_view)>& part) override {
            for (size_t at = 0; at < kept.size(); at += 1000)
                if (!part(std::string_view(kept).substr(at, 1000)))
                    return false;
            return true;
        }
    };
    auto play = [](PlainTextBuilder& out) {
        std::mt19937 random(7);
        for (int i = 0; i < 40000; ++i) {
            std::string n = std::to_string(i);
            switch (random() % 4) {
            case 0:
                out.Append("body \xC3\xA9 " + n);
                break;
            case 1:
                out.EndParagraph();
                break;
            case 2:
                out.BeginNote();
                out.Append("note \xF0\x9F\x98\x80 " + n + Repeated("\xE2\x82\xAC", random() % 200));
                out.EndNote();
                break;
            default:
                out.Append("\xF0\x9F\x98\x80");
                break;
            }
        }
    };
    CodePageSystem sys(kUtf8CodePage);
    PlainTextBuilder whole;
    play(whole);
    std::string expected = whole.Finish();
    std::string streamed;
    MemoryNotes notes;
    PlainTextBuilder out;
    out.StreamTo(sys, [&streamed](std::string_view text) { streamed.append(text); return true; }, &notes);
    play(out);
    ASSERT_TRUE(out.EndStream());
    EXPECT_GT(notes.writes, 1u);
    EXPECT_TRUE(streamed == expected);
}

// Text is turned into the code page in slices: a line of megabytes comes
// out whole, wherever the slices fall among its characters of one to four
// bytes, and its line ends become CR LF.
// Line ends become CR LF, trailing ones give way to exactly one, and bytes
// that are not UTF-8 become U+FFFD, the text around them kept.
TEST(Utf8ToCrLfText, LineEndsAndBrokenBytes) {
    const std::string bad = "\xEF\xBF\xBD";
    const struct {
        std::string utf8, text;
    } cases[] = {
        {"a\nb", "a\r\nb\r\n"},
        {"a\r\nb\r\n\r\n\n", "a\r\nb\r\n"},
        {"\n\n", ""},
        {"", ""},
        {"caf\xC3\xA9", "caf\xC3\xA9\r\n"},
        {"x\xC3(y", "x" + bad + "(y\r\n"},
        {"\xC3", bad + "\r\n"},
        {"\xED\xA0\x80!", bad + bad + bad + "!\r\n"},
        {std::string(70000, 'a') + "\xF0\x9F\x98\x80", std::string(70000, 'a') + "\xF0\x9F\x98\x80\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Utf8ToCrLfText(c.utf8) == c.text) << c.utf8.substr(0, 40);
}
