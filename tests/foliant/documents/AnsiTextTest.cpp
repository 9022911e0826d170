// Tests of the conversion of UTF-16 text to the ANSI code page, which the
// text of every reader goes through.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

#include "CodePageSystem.h"
#include "DocWriter.h"
#include "convert/rtf/AnsiText.h"

// Every character comes out in the ANSI code page, or as one "?" when the
// code page cannot hold it (a look-alike is not the character); a
// surrogate without its pair is no character, and an odd last byte no unit.
TEST(AnsiText, EachCharacterWholeOrOneQuestionMark) {
    struct Case {
        std::u16string text;
        int ansi;
        std::string bytes;
    };
    const Case cases[] = {
        {u"plain\r\n\t ASCII", 1252, "plain\r\n\t ASCII"},
        {u"caf\u00e9 \u2014 \u201cq\u201d", 1252, "caf\xe9 \x97 \x93q\x94"},
        {u"\u0416\u0436", 1252, "??"},
        {u"\u0416\u0436", 1251, "\xc6\xe6"},
        {u"\u0100", 1252, "?"},
        {u"\u4e2d\u6587", 936, "\xd6\xd0\xce\xc4"},
        {u"\U0001F600", 65001, "\xF0\x9F\x98\x80"},
        {u"\U0001F600x", 1252, "?x"},
        {u"a\xD83D" u"b", 65001, "a?b"},
        {u"a\xDE00" u"b", 65001, "a?b"},
        {u"a\xD83D", 65001, "a?"},
        {u"\xDE00\xD83D", 65001, "??"},
    };
    for (const Case& c : cases) {
        CodePageSystem sys(c.ansi);
        EXPECT_EQ(ToAnsiText(sys, Utf16(c.text)), c.bytes) << c.bytes << " in " << c.ansi;
    }
    CodePageSystem sys(1252);
    EXPECT_EQ(ToAnsiText(sys, Utf16(u"ab") + "c"), "ab");
}

// Generated text, with surrogates in and out of pairs, comes out the same
// however it is handed to the writer: whole, a unit at a time, or in
// pieces cut anywhere, inside a pair too.
TEST(AnsiText, TheSameTextHoweverItIsHandedOver) {
    const char16_t pool[] = {u'a',  u'Z',   u' ',   u'\r',  u'\n',  0x7F,   0xE9,  0x416,
                             0x2014, 0x4E2D, 0xD83D, 0xDE00, 0xDBFF, 0xDFFF, 0xFFFD};
    std::mt19937 random(5);
    for (int ansi : {1252, 1251, 65001}) {
        CodePageSystem sys(ansi);
        for (int round = 0; round < 200; ++round) {
            std::u16string text;
            for (unsigned n = random() % 40; n > 0; --n)
                text += pool[random() % std::size(pool)];
            std::string utf16 = Utf16(text);
            std::string whole = ToAnsiText(sys, utf16);

            AnsiTextWriter oneByOne(sys);
            std::string byUnit;
            for (char16_t unit : text)
                oneByOne.Put(unit, byUnit);
            oneByOne.Release(byUnit);
            EXPECT_EQ(byUnit, whole) << "a unit at a time, round " << round << " in " << ansi;

            AnsiTextWriter inPieces(sys);
            std::string byPiece;
            for (size_t at = 0; at < text.size();) {
                size_t units = 1 + random() % 5;
                inPieces.PutUtf16Le(std::string_view(utf16).substr(2 * at, 2 * units), byPiece);
                at += units;
            }
            inPieces.Release(byPiece);
            EXPECT_EQ(byPiece, whole) << "in pieces, round " << round << " in " << ansi;
        }
    }
}
