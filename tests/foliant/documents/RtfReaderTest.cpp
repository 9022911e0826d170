// Tests of the RTF reader on documents written by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#ifndef _WIN32
#include <iconv.h>
#endif

#include "CodePageSystem.h"
#include "convert/rtf/RtfReader.h"

namespace {

std::string Convert(std::string_view rtf, int ansiCodePage = 1252) {
    CodePageSystem sys(ansiCodePage);
    std::string text;
    EXPECT_TRUE(RtfToPlainText(sys, rtf, text)) << rtf;
    return sys.Written(text);
}

// A document, the ANSI code page it is read in, and the text it gives.
struct TextCase {
    std::string rtf;
    int ansi;
    const char* text;
};

void ExpectTexts(const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases)
        EXPECT_EQ(Convert(c.rtf, c.ansi), c.text) << c.rtf << " in " << c.ansi;
}

bool Fails(std::string_view rtf) {
    CodePageSystem sys(1252);
    std::string text = "left over";
    bool ok = RtfToPlainText(sys, rtf, text);
    return !ok && text.empty();
}

}  // namespace

// Paragraphs, line breaks, tabs and the final CR LF.
TEST(RtfStructure, ParagraphsAndBreaks) {
    EXPECT_EQ(Convert("{\\rtf1}"), "\r\n");
    EXPECT_EQ(Convert("{\\rtf1\\ansi\\pard\\par}"), "\r\n");
    EXPECT_EQ(Convert("{\\rtf1 Hello\\par World\\par}"), "Hello\r\nWorld\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a\\line b\\tab c}"), "a\r\nb\tc\r\n");
    EXPECT_EQ(Convert("{\\rtf1 one\\par\\par two}"), "one\r\n\r\ntwo\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a\\\nb\\\r\nc}"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(Convert("{\\rtf1 li\r\nne}"), "line\r\n");
}

// The last line end of the text ends the document however it is written:
// a control word, escaped bytes or Unicode escapes. Any other stays, and a
// high surrogate without its pair is one "?" on either side of it.
TEST(RtfStructure, TheLastLineEndIsTheDocumentsEnd) {
    ExpectTexts({
        {"{\\rtf1 a\\'0d\\'0a}", 1252, "a\r\n"},
        {"{\\rtf1 a\\'0d\\u10?}", 1252, "a\r\n"},
        {"{\\rtf1 a\\u13?\\'0a}", 1252, "a\r\n"},
        {"{\\rtf1 \\'0d\\'0a\\'0d\\'0a}", 1252, "\r\n\r\n"},
        {"{\\rtf1 a\\'e9\\'0d\\'0a}", 65001, "a\xC3\xA9\r\n"},
        {"{\\rtf1 a\\'0a}", 1252, "a\n\r\n"},
        {"{\\rtf1 a\\par\\'0a}", 1252, "a\r\n\n\r\n"},
        {"{\\rtf1 a\\u-10179?\\par}", 1252, "a?\r\n"},
        {"{\\rtf1 a\\par\\u-10179?}", 65001, "a\r\n\xEF\xBF\xBD\r\n"},
        {"{\\rtf1 \\u-10179?\\u-8704?\\par}", 65001, "\xF0\x9F\x98\x80\r\n"},
    });
}

// Tables: cells are separated by tabs and a row ends the line.
TEST(RtfStructure, Tables) {
    EXPECT_EQ(Convert("{\\rtf1\\trowd\\cellx100\\cellx200 a\\cell b\\cell\\row "
                      "\\trowd c\\cell d\\cell\\row after\\par}"),
              "a\tb\r\nc\td\r\nafter\r\n");
    EXPECT_EQ(Convert("{\\rtf1 \\cell x\\cell\\row}"), "\tx\r\n");
}

