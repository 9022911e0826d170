// Cutting text of a double-byte ANSI code page: no piece starts or ends in
// the middle of a character, and single-byte code pages cut as before.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

#include "ScriptedHost.h"
#include "convert/TextCutter.h"
#include "support/TempFolder.h"
#include "sys/System.h"

namespace {

// The platform's system with a chosen ANSI code page.
class AnsiSystem : public EnvironmentSystem {
public:
    explicit AnsiSystem(int codePage) : EnvironmentSystem(PlatformSystem()), ansi_(codePage) {}
    int AnsiCodePage() override { return ansi_; }
    std::string ToUtf16Le(std::string_view t, int cp) override {
        return PlatformSystem().ToUtf16Le(t, Resolve(cp));
    }
    std::string FromUtf16Le(std::string_view t, int cp) override {
        return PlatformSystem().FromUtf16Le(t, Resolve(cp));
    }
    bool IsLeadByte(int cp, unsigned char b) override {
        return PlatformSystem().IsLeadByte(Resolve(cp), b);
    }

private:
    int Resolve(int cp) const { return cp == kAnsiCodePage ? ansi_ : cp; }
    int ansi_;
};

// Strict decoding by the platform's own converter, independent of the
// system seam: false when the bytes are not whole characters of the page.
bool DecodeStrictly(const std::string& bytes, int codePage, std::u16string& out) {
    out.clear();
    if (bytes.empty())
        return true;
#ifdef _WIN32
    int n = MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, bytes.data(),
                                static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0)
        return false;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, bytes.data(),
                        static_cast<int>(bytes.size()), wide.data(), n);
    out.assign(wide.begin(), wide.end());
    return true;
#else
    std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string buffer(bytes.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(bytes.data());
    size_t srcLeft = bytes.size();
    char* dst = buffer.data();
    size_t dstLeft = buffer.size();
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || srcLeft != 0)
        return false;
    size_t units = (buffer.size() - dstLeft) / 2;
    for (size_t i = 0; i < units; ++i)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer[2 * i]) |
                                            static_cast<unsigned char>(buffer[2 * i + 1]) << 8));
    return true;
#endif
}

std::string Utf16Le(char16_t c) {
    return std::string{static_cast<char>(c & 0xff), static_cast<char>(c >> 8)};
}

// The characters of the page that take two bytes, from a few blocks of
// Han, kana and Hangul, each as its ANSI bytes.
std::vector<std::string> DoubleByteCharacters(System& sys) {
    std::vector<std::string> found;
    const std::pair<char16_t, char16_t> blocks[] = {
        {0x3041, 0x3093}, {0x30a1, 0x30f6}, {0x4e00, 0x4fff}, {0x7000, 0x70ff}, {0xac00, 0xacff}};
    for (auto [first, last] : blocks)
        for (char16_t c = first; c <= last; ++c) {
            std::string wide = Utf16Le(c);
            std::string ansi = sys.FromUtf16Le(wide, kAnsiCodePage);
            if (ansi.size() == 2 && sys.ToUtf16Le(ansi, kAnsiCodePage) == wide)
                found.push_back(ansi);
        }
    return found;
}

// About 'size' bytes of lines of double-byte characters with a few ASCII
// letters, blanks and commas mixed in, so that characters fall at odd and
// even byte positions alike; lines have 20 to 'longestLine' + 19 characters.
std::string MixedText(System& sys, size_t size, uint32_t longestLine = 3000) {
    std::vector<std::string> wide = DoubleByteCharacters(sys);
    std::string text;
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    while (text.size() < size) {
        uint32_t lineLength = 20 + next(longestLine);
        for (uint32_t i = 0; i < lineLength; ++i) {
            uint32_t pick = next(40);
            if (pick == 0)
                text += ',';
            else if (pick == 1)
                text += ' ';
            else if (pick < 6)
                text += static_cast<char>('a' + next(26));
            else if (!wide.empty())
                text += wide[next(static_cast<uint32_t>(wide.size()))];
        }
        text += "\r\n";
    }
    return text;
}

