// The text cutter: the worked example, cut-word priority and window
// limits, joint bytes, line ends, no cutting, and configurations that
// would otherwise never move forward.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptedHost.h"
#include "convert/TextCutter.h"
#include "support/MixedLines.h"
#include "support/TempFolder.h"
#include "sys/System.h"

namespace {

class TextCutterTest : public ::testing::Test {
protected:
    std::vector<std::string> Cut(const std::string& text, int32_t S, int32_t W, int32_t K,
                                 std::vector<std::string> words) {
        dir.Write("in.txt", text);
        RecordingSink sink;
        CutSettings cut = ClampCutSettings(S, W, K, std::move(words));
        EXPECT_EQ(CutTextFile(sys, dir.File("in.txt"), cut, sink, [this] { ++pumps; }),
                  CutResult::Done);
        return sink.pieces;
    }

    System& sys = PlatformSystem();
    TempFolder dir;
    int pumps = 0;
};

using Pieces = std::vector<std::string>;

TEST_F(TextCutterTest, TheWorkedExample) {
    EXPECT_EQ(Cut("abcdefgh,ijklmnop", 10, 4, 2, {","}), (Pieces{"abcdefgh,", "h,ijklmnop\r\n"}));
}

TEST_F(TextCutterTest, WithoutACutWordPiecesAreExactlyS) {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "abcdefghi\r\n";
    Pieces pieces = Cut(text, 16, 4, 0, {"#"});
    ASSERT_GT(pieces.size(), 2u);
    std::string joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i + 1 < pieces.size())
            EXPECT_EQ(pieces[i].size(), 16u);
        else
            EXPECT_LE(pieces[i].size(), 16u);
        joined += pieces[i];
    }
    EXPECT_EQ(joined, text);
}

TEST_F(TextCutterTest, TheFirstWordInListOrderDecides) {
    // Window of "one.\r\ntwo" is bytes 7 to 16; the stop comes first in
    // the list although the line end lies nearer the window's end.
    Pieces pieces = Cut("xxxxxxone.ab\r\ncd\r\n", 16, 10, 0, {".", "\r\n"});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "xxxxxxone.");
    pieces = Cut("xxxxxxone.ab\r\ncd\r\n", 16, 10, 0, {"\r\n", "."});
    EXPECT_EQ(pieces[0], "xxxxxxone.ab\r\n");
}

TEST_F(TextCutterTest, TheLeftmostOccurrenceOfTheWordIsUsed) {
    Pieces pieces = Cut("aaaa,b,c,ddddddddd", 10, 8, 0, {","});
    EXPECT_EQ(pieces[0], "aaaa,");
}

TEST_F(TextCutterTest, AnEmptyCutWordCutsAtExactlyS) {
    Pieces pieces = Cut("abcdefgh,ijklmnop", 10, 4, 0, {"", ","});
    EXPECT_EQ(pieces, (Pieces{"abcdefgh,i", "jklmnop\r\n"}));
}

TEST_F(TextCutterTest, AWordStraddlingTheWindowIsNotFound) {
    // Window bytes 7 to 10 are "ghXY"; "fg" starts before it, "YZ" ends after.
    Pieces pieces = Cut("abcdefghXYZ12345", 10, 4, 0, {"fg", "YZ"});
    EXPECT_EQ(pieces[0], "abcdefghXY");
}

TEST_F(TextCutterTest, EmptyFilesAndEmptyLines) {
    EXPECT_TRUE(Cut("", 10, 4, 2, {","}).empty());
    EXPECT_EQ(Cut("\r\n", 10, 4, 2, {","}), (Pieces{"\r\n"}));
    EXPECT_TRUE(Cut("", 0, 0, 0, {","}).empty());
    EXPECT_EQ(Cut("\r\n", 0, 0, 0, {","}), (Pieces{"\r\n"}));
}

TEST_F(TextCutterTest, AMissingFileEmitsNothing) {
    RecordingSink sink;
    EXPECT_EQ(CutTextFile(sys, dir.File("none.txt"), ClampCutSettings(10, 4, 2, {}), sink, nullptr),
              CutResult::Missing);
    EXPECT_TRUE(sink.pieces.empty());
}

TEST_F(TextCutterTest, WithoutCuttingTheWholeFileIsOnePiece) {
    // Every line is followed by CR LF: a lone CR becomes CR LF, a lone LF
    // stays inside its line, a last line without an end gets one.
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\r\nb", "a\r\nb\r\n"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"a\nb", "a\nb\r\n"},
        {"a\n", "a\n\r\n"},
        {"\r", "\r\n"},
        {"\r\r\n\n", "\r\n\r\n\n\r\n"},
    };
    for (const auto& [text, piece] : cases)
        EXPECT_EQ(Cut(text, 0, 256, 34, {"\r\n"}), (Pieces{piece})) << text;
}

TEST_F(TextCutterTest, WithoutCuttingLineEndsAcrossBufferBoundariesStayWhole) {
    // A CR LF pair split by the 64 KB read buffer is still one line end.
    for (size_t at : {65535u, 65536u, 131071u}) {
        std::string text(at, 'x');
        text += "\r\nyy\rzz";
        std::string expected(at, 'x');
        expected += "\r\nyy\r\nzz\r\n";
        EXPECT_EQ(Cut(text, 0, 0, 0, {}), (Pieces{expected})) << at;
    }
}

TEST_F(TextCutterTest, ThePumpRunsOncePerLineWhileCutting) {
    Cut("a\r\nb\r\nc\r\n", 100, 4, 0, {});
    EXPECT_EQ(pumps, 3);
}

