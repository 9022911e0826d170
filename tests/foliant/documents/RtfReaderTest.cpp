// Tests of the RTF reader on documents written by hand.
#include <gtest/gtest.h>

#include <string>

#include "CodePageSystem.h"
#include "convert/rtf/RtfReader.h"

namespace {

std::string Convert(std::string_view rtf, int ansiCodePage = 1252) {
    CodePageSystem sys(ansiCodePage);
    std::string text;
    EXPECT_TRUE(RtfToPlainText(sys, rtf, text)) << rtf;
    return text;
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
    EXPECT_EQ(Convert(fonts + "\\f1 \\'c6\\f0 \\'e9}", 1251), "\xc6?\r\n");
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
