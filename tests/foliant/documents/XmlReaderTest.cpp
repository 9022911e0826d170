// The XML reader: the events of well-formed documents, what it decodes and
// skips, and that malformed or oversized documents end in an error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/xml/XmlReader.h"
#include "support/SlicedReader.h"

namespace {

// The events of a document as one line of text: <name a=v> </name> "text".
// Text that comes in several events in a row is joined, as a streamed
// reader may cut it anywhere.
std::string TraceOf(XmlReader& xml) {
    std::string trace;
    bool inText = false;
    for (;;) {
        XmlEvent e = xml.Next();
        if (inText && e != XmlEvent::Text)
            trace += "\"";
        if (!inText && e == XmlEvent::Text)
            trace += "\"";
        inText = e == XmlEvent::Text;
        switch (e) {
        case XmlEvent::StartElement:
            trace += "<" + std::string(xml.Name());
            for (const char* a : {"id", "x:lang", "lang"})
                if (const std::string* v = xml.Attribute(a))
                    trace += std::string(" ") + a + "=" + *v;
            trace += ">";
            break;
        case XmlEvent::EndElement:
            trace += "</" + std::string(xml.Name()) + ">";
            break;
        case XmlEvent::Text:
            trace += xml.Text();
            break;
        case XmlEvent::End:
            return trace;
        case XmlEvent::Error:
            return trace + "!";
        }
    }
}

// The trace of a document held in memory; every streamed reading of it,
// whatever the size of the reads, must give the same.
std::string Trace(std::string_view doc, const XmlLimits& limits = {}) {
    XmlReader whole(doc, limits);
    std::string trace = TraceOf(whole);
    for (size_t slice : {1, 2, 3, 7, 4096}) {
        SlicedReader source(doc, slice);
        XmlReader streamed(source, limits);
        EXPECT_EQ(TraceOf(streamed), trace) << "read " << slice << " bytes at a time: " << doc;
    }
    return trace;
}

}  // namespace

// Elements, attributes in both quotes, empty-element tags and text.
TEST(XmlReader, ReportsElementsAttributesAndText) {
    EXPECT_EQ(Trace("<?xml version=\"1.0\"?>\n<a id='1'><b id=\"2\"/>hi<c>there</c></a>\n"),
              "<a id=1><b id=2></b>\"hi\"<c>\"there\"</c></a>");
    EXPECT_EQ(Trace("<a\n id = \"x\" ><b/><b /></a>"), "<a id=x><b></b><b></b></a>");
}

// An attribute is found by its qualified or its local name.
TEST(XmlReader, FindsAttributesByLocalName) {
    XmlReader xml("<w:p xmlns:w='u' w:id='7' x:lang='en'/>");
    ASSERT_EQ(xml.Next(), XmlEvent::StartElement);
    EXPECT_EQ(xml.Name(), "w:p");
    EXPECT_EQ(xml.LocalName(), "p");
    ASSERT_NE(xml.Attribute("id"), nullptr);
    EXPECT_EQ(*xml.Attribute("w:id"), "7");
    EXPECT_EQ(*xml.Attribute("lang"), "en");
    EXPECT_EQ(xml.Attribute("missing"), nullptr);
}