TEST_F(TextCutterTest, JointBytesRepeatAtTheStartOfTheNextPiece) {
    Pieces pieces = Cut("0123456789abcdefghij", 10, 0, 3, {});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "0123456789");
    EXPECT_EQ(pieces[1], "789abcdefghij\r\n");
}

TEST_F(TextCutterTest, BrokenConfigurationsStillMoveForward) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "word, word. word\r\n";
    // W > S, K >= S - W + 1, K = S, negative values.
    const int32_t configs[][3] = {{10, 40, 2}, {10, 4, 9}, {10, 0, 10}, {10, -5, -3}, {1, 1, 1}};
    for (const auto& c : configs) {
        CutSettings cut = ClampCutSettings(c[0], c[1], c[2], {",", " "});
        EXPECT_LE(cut.window, cut.pieceSize);
        EXPECT_GE(cut.window, 0);
        EXPECT_GE(cut.joint, 0);
        Pieces pieces = Cut(text, c[0], c[1], c[2], {",", " "});
        // One cut per line at most, and the text ends up in the pieces.
        EXPECT_LE(pieces.size(), 201u);
        ASSERT_FALSE(pieces.empty());
        EXPECT_EQ(pieces.back().substr(pieces.back().size() - 6), "word\r\n");
    }
}

TEST_F(TextCutterTest, OneCutPerLineLeavesLongLinesLong) {
    // A single line far longer than S: one cut, then the rest in one piece.
    std::string line(100, 'z');
    EXPECT_EQ(Cut(line, 10, 4, 0, {}), (Pieces{std::string(10, 'z'), std::string(90, 'z') + "\r\n"}));
}

// Lines far longer than a piece, and lines longer than each cut takes, pile
// up text that the cutter holds only in part. The pieces stay those of
// short lines: without a cut word each is the S bytes at the next stride of
// S - K, with one cut for each line end that leaves more than S bytes
// pending; with cut words the pieces less their joints still give the text
// back, and a piece shorter than S ends with a cut word.
TEST_F(TextCutterTest, LinesOfAnyLengthGiveThePiecesOfShortLines) {
    const struct {
        int32_t S, W, K;
        std::vector<std::string> words;
    } configs[] = {
        {1000, 0, 34, {"#"}},  {5000, 256, 64, {"#"}},       {1, 1, 1, {"#"}},
        {1000, 300, 20, {",", " "}}, {40000, 40000, 0, {"\r\n", "."}},
    };
    for (unsigned seed = 1; seed <= 3; ++seed) {
        std::vector<std::string> lines = MixedLengthLines(seed, 12, 300000, "abcde ,.");
        std::string text;
        for (const std::string& line : lines)
            text += line + "\r\n";
        for (const auto& c : configs) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", S " << c.S);
            Pieces pieces = Cut(JoinWithMixedLineEnds(lines, seed), c.S, c.W, c.K, c.words);
            const size_t S = static_cast<size_t>(c.S), K = std::min<size_t>(c.K, S - 1);
            if (c.words == std::vector<std::string>{"#"}) {
                Pieces expected;
                size_t pending = 0, at = 0;
                for (const std::string& line : lines) {
                    pending += line.size() + 2;
                    if (pending > S) {
                        expected.push_back(text.substr(at, S));
                        at += S - K;
                        pending -= S - K;
                    }
                }
                expected.push_back(text.substr(at));
                EXPECT_TRUE(pieces == expected) << pieces.size() << " pieces, " << expected.size()
                                                << " expected";
                continue;
            }
            std::string joined;
            for (size_t i = 0; i < pieces.size(); ++i) {
                const std::string& piece = pieces[i];
                size_t joint = i > 0 ? std::min(K, pieces[i - 1].size() - 1) : 0;
                ASSERT_GE(piece.size(), joint);
                joined += piece.substr(joint);
                if (i + 1 == pieces.size())
                    break;
                EXPECT_LE(piece.size(), S) << "piece " << i;
                EXPECT_GE(piece.size(), S - static_cast<size_t>(c.W) + 1) << "piece " << i;
                bool endsWithWord = false;
                for (const std::string& word : c.words)
                    endsWithWord = endsWithWord || (piece.size() >= word.size() &&
                                                    piece.substr(piece.size() - word.size()) == word);
                EXPECT_TRUE(piece.size() == S || endsWithWord) << "piece " << i;
            }
            EXPECT_TRUE(joined == text) << joined.size() << " bytes of " << text.size();
        }
    }
}

TEST(CutSettingsFrom, UsesTheCutTypeAtCutTypeIndex) {
    AppSettings settings;
    settings.CutTypes = {{1000, 100}, {5000, 200}};
    settings.CutTypeNum = 1;
    settings.CutTypeIndex = 1;
    settings.KeepFileSize = 34;
    settings.CutWords = {"\r\n"};
    CutSettings cut = CutSettingsFrom(settings);
    EXPECT_EQ(cut.pieceSize, 5000);
    EXPECT_EQ(cut.window, 200);
    EXPECT_EQ(cut.joint, 34);
    settings.CutTypeIndex = 7;
    EXPECT_EQ(CutSettingsFrom(settings).pieceSize, 0);
}

TEST(FindCutWord, ReturnsTheEndOfTheWordOrZero) {
    EXPECT_EQ(FindCutWord("gh,i", {","}), 3);
    EXPECT_EQ(FindCutWord("ab\r\ncd", {"\r\n"}), 4);
    EXPECT_EQ(FindCutWord("abcd", {"x", "y"}), 0);
    EXPECT_EQ(FindCutWord("abcd", {"", "c"}), 0);
    EXPECT_EQ(FindCutWord("aBcb", {"b"}), 4);  // letter case matters
}

}  // namespace
