// HtmlToText and its line helpers: the entity table, block cutting, tag
// stripping across lines, blank lines, progress, linear time on long lines
// and long open script blocks, and how far the filter reads ahead of its
// text.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ScriptedHost.h"
#include "convert/html/Mod_Htm2Txt.h"
#include "convert/text/TextEncoder.h"
#include "support/MixedLines.h"
#include "support/TempFolder.h"
#include "sys/System.h"

namespace {

TEST(IsBlankText, OnlyEmptyAndOneBlank) {
    EXPECT_TRUE(IsBlankText(""));
    EXPECT_TRUE(IsBlankText(" "));
    EXPECT_FALSE(IsBlankText("  "));
    EXPECT_FALSE(IsBlankText("\t"));
    EXPECT_FALSE(IsBlankText("\r\n"));
    EXPECT_FALSE(IsBlankText("a"));
}

struct EntityCase {
    const char* line;
    const char* decoded;
};

TEST(DecodeLineEntities, FollowsTheTableInOrder) {
    const EntityCase cases[] = {
        {"a&nbsp;b&NBSP;c", "a b c"},
        {"fish &amp; chips", "fish & chips"},
        {"&amp;nbsp;", "&nbsp;"},        // step 1 ran before step 2 made it
        {"&amp;lt;", "<"},               // step 2 feeds step 8
        {"x&#8212;y", "x\x97y"},
        {"&QUOT;hi&quot;", "\"hi\""},
        {"one<br>two<BR>three", "one\r\ntwo\r\nthree"},
        {"<P>x<p>", "\r\nx\r\n"},
        {"<br/><p class=a>", "<br/><p class=a>"},
        {"&gt;&lt;", "><"},
        {"&GT;&LT;", "&GT;&LT;"},        // exact case only
        {"a   b", "a b"},                // pairs of blanks go
        {"a    b", "ab"},
        {" \t ", "  "},                  // the tab goes after the pairs
        {"\tx\t", "x"},
    };
    for (const EntityCase& c : cases)
        EXPECT_EQ(DecodeLineEntities(c.line), c.decoded) << c.line;
}

TEST(DecodeLineEntities, CanLeaveBracketsForLater) {
    EntityOptions keep;
    keep.decodeBrackets = false;
    EXPECT_EQ(DecodeLineEntities("a &lt; b &gt; c", keep), "a &lt; b &gt; c");
}

TEST(CutTagBlock, CutsTheFirstBlockOnly) {
    EXPECT_EQ(CutTagBlock("x<script>a</script>y<script>b</script>z", "script"),
              "xy<script>b</script>z");
    EXPECT_EQ(CutTagBlock("<STYLE>p{}</Style>Hello", "style"), "Hello");
    EXPECT_EQ(CutTagBlock("no block here", "script"), "no block here");
    EXPECT_EQ(CutTagBlock("<script>open", "script"), "<script>open");
}

TEST(CutTagBlock, AClosingTagBeforeTheOpeningOneDoesNotCount) {
    EXPECT_EQ(CutTagBlock("a</script>b<script>c", "script"), "a</script>b<script>c");
    EXPECT_EQ(CutTagBlock("a</script>b<script>c</script>d", "script"), "a</script>bd");
}

class HtmlToTextTest : public ::testing::Test {
protected:
    // Converts 'page' and returns the target's bytes.
    std::string Convert(const std::string& page) {
        dir.Write("page.htm", page);
        progress.clear();
        EXPECT_TRUE(HtmlToText(sys, dir.File("page.htm"), dir.File("out.txt"), TextCoding::Ansi(),
                               [this](int p) { progress.push_back(p); }));
        // The filter gives UTF-8; a run writes it in the ANSI code page.
        CharacterLoss loss;
        return EncodeText(sys, dir.Read("out.txt"), TextCoding::Utf8(), TextCoding::Ansi(), loss);
    }
    // Each page converts to its text.
    void ExpectTexts(std::initializer_list<EntityCase> cases) {
        for (const EntityCase& c : cases)
            EXPECT_EQ(Convert(c.line), c.decoded) << c.line;
    }

