// Tests of the conversion of UTF-16 text to UTF-8, which the text of the
// Word and RTF readers goes through.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

#include "CodePageSystem.h"
#include "DocWriter.h"
#include "convert/text/Utf8TextWriter.h"

// Every character comes out whole in UTF-8; a surrogate without its pair is
// no character and becomes U+FFFD, and an odd last byte is no unit.
TEST(Utf8TextWriter, EachCharacterWholeOrOneReplacement) {
    struct Case {
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {u"plain\r\n\t ASCII", "plain\r\n\t ASCII"},
        {u"caf\u00e9 \u2014", "caf\xC3\xA9 \xE2\x80\x94"},
        {u"\u0416\u4e2d", "\xD0\x96\xE4\xB8\xAD"},
        {u"\U0001F600x", "\xF0\x9F\x98\x80x"},
        {u"a\xD83D"
         u"b",
         "a\xEF\xBF\xBD"
         "b"},
        {u"a\xDE00"
         u"b",
         "a\xEF\xBF\xBD"
         "b"},
        {u"a\xD83D", "a\xEF\xBF\xBD"},
        {u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf16LeToUtf8(Utf16(c.text)), c.bytes) << c.bytes;
    EXPECT_EQ(Utf16LeToUtf8(Utf16(u"ab") + "c"), "ab");
}

// Generated text, with surrogates in and out of pairs, comes out the same
// however it is handed to the writer: whole, a unit at a time, or in
// pieces cut anywhere, inside a pair too.
TEST(Utf8TextWriter, TheSameTextHoweverItIsHandedOver) {
    const char16_t pool[] = {u'a',   u'Z',   u' ',   u'\r',  u'\n',  0x7F,   0xE9,  0x416,
                             0x2014, 0x4E2D, 0xD83D, 0xDE00, 0xDBFF, 0xDFFF, 0xFFFD};
    std::mt19937 random(5);
    for (int round = 0; round < 600; ++round) {
        std::u16string text;
        for (unsigned n = random() % 40; n > 0; --n)
            text += pool[random() % std::size(pool)];
        std::string utf16 = Utf16(text);
        std::string whole = Utf16LeToUtf8(utf16);

        Utf8TextWriter oneByOne;
        std::string byUnit;
        for (char16_t unit : text)
            oneByOne.Put(unit, byUnit);
        oneByOne.Release(byUnit);
        EXPECT_EQ(byUnit, whole) << "a unit at a time, round " << round;

        Utf8TextWriter inPieces;
        std::string byPiece;
        for (size_t at = 0; at < text.size();) {
            size_t units = 1 + random() % 5;
            inPieces.PutUtf16Le(std::string_view(utf16).substr(2 * at, 2 * units), byPiece);
            at += units;
        }
        inPieces.Release(byPiece);
        EXPECT_EQ(byPiece, whole) << "in pieces, round " << round;
    }
}