// Groups inherit and restore state; the document ends with its group.
TEST(RtfStructure, GroupsAndDestinations) {
    EXPECT_EQ(Convert("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0;}"
                      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}Body}"),
              "Body\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a{\\*\\unknown secret}b{\\*\\generator x;}c}"), "abc\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a{\\pict\\pngblip 89504e47}b{\\object{\\*\\objdata 0102}}c}"),
              "abc\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a{\\unknownword kept}b}"), "akeptb\r\n");
    EXPECT_EQ(Convert("{\\rtf1 in}out of the document"), "in\r\n");
    EXPECT_EQ(Convert("{\\rtf1 \\{braces\\} and \\\\}"), "{braces} and \\\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a{\\header head}{\\footer foot}b}"), "ab\r\n");
    // A footnote leaves its number in the text; its own text is not kept.
    EXPECT_EQ(Convert("{\\rtf1 a{\\super\\chftn{\\*\\footnote\\chftn note}}b{\\chftn{\\footnote x}}}"),
              "a1b2\r\n");
}

// Fields keep their result; instructions and hidden text are dropped.
TEST(RtfStructure, FieldsAndHiddenText) {
    EXPECT_EQ(Convert("{\\rtf1 See {\\field{\\*\\fldinst HYPERLINK \"http://x\"}"
                      "{\\fldrslt the link}} now}"),
              "See the link now\r\n");
    EXPECT_EQ(Convert("{\\rtf1 {\\field{\\fldinst PAGE}{\\fldrslt 7}}}"), "7\r\n");
    EXPECT_EQ(Convert("{\\rtf1 shown{\\v hidden}shown}"), "shownshown\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a\\v b\\v0 c}"), "ac\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a\\v b\\plain c}"), "ac\r\n");
}

// \bin data is skipped by length, whatever bytes it holds.
TEST(RtfStructure, BinaryData) {
    std::string rtf = "{\\rtf1 a{\\pict\\bin5 }{\\}x}b}";
    EXPECT_EQ(Convert(rtf), "ab\r\n");
    static const char kWithNul[] = "{\\rtf1 a{\\*\\blob\\bin3 \0\\{}b}";
    std::string withNul(kWithNul, sizeof kWithNul - 1);
    EXPECT_EQ(Convert(withNul), "ab\r\n");
}

// Unicode escapes and their fallback characters.
TEST(RtfCharacters, UnicodeEscapes) {
    EXPECT_EQ(Convert("{\\rtf1 caf\\u233?}"), "caf\xe9\r\n");
    EXPECT_EQ(Convert("{\\rtf1\\uc2 \\u233\\'65\\'65!}"), "\xe9!\r\n");
    EXPECT_EQ(Convert("{\\rtf1\\uc0 \\u233 x}"), "\xe9x\r\n");
    EXPECT_EQ(Convert("{\\rtf1{\\uc3 \\u233 abcd}\\u233?e}"), "\xe9" "d\xe9" "e\r\n");
    EXPECT_EQ(Convert("{\\rtf1 \\u233{x}}"), "\xe9x\r\n");  // a brace ends the fallback
    // Above 32767 the number is written negative.
    EXPECT_EQ(Convert("{\\rtf1 \\u-223?}", 932), "\x82\x60\r\n");
    EXPECT_EQ(Convert("{\\rtf1\\uc1 \\u1046?\\u1046?}", 1251), "\xc6\xc6\r\n");
    // A character the ANSI code page cannot hold.
    EXPECT_EQ(Convert("{\\rtf1 \\u1046?x}", 1252), "?x\r\n");
}