    System& sys = PlatformSystem();
    TempFolder dir;
    std::vector<int> progress;
};

TEST_F(HtmlToTextTest, LinesOfThePageBecomeText) {
    ExpectTexts({
        {"a<b>bold</b>c", "aboldc\r\n"},
        {"<a\r\nhref=x>link", "link\r\n"},
        {"if a &lt; b then", "if a < b then\r\n"},
        {"x &LT; y &Gt; z", "x < y > z\r\n"},
        {"one<br>two", "one\r\ntwo\r\n"},
        {"<br><br><br>", "\r\n\r\n"},
        {"<div>\r\n \r\n  \r\n    \r\nend", "end\r\n"},
        {" \t ", "  \r\n"},
        {"x<script>a</script>y<script>b</script>z", "xybz\r\n"},
        {"<style>p{}</style>Hello", "Hello\r\n"},
        {"&amp;nbsp;", "&nbsp;\r\n"},
        {"&lt;br&gt; is a tag", "<br> is a tag\r\n"},
        {"<a title=\"&gt;\">x</a>", "x\r\n"},
        {"a\nb", "a\nb\r\n"},
        {"one\rtwo\r\n\r\nthree", "one\r\ntwo\r\nthree\r\n"},
    });
}

TEST_F(HtmlToTextTest, AScriptOverSeveralLinesGoesWithTheLinesBetween) {
    EXPECT_EQ(Convert("before\r\nx<script>\r\nvar a;\r\nvar b;\r\n</script>after\r\nend"),
              "before\r\nxafter\r\nend\r\n");
}

TEST_F(HtmlToTextTest, AnUnclosedScriptStaysAndItsTagsAreStripped) {
    EXPECT_EQ(Convert("<script>one\r\ntwo"), "onetwo\r\n");
}

TEST_F(HtmlToTextTest, AnEmptySourceGivesAnEmptyTargetAndNoProgress) {
    EXPECT_EQ(Convert(""), "");
    EXPECT_TRUE(progress.empty());
}

TEST_F(HtmlToTextTest, ProgressClimbsToOneHundred) {
    std::string page;
    for (int i = 0; i < 100; ++i)
        page += "line " + std::to_string(i) + "\r\n";
    Convert(page);
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 100);
    EXPECT_LT(progress.front(), 5);
}

TEST_F(HtmlToTextTest, AMissingSourceCreatesNoTarget) {
    EXPECT_FALSE(HtmlToText(sys, dir.File("none.htm"), dir.File("out.txt"), TextCoding::Ansi(), nullptr));
    EXPECT_FALSE(dir.Exists("out.txt"));
}

TEST_F(HtmlToTextTest, LongLinesAndLongOpenBlocksConvertWhole) {
    std::string line;
    for (int i = 0; i < 4000; ++i)
        line += "<i>abcdefg</i>";  // 56,000 characters
    EXPECT_EQ(Convert(line).size(), 4000u * 7 + 2);

    // An open script of many short lines: lines are joined until the
    // block passes 64 KB, then it is given up and its text stays.
    const size_t lines = 40000;
    std::string page = "<script>\r\n";
    for (size_t i = 0; i < lines; ++i)
        page += "v;\r\n";
    size_t joined = (65536 - 8) / 2 + 1;  // first length above 64 KB
    std::string text = Convert(page);
    EXPECT_EQ(text.size(), joined * 2 + 2 + (lines - joined) * 4);
    EXPECT_EQ(text.substr(joined * 2 - 4, 10), "v;v;\r\nv;\r\n");
}

TEST_F(HtmlToTextTest, ALargePageConvertsWhole) {
    std::string line = "<p>Some <b>bold</b> text &amp; more</p>\r\n";
    std::string page;
    while (page.size() < 30u * 1024 * 1024)
        page += line;
    size_t lines = page.size() / line.size();
    std::string text = Convert(page);
    EXPECT_EQ(text.size(), lines * std::string("\r\nSome bold text & more\r\n").size());
}

// Pages in UTF-8, found by their mark, their declaration or their bytes,
// come out in the ANSI code page; the HTML 4 entities and numeric
// references are decoded after the tags are stripped, in either encoding.
// The entities of the line table keep their own rules.
TEST_F(HtmlToTextTest, Utf8PagesAndHtmlEntitiesComeOutInTheCodePage) {
    ExpectTexts({
        {"caf\xE9 &eacute;t&eacute; &#287;&#xE7;a &euro;", "caf\xE9 \xE9t\xE9 g\xE7" "a \x80\r\n"},
        {"<p title='&eacute;'>&Ccedil;&agrave; &hellip;&#0;</p>", "\xC7\xE0 \x85?\r\n"},
        {"&amp;nbsp; &amp;eacute; &bogus; & x", "&nbsp; \xE9 &bogus; & x\r\n"},
        {"caf\xC3\xA9 &eacute;\xC2\xA0x \xE2\x80\x94", "caf\xE9 \xE9\xA0x \x97\r\n"},
        {"\xEF\xBB\xBFplain &#x20AC;", "plain \x80\r\n"},
        {"\xEF\xBB\xBF<b>\xE2\x82\xAC</b> &ccedil;", "\x80 \xE7\r\n"},
        {"<meta charset=\"UTF-8\">\r\nna&#239;ve &#8212; \xC3\xA9\xD0\x96", "na\xEFve \x97 \xE9?\r\n"},
        {"<?xml version='1.0' encoding='utf-8'?>\r\n<p>\xC3\xA9t\xC3\xA9</p>", "\r\n\xE9t\xE9\r\n"},
    });
    // A declared page is read as UTF-8 even where its bytes are not.
    EXPECT_NE(Convert("x\xE9y"), Convert("<meta charset=utf-8>\r\nx\xE9y"));
}