class DoubleByteCutTest : public ::testing::TestWithParam<int> {
protected:
    std::vector<std::string> Cut(System& sys, const std::string& bytes, int32_t S, int32_t W,
                                 int32_t K, std::vector<std::string> words) {
        dir.Write("in.txt", bytes);
        RecordingSink sink;
        CutSettings cut = ClampCutSettings(S, W, K, std::move(words));
        EXPECT_EQ(CutTextFile(sys, dir.File("in.txt"), cut, sink, nullptr), CutResult::Done);
        return sink.pieces;
    }

    TempFolder dir;
};

TEST_P(DoubleByteCutTest, EveryPieceOfALongTextDecodesOnItsOwn) {
    int codePage = GetParam();
    AnsiSystem sys(codePage);
    std::string text = MixedText(sys, 120 * 1024);
    std::u16string whole;
    ASSERT_TRUE(DecodeStrictly(text, codePage, whole)) << "code page " << codePage;
    ASSERT_GT(DoubleByteCharacters(sys).size(), 100u);

    std::vector<std::string> pieces =
        Cut(sys, text, 4097, 33, 7, {"\r\n", ".", "?", ",", " ", ")"});
    ASSERT_GT(pieces.size(), 25u);
    size_t covered = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        std::u16string decoded;
        ASSERT_TRUE(DecodeStrictly(pieces[i], codePage, decoded))
            << "piece " << i << " of code page " << codePage;
        // A piece that starts on a trail byte may still decode, as other
        // characters; it is then no part of the text.
        EXPECT_NE(whole.find(decoded), std::u16string::npos) << "piece " << i;
        EXPECT_LE(pieces[i].size(), 4097u + 2999u * 2u);
        covered += pieces[i].size();
    }
    EXPECT_GE(covered, text.size());
    EXPECT_EQ(pieces.front(), text.substr(0, pieces.front().size()));
}

// Lines many pieces long are held only in part: their pieces still decode
// on their own, each starts at most K + 1 bytes before the end of the one
// before, and the last ends the text.
TEST_P(DoubleByteCutTest, PiecesOfVeryLongLinesDecodeOnTheirOwn) {
    int codePage = GetParam();
    AnsiSystem sys(codePage);
    std::string text = MixedText(sys, 2 * 1024 * 1024, 150000);
    const size_t K = 7;
    std::vector<std::string> pieces = Cut(sys, text, 1001, 33, K, {".", ","});
    ASSERT_GT(pieces.size(), 1u);
    size_t at = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const std::string& piece = pieces[i];
        ASSERT_EQ(text.compare(at, piece.size(), piece), 0) << "piece " << i;
        std::u16string decoded;
        EXPECT_TRUE(DecodeStrictly(piece, codePage, decoded)) << "piece " << i;
        if (i + 1 == pieces.size()) {
            EXPECT_EQ(at + piece.size(), text.size());
            break;
        }
        size_t advance = piece.size() > K + 1 ? piece.size() - K - 1 : 1;
        while (advance < piece.size() &&
               text.compare(at + advance, pieces[i + 1].size(), pieces[i + 1]) != 0)
            ++advance;
        at += advance;
    }
}

INSTANTIATE_TEST_SUITE_P(EastAsianCodePages, DoubleByteCutTest,
                         ::testing::Values(936, 932, 949, 950));

// True when the piece, line ends aside, holds only whole characters U+554A.
bool WholeCharacters(const std::string& piece) {
    std::string bytes;
    for (char c : piece)
        if (c != '\r' && c != '\n')
            bytes += c;
    if (bytes.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < bytes.size(); i += 2)
        if (bytes.compare(i, 2, "\xb0\xa1") != 0)
            return false;
    return true;
}