// \'hh bytes are read in the document's or the font's code page.
TEST(RtfCharacters, CodePages) {
    EXPECT_EQ(Convert("{\\rtf1\\ansi caf\\'e9}"), "caf\xe9\r\n");
    EXPECT_EQ(Convert("{\\rtf1\\ansi\\ansicpg1251 \\'c6}", 1251), "\xc6\r\n");
    EXPECT_EQ(Convert("{\\rtf1\\ansi\\ansicpg1251 \\'c6}", 1252), "?\r\n");
    std::string fonts =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times;}"
        "{\\f1\\fnil\\fcharset204 Cyr;}{\\f2\\fnil\\fcharset134 SimSun;}}";
    EXPECT_EQ(Convert(fonts + "\\f1 \\'c6\\f0 \\'e9}", 1251), "\xc6" "e\r\n");
    EXPECT_EQ(Convert(fonts + "{\\f1 \\'c6}\\'c6}", 1252), "?\xc6\r\n");
    // A double-byte character spread over two escapes.
    EXPECT_EQ(Convert(fonts + "\\f2 \\'d6\\'d0}", 936), "\xd6\xd0\r\n");
    EXPECT_EQ(Convert(fonts + "\\f2 \\'d6\\'d0\\plain \\'e9}", 936), "\xd6\xd0\xa8\xa6\r\n");
}

// The special-character words.
TEST(RtfCharacters, SpecialCharacters) {
    EXPECT_EQ(Convert("{\\rtf1 \\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet}"),
              "\x97\x96\x91\x92\x93\x94\x95\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a\\~b\\-c\\_d}"), "a\xa0" "bc-d\r\n");
}

// Broken input fails or gives what was read, never more.
TEST(RtfBadInput, FailsOrStopsCleanly) {
    EXPECT_TRUE(Fails(""));
    EXPECT_TRUE(Fails("plain text, not RTF"));
    EXPECT_TRUE(Fails("{\\rtf1 a\\bin999 xyz}"));
    EXPECT_TRUE(Fails("{\\rtf1 a\\bin2147483647 xyz}"));
    EXPECT_EQ(Convert("{\\rtf1 unclosed {\\b group"), "unclosed group\r\n");
    EXPECT_EQ(Convert("{\\rtf1 bad \\'zz escape}"), "bad zz escape\r\n");
    EXPECT_EQ(Convert("{\\rtf1 ends with a backslash\\"), "ends with a backslash\r\n");
    EXPECT_EQ(Convert("{\\rtf1 big\\u99999999999 }"), "big?\r\n");
    std::string deep = "{\\rtf1 " + std::string(100000, '{') + "deep";
    EXPECT_EQ(Convert(deep), "deep\r\n");
}

// Each conversion gives only its own document's text.
TEST(RtfBadInput, ConversionsAreIndependent) {
    CodePageSystem sys(1252);
    std::string text;
    ASSERT_TRUE(RtfToPlainText(sys, "{\\rtf1 first\\par}", text));
    EXPECT_EQ(text, "first\r\n");
    ASSERT_TRUE(RtfToPlainText(sys, "{\\rtf1 second}", text));
    EXPECT_EQ(text, "second\r\n");
}

// Pages, columns and sections end a line as paragraphs do.
TEST(RtfStructure, PagesColumnsAndSectionsEndLines) {
    EXPECT_EQ(Convert("{\\rtf1 one\\page two\\column three\\sect four}"),
              "one\r\ntwo\r\nthree\r\nfour\r\n");
    EXPECT_EQ(Convert("{\\rtf1 last\\page}"), "last\r\n");
}

// A UTF-8 byte-order mark and white space before the document are skipped;
// anything else there is still not RTF.
TEST(RtfStructure, ByteOrderMarkAndWhiteSpaceBeforeTheDocument) {
    EXPECT_EQ(Convert("\xEF\xBB\xBF{\\rtf1 a}"), "a\r\n");
    EXPECT_EQ(Convert("\r\n\r\n \t{\\rtf1 a}"), "a\r\n");
    EXPECT_EQ(Convert("\xEF\xBB\xBF\r\n{\\rtf1 a}"), "a\r\n");
    EXPECT_TRUE(Fails("x{\\rtf1 a}"));
    EXPECT_TRUE(Fails("\xEF\xBB\xBF"));
    EXPECT_TRUE(Fails(" \r\n"));
}