// A system that tells how far the files open for reading have got each
// time a file is written to: the filter's read-ahead.
class ReadAheadSystem : public EnvironmentSystem {
public:
    ReadAheadSystem() : EnvironmentSystem(PlatformSystem()) {}
    std::vector<uint64_t> readAtWrites;  // the most read by one open file

    std::unique_ptr<FileReader> OpenForReading(const std::string& p) override {
        std::unique_ptr<FileReader> file = PlatformSystem().OpenForReading(p);
        return file ? std::make_unique<Reader>(std::move(file), open_) : nullptr;
    }
    std::unique_ptr<FileWriter> CreateForWriting(const std::string& p) override {
        std::unique_ptr<FileWriter> file = PlatformSystem().CreateForWriting(p);
        return file ? std::make_unique<Writer>(std::move(file), *this) : nullptr;
    }

private:
    class Reader : public FileReader {
    public:
        Reader(std::unique_ptr<FileReader> file, std::set<Reader*>& open)
            : file_(std::move(file)), open_(open) {
            open_.insert(this);
        }
        ~Reader() override { open_.erase(this); }
        bool Read(char* buffer, size_t capacity, size_t& got) override {
            bool ok = file_->Read(buffer, capacity, got);
            read += got;
            return ok;
        }
        uint64_t read = 0;

    private:
        std::unique_ptr<FileReader> file_;
        std::set<Reader*>& open_;
    };
    class Writer : public FileWriter {
    public:
        Writer(std::unique_ptr<FileWriter> file, ReadAheadSystem& sys)
            : file_(std::move(file)), sys_(sys) {}
        bool Write(std::string_view bytes) override {
            uint64_t most = 0;
            for (const Reader* r : sys_.open_)
                most = std::max(most, r->read);
            sys_.readAtWrites.push_back(most);
            return file_->Write(bytes);
        }
        bool Close() override { return file_->Close(); }

    private:
        std::unique_ptr<FileWriter> file_;
        ReadAheadSystem& sys_;
    };
    std::set<Reader*> open_;
};

// Large pages are filtered a line at a time: between two writes of text the
// filter reads no more than a read buffer or two past its longest line, in
// either encoding, with long open script blocks and with lines of hundreds
// of kilobytes.
TEST(HtmlToTextStreaming, ReadsLittleMoreThanALineAheadOfItsText) {
    auto pageOf = [](const std::vector<std::string>& lines, size_t size, std::string start) {
        for (size_t i = 0; start.size() < size; ++i)
            start += lines[i % lines.size()] + "\r\n";
        return start;
    };
    const struct {
        const char* name;
        std::vector<std::string> lines;
        std::string start;
    } pages[] = {
        {"short lines", {"<p>Some <b>bold</b> text &amp; caf\xE9 &eacute;</p>"}, ""},
        {"UTF-8", {"<p>caf\xC3\xA9 &#8212; <i>\xE2\x82\xAC</i></p>", "x<br>y"}, "\xEF\xBB\xBF"},
        {"open scripts", {"<script>", "var a = 1;", "var b = '<p>';", "</script>text"}, ""},
        {"long lines", MixedLengthLines(7, 16, 400000, "ab <>&;p"), ""},
    };
    TempFolder dir;
    for (const auto& page : pages) {
        std::string bytes = pageOf(page.lines, 4u << 20, page.start);
        dir.Write("page.htm", bytes);
        size_t longest = 0;
        for (const std::string& line : page.lines)
            longest = std::max(longest, line.size());
        ReadAheadSystem sys;
        ASSERT_TRUE(HtmlToText(sys, dir.File("page.htm"), dir.File("out.txt"), TextCoding::Ansi(), nullptr));
        ASSERT_GT(sys.readAtWrites.size(), 4u) << page.name;
        uint64_t before = 0;
        for (uint64_t read : sys.readAtWrites) {
            EXPECT_LE(read - before, 2 * longest + (1u << 20)) << page.name;
            before = read;
        }
    }
}

}  // namespace