// In 936 every trail byte of these characters also looks like a lead
// byte: only a walk from a known boundary tells where characters end.
TEST(DoubleByteCut, TrailBytesThatLookLikeLeadBytesDoNotMoveACut) {
    TempFolder dir;
    std::string text;
    for (int line = 0; line < 40; ++line) {
        for (int i = 0; i < 10; ++i)
            text += "\xb0\xa1";  // U+554A
        text += "\r\n";
    }
    dir.Write("in.txt", text);
    auto cut = [&](int codePage, int32_t S, int32_t K) {
        AnsiSystem sys(codePage);
        RecordingSink sink;
        EXPECT_EQ(CutTextFile(sys, dir.File("in.txt"), ClampCutSettings(S, 0, K, {"#"}), sink,
                              nullptr),
                  CutResult::Done);
        return sink.pieces;
    };
    auto joined = [](const std::vector<std::string>& pieces) {
        std::string all;
        for (const std::string& p : pieces)
            all += p;
        return all;
    };

    // An even piece size falls between characters: every piece but the
    // last is exactly S bytes.
    std::vector<std::string> even = cut(936, 4, 0);
    ASSERT_EQ(even.size(), 41u);
    for (size_t i = 0; i + 1 < even.size(); ++i) {
        EXPECT_EQ(even[i].size(), 4u) << i;
        EXPECT_TRUE(WholeCharacters(even[i])) << i;
    }
    EXPECT_EQ(joined(even), text);

    // An odd one would split characters: those cuts move back one byte.
    std::vector<std::string> odd = cut(936, 5, 0);
    size_t shortened = 0;
    for (const std::string& piece : odd) {
        EXPECT_TRUE(WholeCharacters(piece));
        shortened += piece.size() == 4 ? 1 : 0;
    }
    EXPECT_GT(shortened, 10u);
    EXPECT_EQ(joined(odd), text);

    // One joint byte would open the next piece with a trail byte: the
    // whole character is repeated instead.
    std::vector<std::string> joint = cut(936, 6, 1);
    ASSERT_GE(joint.size(), 2u);
    EXPECT_EQ(joint[0], "\xb0\xa1\xb0\xa1\xb0\xa1");
    EXPECT_EQ(joint[1].substr(0, 4), "\xb0\xa1\xb0\xa1");
    for (const std::string& piece : joint)
        EXPECT_TRUE(WholeCharacters(piece));

    // A piece size of one byte still moves forward by whole characters.
    std::vector<std::string> tiny = cut(936, 1, 0);
    ASSERT_EQ(tiny.size(), 41u);
    EXPECT_EQ(tiny[0], "\xb0\xa1");
    EXPECT_EQ(joined(tiny), text);

    // The same bytes in a single-byte code page are cut where they fall.
    std::vector<std::string> single = cut(1252, 5, 1);
    ASSERT_GE(single.size(), 2u);
    EXPECT_EQ(single[0], "\xb0\xa1\xb0\xa1\xb0");
    EXPECT_EQ(single[1], text.substr(4, single[1].size()));
}

TEST(DoubleByteCut, TheSystemKnowsTheLeadBytesOfEachPage) {
    System& sys = PlatformSystem();
    EXPECT_TRUE(sys.IsLeadByte(932, 0x81));
    EXPECT_TRUE(sys.IsLeadByte(932, 0xe0));
    EXPECT_FALSE(sys.IsLeadByte(932, 0xa1));  // a half-width katakana
    EXPECT_FALSE(sys.IsLeadByte(932, 0x41));
    for (int page : {936, 949, 950}) {
        EXPECT_TRUE(sys.IsLeadByte(page, 0x81)) << page;
        EXPECT_TRUE(sys.IsLeadByte(page, 0xfe)) << page;
        EXPECT_FALSE(sys.IsLeadByte(page, 0x80)) << page;
        EXPECT_FALSE(sys.IsLeadByte(page, 0x7e)) << page;
    }
    for (int page : {1252, 1251, 437})
        for (int b = 0; b < 256; ++b)
            EXPECT_FALSE(sys.IsLeadByte(page, static_cast<unsigned char>(b))) << page << " " << b;
}

}  // namespace