// Text boxes and shape text, and an object's result, are read where they
// stand; shape properties, the shape's repeat for older readers and the
// object's data are not text.
TEST(RtfStructure, ShapeTextAndObjectResults) {
    EXPECT_EQ(Convert("{\\rtf1 before {\\shp{\\*\\shpinst\\shpleft0\\shpright900"
                      "{\\sp{\\sn wzName}{\\sv Text Box 1}}{\\shptxt\\pard inside\\par}}"
                      "{\\shprslt{\\*\\do\\dobxcolumn{\\dptxbxtext inside}}}}after}"),
              "before inside\r\nafter\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a{\\object\\objemb\\objw100{\\*\\objclass Excel.Sheet.8}"
                      "{\\*\\objdata 01050000}{\\result{\\pict\\wmetafile8 0100}shown}}b}"),
              "ashownb\r\n");
    EXPECT_EQ(Convert("{\\rtf1 a{\\*\\shpinst{\\sp{\\sn t}{\\sv v}}{\\shptxt one}}"
                      "{\\*\\shpinst{\\shptxt two}}b}"),
              "aonetwob\r\n");
    // Only a starred shape instruction opens; other starred groups stay shut.
    EXPECT_EQ(Convert("{\\rtf1 a{\\*\\shpgrp{\\shptxt no}}b}"), "ab\r\n");
}

// \uN above 32767 is written negative, beyond U+FFFF as a surrogate pair
// (some writers give the code point itself); what cannot be a character
// becomes "?". In UTF-8 as the ANSI code page every character shows.
TEST(RtfCharacters, CharactersBeyondSixteenBits) {
    ExpectTexts({
        {"{\\rtf1 \\u-10179?\\u-8704?}", 65001, "\xF0\x9F\x98\x80\r\n"},
        {"{\\rtf1 \\u55357?\\u56832?}", 65001, "\xF0\x9F\x98\x80\r\n"},
        {"{\\rtf1 \\u128512?x}", 65001, "\xF0\x9F\x98\x80x\r\n"},
        {"{\\rtf1 \\u-1?}", 65001, "\xEF\xBF\xBF\r\n"},
        {"{\\rtf1 \\u-32768?}", 65001, "\xE8\x80\x80\r\n"},
        {"{\\rtf1 \\u-10179?\\u-8704?}", 1252, "?\r\n"},
        {"{\\rtf1 \\u128512?x}", 1252, "?x\r\n"},
        {"{\\rtf1 a\\u-10179?b}", 65001, "a\xEF\xBF\xBD" "b\r\n"},
        {"{\\rtf1 a\\u-8704?b}", 1252, "a?b\r\n"},
        {"{\\rtf1 a\\u-40000?b}", 65001, "a?b\r\n"},
        {"{\\rtf1 a\\u1114112?b}", 65001, "a?b\r\n"},
        {"{\\rtf1 a\\u1114111?b}", 65001, "a\xF4\x8F\xBF\xBF" "b\r\n"},
        // Before or after text decoded from escaped bytes.
        {"{\\rtf1 x\\u-10179?a\\'e9}", 1252, "x?a\xe9\r\n"},
        {"{\\rtf1 \\u-10179?\\'e9}", 65001, "\xEF\xBF\xBD\xC3\xA9\r\n"},
        {"{\\rtf1 \\u-10179?\\u-8704?a\\'e9b}", 65001, "\xF0\x9F\x98\x80" "a\xC3\xA9" "b\r\n"},
    });
}