// The five named entities, decimal and hexadecimal references (UTF-8 out),
// CDATA as text; comments, processing instructions and the document type
// are skipped.
TEST(XmlReader, DecodesEntitiesAndSkipsWhatIsNotContent) {
    EXPECT_EQ(Trace("<a>&lt;&gt;&amp;&quot;&apos;</a>"), "<a>\"<>&\"'\"</a>");
    EXPECT_EQ(Trace("<a>&#65;&#x42;&#233;&#x20AC;&#x1F600;</a>"),
              "<a>\"AB\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"</a>");
    EXPECT_EQ(Trace("<a id='&amp;&#49;'/>"), "<a id=&1></a>");
    EXPECT_EQ(Trace("<a><![CDATA[<b>&amp;]]></a>"), "<a>\"<b>&amp;\"</a>");
    EXPECT_EQ(Trace("<!-- c --><?pi x?><a><!-- <b> --><?x y?>t</a><!-- end -->"),
              "<a>\"t\"</a>");
    EXPECT_EQ(Trace("<!DOCTYPE a [ <!ENTITY e \">\"> ]><a/>"), "<a></a>");
    EXPECT_EQ(Trace("\xEF\xBB\xBF<a/>"), "<a></a>");
    // XHTML pages use the no-break space undeclared; other names stay.
    EXPECT_EQ(Trace("<a>&nbsp;&mdash;</a>"), "<a>\"\xC2\xA0&mdash;\"</a>");
    // A reference that names no character is a '?', not a lost document.
    EXPECT_EQ(Trace("<a>&#0;&#xD800;&#x110000;&#xZZ;&#;&#123456789;.</a>"), "<a>\"??????.\"</a>");
}

// Told to, the reader knows the HTML 4 entities, case and all.
TEST(XmlReader, DecodesHtmlEntitiesWhenAsked) {
    const std::string doc = "<a>&eacute;&Eacute;&mdash;&euro;&Omega;&sigmaf;&hearts;&bogus;</a>";
    XmlReader xml(doc);
    xml.DecodeHtmlEntities();
    ASSERT_EQ(xml.Next(), XmlEvent::StartElement);
    ASSERT_EQ(xml.Next(), XmlEvent::Text);
    EXPECT_EQ(xml.Text(), "\xC3\xA9\xC3\x89\xE2\x80\x94\xE2\x82\xAC\xCE\xA9\xCF\x82\xE2\x99\xA5&bogus;");
}

// Deep nesting is walked without recursion, up to the depth limit.
TEST(XmlReader, NestsDeeplyWithoutRecursion) {
    constexpr int kDepth = 200000;
    std::string doc;
    for (int i = 0; i < kDepth; ++i)
        doc += "<d>";
    for (int i = 0; i < kDepth; ++i)
        doc += "</d>";
    XmlLimits limits;
    limits.maxDepth = kDepth;
    XmlReader xml(doc, limits);
    size_t deepest = 0;
    XmlEvent e;
    while ((e = xml.Next()) == XmlEvent::StartElement || e == XmlEvent::EndElement)
        deepest = std::max(deepest, xml.Depth());
    EXPECT_EQ(e, XmlEvent::End);
    EXPECT_EQ(deepest, static_cast<size_t>(kDepth));
    limits.maxDepth = kDepth - 1;
    EXPECT_EQ(Trace(doc, limits).back(), '!');
}

// Every malformed document ends in an error, and the error stays.
TEST(XmlReader, MalformedDocumentsEndInAnError) {
    const char* bad[] = {
        "",                      // no root
        "<a>",                   // not closed
        "<a></b>",               // wrong end tag
        "<a></a><b/>",           // two roots
        "text<a/>",              // text outside the root
        "<a>x",                  // text runs off the end
        "<a b></a>",             // attribute without a value
        "<a b=c/>",              // unquoted value
        "<a b='1'c='2'/>",       // no blank between attributes
        "<a b='<'/>",            // '<' in a value
        "<a>&amp</a>",           // unterminated reference
        "<a><!-- x</a>",         // unterminated comment
        "<a><![CDATA[x</a>",     // unterminated CDATA
        "<a/><!DOCTYPE a>",      // document type after the root
        "< a/>",                 // no name
    };
    for (const char* doc : bad) {
        EXPECT_EQ(Trace(doc).back(), '!') << doc;
        XmlReader xml(doc);
        XmlEvent e;
        while ((e = xml.Next()) != XmlEvent::End && e != XmlEvent::Error) {
        }
        EXPECT_EQ(e, XmlEvent::Error) << doc;
        EXPECT_EQ(xml.Next(), XmlEvent::Error) << doc;
    }
}

// The limits on names and attributes.
TEST(XmlReader, NamesAndAttributesAreLimited) {
    XmlLimits limits;
    limits.maxNameLength = 4;
    limits.maxAttributes = 2;
    EXPECT_EQ(Trace("<abcd/>", limits), "<abcd></abcd>");
    EXPECT_EQ(Trace("<abcde/>", limits), "!");
    EXPECT_EQ(Trace("<a p='1' q='2'/>", limits), "<a></a>");
    EXPECT_EQ(Trace("<a p='1' q='2' r='3'/>", limits), "!");
}

// SkipElement consumes the element just started, however deep.
TEST(XmlReader, SkipsAWholeElement) {
    XmlReader xml("<a><skip><x><y/>t</x></skip><keep/></a>");
    ASSERT_EQ(xml.Next(), XmlEvent::StartElement);
    ASSERT_EQ(xml.Next(), XmlEvent::StartElement);
    ASSERT_TRUE(xml.SkipElement());
    ASSERT_EQ(xml.Next(), XmlEvent::StartElement);
    EXPECT_EQ(xml.Name(), "keep");
    XmlReader broken("<a><skip><x></skip></a>");
    broken.Next();
    broken.Next();
    EXPECT_FALSE(broken.SkipElement());
}

// A streamed document of any size passes through a window of bounded
// size: long text, CDATA and comments come whole, in events of bounded
// size, and references and characters are never cut. A tag longer than
// the markup limit ends in an error.
TEST(XmlReader, StreamsLongContentThroughABoundedWindow) {
    std::string unit = "caf\xC3\xA9 &amp; \xE2\x82\xAC ";
    std::string run;
    while (run.size() < (3u << 20))
        run += unit;
    std::string decoded;
    for (size_t at = 0; at < run.size(); at += unit.size())
        decoded += "caf\xC3\xA9 & \xE2\x82\xAC ";
    std::string doc = "<a>" + run + "<!--" + run + "--><![CDATA[" + run + "]]></a>";
    SlicedReader source(doc, 65536);
    XmlReader xml(source);
    ASSERT_EQ(xml.Next(), XmlEvent::StartElement);
    std::string text, cdata;
    size_t largest = 0;
    XmlEvent e;
    while ((e = xml.Next()) == XmlEvent::Text) {
        (text.size() < decoded.size() ? text : cdata) += xml.Text();
        largest = std::max(largest, xml.Text().size());
    }
    EXPECT_EQ(e, XmlEvent::EndElement);
    EXPECT_EQ(text, decoded);
    EXPECT_EQ(cdata, run);
    EXPECT_LT(largest, size_t{1} << 20);
    EXPECT_EQ(xml.Next(), XmlEvent::End);

    XmlLimits limits;
    limits.maxMarkupSize = 1000;
    std::string longTag = "<a title='" + std::string(2000, 'x') + "'/>";
    SlicedReader tagSource(longTag, 100);
    XmlReader tagged(tagSource, limits);
    EXPECT_EQ(tagged.Next(), XmlEvent::Error);
}

// A source that fails ends the document in an error, never in its end.
TEST(XmlReader, AFailedReadIsAnError) {
    struct Failing final : FileReader {
        bool Read(char*, size_t, size_t& got) override {
            got = 0;
            return false;
        }
    } failing;
    XmlReader xml(failing);
    EXPECT_EQ(xml.Next(), XmlEvent::Error);
}
