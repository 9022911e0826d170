// Unicode text files: UTF-8 with and without a mark and UTF-16 in both byte
// orders come out as the same text saved in Windows-1252; anything else is
// left to be cut byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "CodePageSystem.h"
#include "convert/text/UnicodeText.h"
#include "convert/text/TextEncoder.h"
#include "support/TempFolder.h"

namespace {

// Western text with letters beyond ASCII, the euro sign and curly quotes
// (which Windows-1252 holds above 0x7F), in UTF-8.
const std::string kWestern =
    "Caf\xC3\xA9 cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e \xE2\x80\x9C" "d\xC3\xA9j\xC3\xA0 vu\xE2\x80\x9D\r\n"
    "Stra\xC3\x9F" "e, \xC3\x85ngstr\xC3\xB6m, \xE2\x82\xAC" "5 \xE2\x80\x94 na\xC3\xAFve\r\n";

std::string EncodeUtf16(CodePageSystem& sys, const std::string& utf8, bool bigEndian) {
    std::string units = sys.ToUtf16Le(utf8, kUtf8CodePage);
    if (bigEndian)
        for (size_t i = 0; i + 1 < units.size(); i += 2)
            std::swap(units[i], units[i + 1]);
    return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + units;
}

class UnicodeTextTest : public ::testing::Test {
protected:
    // The file's encoding as found, and its text after conversion.
    TextEncoding Convert(const std::string& bytes, std::string& text) {
        folder.Write("in.txt", bytes);
        TextEncoding encoding = DetectTextEncoding(sys, folder.File("in.txt"));
        if (encoding != TextEncoding::Bytes) {
            const TextCoding from[] = {TextCoding::Ansi(), TextCoding::Utf8(), TextCoding::Utf16Le(),
                                       TextCoding::Utf16Be()};
            CharacterLoss loss;
            EXPECT_TRUE(EncodeTextFile(sys, folder.File("in.txt"),
                                       from[static_cast<int>(encoding)], folder.File("out.txt"),
                                       TextCoding::Ansi(), loss));
            text = folder.Read("out.txt");
        }
        return encoding;
    }

    CodePageSystem sys{1252};
    TempFolder folder;
};

}  // namespace

// Every Unicode form of the text gives the bytes of its Windows-1252 form.
TEST_F(UnicodeTextTest, EveryFormEqualsTheWindows1252Text) {
    const std::string expected = sys.Ansi(kWestern);
    ASSERT_EQ(expected.find('?'), std::string::npos);
    ASSERT_NE(expected, kWestern);
    struct Form {
        const char* what;
        std::string bytes;
        TextEncoding encoding;
    } forms[] = {
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + kWestern, TextEncoding::Utf8},
        {"UTF-8", kWestern, TextEncoding::Utf8},
        {"UTF-16LE", EncodeUtf16(sys, kWestern, false), TextEncoding::Utf16Le},
        {"UTF-16BE", EncodeUtf16(sys, kWestern, true), TextEncoding::Utf16Be},
    };
    for (const Form& f : forms) {
        std::string text;
        EXPECT_EQ(Convert(f.bytes, text), f.encoding) << f.what;
        EXPECT_EQ(text, expected) << f.what;
    }
}

// ASCII, Windows-1252 bytes and broken UTF-8 are not converted.
TEST_F(UnicodeTextTest, OtherFilesStayBytes) {
    std::string text;
    const char* bytes[] = {
        "plain ASCII only\r\n",
        "Caf\xE9 in Windows-1252",
        "\xC3\xA9 then a lone \xC3",          // cut short at the end
        "overlong \xC0\xAF slash",
        "surrogate \xED\xA0\x80 half",
        "past Unicode \xF4\x90\x80\x80",
        "",
    };
    for (const char* b : bytes)
        EXPECT_EQ(Convert(b, text), TextEncoding::Bytes) << b;
}

// Characters the code page lacks become '?', and a character that the
// converter's 1 MB chunks split comes out whole, in all three encodings.
TEST_F(UnicodeTextTest, CharactersAcrossChunksAndMissingCharacters) {
    constexpr size_t kChunk = 1 << 20;
    const std::string tail = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xD0\x96x";  // é € U+1F600 Ж x
    const std::string tailAnsi = sys.Ansi("\xC3\xA9\xE2\x82\xAC") + "??x";
    struct Case {
        const char* what;
        std::string bytes;
        size_t ascii;  // the 'a's before the tail
    };
    std::vector<Case> cases;
    for (size_t before : {kChunk - 1, kChunk - 3, kChunk - 6}) {  // é, € and U+1F600 split
        std::string utf8 = std::string(before, 'a') + tail;
        cases.push_back({"UTF-8", utf8, before});
    }
    // UTF-16 after its 2-byte mark: the chunk ends between the surrogates
    // of U+1F600, then just before them.
    for (size_t before : {(kChunk - 2) / 2 - 3, (kChunk - 2) / 2 - 2}) {
        std::string text = std::string(before, 'a') + tail;
        cases.push_back({"UTF-16LE", EncodeUtf16(sys, text, false), before});
        cases.push_back({"UTF-16BE", EncodeUtf16(sys, text, true), before});
    }
    for (const Case& c : cases) {
        std::string text;
        ASSERT_NE(Convert(c.bytes, text), TextEncoding::Bytes) << c.what;
        EXPECT_TRUE(text == std::string(c.ascii, 'a') + tailAnsi + "\r\n")
            << c.what << " " << c.ascii << ": ..." << text.substr(c.ascii > 4 ? c.ascii - 4 : 0);
    }
}