// No text is lost for its code page: an ANSI code page the system cannot
// convert reads as Windows-1252, Mac Roman (\mac, character set 77) comes
// from the reader's own table, and another unknown code page keeps its
// ASCII with "?" for every other byte. Characters the ANSI code page lacks
// become "?" on the way out. Letters that a system holds back to see
// whether a combining mark follows (Vietnamese and Hebrew) are not lost at
// the end of the text.
TEST(RtfCodePages, TextIsNeverLostForItsCodePage) {
    const std::string fonts77 =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset0 Times;}{\\f1\\fcharset77 Mac;}}";
    const std::string unknownCpg = "{\\rtf1\\ansi{\\fonttbl{\\f1\\cpg99999 X;}}";
    ExpectTexts({
        {"{\\rtf1\\ansi\\ansicpg99999 hello w\\'e9rld}", 1252, "hello w\xe9rld\r\n"},
        {"{\\rtf1\\ansi\\ansicpg99999 hello w\\'e9rld}", 1251, "hello werld\r\n"},
        {"{\\rtf1\\mac caf\\'8e cr\\'8fme \\'d2q\\'d3}", 1252, "caf\xe9 cr\xe8me \x93q\x94\r\n"},
        {"{\\rtf1\\mac \\'b9r\\'b2}", 1252, "?r<=\r\n"},
        {"{\\rtf1\\mac \\'b9r\\'b2}", 1253, "\xf0r<=\r\n"},
        {"{\\rtf1\\mac \\'8e}", 1251, "e\r\n"},
        {"{\\rtf1\\mac \\'cb}", 65001, "\xC3\x80\r\n"},
        {fonts77 + "\\f1 \\'8e\\f0 \\'8e}", 1252, "\xe9\x8e\r\n"},
        {unknownCpg + "\\f1 ab\\'e9c}", 1252, "ab?c\r\n"},
        {"{\\rtf1 caf\\u233?}", 1258, "caf\xe9\r\n"},
        {"{\\rtf1\\ansi\\ansicpg1258 Vi\\'eat}", 1258, "Vi\xeat\r\n"},
        {"{\\rtf1\\ansi\\ansicpg1255 \\'e0\\'e1 \\'f9}", 1255, "\xe0\xe1 \xf9\r\n"},
    });
}

// The default font's character set holds from the first character, before
// any \f or \plain, and again after \plain or at the end of a group.
TEST(RtfCodePages, DefaultFontAppliesFromTheStart) {
    const std::string head =
        "{\\rtf1\\ansi\\ansicpg1252\\deff1{\\fonttbl{\\f0\\fcharset0 Times;}"
        "{\\f1\\fcharset204 Cyr;}}";
    EXPECT_EQ(Convert(head + "\\'c6{\\f0 \\'c6}\\'c6\\f0 \\'c6\\plain \\'c6}", 1251),
              "\xc6" "AE\xc6" "AE\xc6\r\n");
    EXPECT_EQ(Convert(head + "\\'e2\\'e0}", 1252), "??\r\n");
    // A default font without a character set of its own: the document's.
    EXPECT_EQ(Convert("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times;}}caf\\'e9}"), "caf\xe9\r\n");
}

#ifndef _WIN32
// The own Mac Roman table against the system's (iconv's MACINTOSH), in
// UTF-8. iconv's older table differs in two places: C6 is the Greek capital
// delta rather than the increment sign, and F0 (the maker's logo) sits at
// another private-use point.
TEST(RtfCodePages, MacRomanAgreesWithIconv) {
    iconv_t cd = iconv_open("UTF-8", "MACINTOSH");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (b == 0xC6 || b == 0xF0)
            continue;
        char in[1] = {static_cast<char>(b)};
        char out[8] = {};
        char* src = in;
        char* dst = out;
        size_t inLeft = 1, outLeft = sizeof out;
        ASSERT_NE(iconv(cd, &src, &inLeft, &dst, &outLeft), static_cast<size_t>(-1)) << b;
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02x", b);
        std::string expected = std::string(out, dst) + "\r\n";
        EXPECT_EQ(Convert(std::string("{\\rtf1\\mac \\'") + hex + "}", 65001), expected) << hex;
    }
    iconv_close(cd);
    EXPECT_EQ(Convert("{\\rtf1\\mac \\'c6\\'f0}", 65001), "\xE2\x88\x86\xEF\xA3\xBF\r\n");
}
#endif
