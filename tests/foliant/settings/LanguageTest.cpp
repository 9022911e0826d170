// ReadLanguageFile fills the language table from a language file, in any of
// the encodings the shipped files use.
#include <gtest/gtest.h>

#include "settings/LanguageTable.h"
#include "support/TempFolder.h"
#include "support/Utf16.h"
#include "sys/System.h"

namespace {

std::string LanguageFile(int maxLngNum, const std::string& string14) {
    std::string text = "[Info]\r\nLanguage=Test\r\nSoftName=Conv\r\nHomePage=home\r\nMaxLngNum=" +
                       std::to_string(maxLngNum) + "\r\n[Strings]\r\n";
    for (int i = 0; i <= maxLngNum + 1; ++i)
        text += StringKey(i) + "=" + (i == 14 ? string14 : "s" + std::to_string(i)) + "\r\n";
    return text;
}

class LanguageTest : public ::testing::Test {
protected:
    StartupProblem Read(const std::string& name) {
        return ReadLanguageFile(sys, dir.Path(), name, table);
    }
    System& sys = PlatformSystem();
    TempFolder dir;
    LanguageTable table;
};

TEST_F(LanguageTest, ReadsStringsZeroToMaxLngNum) {
    dir.Write("language/t.ini", LanguageFile(40, "x"));
    ASSERT_FALSE(Read("t"));
    EXPECT_EQ(table.MaxLngNum, 40);
    ASSERT_EQ(table.LangStrings.size(), 41u);
    EXPECT_EQ(table.LangStrings[0], "s0");
    EXPECT_EQ(table.LangStrings[40], "s40");
    EXPECT_EQ(table.Text(41), "") << "string 41 is in the file but above MaxLngNum";
    EXPECT_EQ(table.SoftName, "Conv");
    EXPECT_EQ(table.HomePage, "home");
    EXPECT_EQ(table.Version, "1.60");
}

TEST_F(LanguageTest, LowerCaseAtNBecomesALineBreak) {
    dir.Write("language/t.ini", LanguageFile(32, "Line one@nLine two@N@@nend@n"));
    ASSERT_FALSE(Read("t"));
    EXPECT_EQ(table.Text(14), "Line one\r\nLine two@N@\r\nend\r\n");
}

TEST_F(LanguageTest, Utf16FileReadsLikeAnAnsiOne) {
    std::string ansi = LanguageFile(40, "Fertig: @BookName \xe9t\xe9");
    dir.Write("language/a.ini", ansi);
    dir.Write("language/u.ini", Utf16(u"\uFEFF" + Latin1Units(ansi)));
    LanguageTable fromAnsi;
    ASSERT_FALSE(ReadLanguageFile(sys, dir.Path(), "a", fromAnsi));
    ASSERT_FALSE(Read("u"));
    EXPECT_EQ(table.LangStrings, fromAnsi.LangStrings);
    EXPECT_EQ(table.SoftName, fromAnsi.SoftName);
    EXPECT_EQ(table.Text(14), "Fertig: @BookName \xe9t\xe9");
}

TEST_F(LanguageTest, RefusesMissingFilesAndUnusableMaxLngNum) {
    StartupProblem missing = Read("none");
    ASSERT_TRUE(missing);
    EXPECT_NE(missing.message.find(dir.Path() + "\\language\\none.ini"), std::string::npos);

    for (std::string value : {"", "many", "31", "100000"}) {
        std::string text = LanguageFile(40, "x");
        text.replace(text.find("MaxLngNum=40"), 12, "MaxLngNum=" + value);
        dir.Write("language/bad.ini", text);
        table.SoftName = "before";
        StartupProblem problem = Read("bad");
        ASSERT_TRUE(problem) << value;
        EXPECT_NE(problem.message.find("MaxLngNum"), std::string::npos);
        EXPECT_EQ(table.SoftName, "before") << "a refused file changes nothing";
    }
}

// Every shipped language file loads and carries what the program needs.
class ShippedLanguage : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedLanguage, LoadsWithEveryString) {
    LanguageTable table;
    System& sys = PlatformSystem();
    ASSERT_FALSE(ReadLanguageFile(sys, PackageFolderForTests(), GetParam(), table));
    EXPECT_EQ(table.MaxLngNum, 40);
    for (int i = 1; i <= 32; ++i) {
        if (i == 30)
            continue;
        EXPECT_FALSE(table.Text(i).empty()) << "string " << i;
    }
    EXPECT_NE(table.Text(14).find("@BookName"), std::string::npos);
    EXPECT_NE(table.Text(11).find("\r\n\\/:*?\"\"<>|."), std::string::npos);
    classIniFile ini(sys);
    ini.INIFileName(LanguageFilePath(PackageFolderForTests(), GetParam()));
    EXPECT_FALSE(ini.GetIniKey("Info", "Language").empty());
    EXPECT_EQ(ini.GetIniKey("Info", "Version"), "1.50");
}

INSTANTIATE_TEST_SUITE_P(Package, ShippedLanguage,
                         ::testing::Values("arc", "chs", "cht", "deu", "dut", "eng", "esp", "fra",
                                           "ita", "jap", "kor", "nor", "por", "rus"));

TEST(EnglishLanguage, HoldsTheShippedTexts) {
    LanguageTable table;
    ASSERT_FALSE(ReadLanguageFile(PlatformSystem(), PackageFolderForTests(), "eng", table));
    EXPECT_EQ(table.SoftName, "Foliant");
    EXPECT_EQ(table.Text(1), "Please input a name of the output folder:");
    EXPECT_EQ(table.Text(11),
              "The name of the output folder cannot include the following characters:\r\n"
              "\\/:*?\"\"<>|.");
    EXPECT_EQ(table.Text(12), "Please add file(s)!");
    EXPECT_EQ(table.Text(13), "processing:");
    EXPECT_EQ(table.Text(31), "Are you sure to quit?");
    EXPECT_EQ(table.Text(0), "");
    EXPECT_EQ(table.Text(33), "");
}

// English is shown in every Western code page: its file holds nothing but
// ASCII. The Chinese file keeps its full-width punctuation.
TEST(EnglishLanguage, IsPlainAsciiWhereChineseKeepsItsPunctuation) {
    std::string bytes;
    ASSERT_TRUE(PlatformSystem().ReadFile(LanguageFilePath(PackageFolderForTests(), "eng"), bytes));
    ASSERT_GT(bytes.size(), 1000u);
    for (size_t i = 0; i < bytes.size(); ++i)
        ASSERT_LT(static_cast<unsigned char>(bytes[i]), 0x80u) << "byte " << i;

    LanguageTable chinese;
    ASSERT_FALSE(ReadLanguageFile(PlatformSystem(), PackageFolderForTests(), "chs", chinese));
    auto endsWith = [](const std::string& text, const char* tail) {
        std::string t(tail);
        return text.size() >= t.size() && text.compare(text.size() - t.size(), t.size(), t) == 0;
    };
    EXPECT_TRUE(endsWith(chinese.Text(12), "\xa3\xa1"));
    EXPECT_TRUE(endsWith(chinese.Text(13), "\xa3\xba"));
    EXPECT_TRUE(endsWith(chinese.Text(31), "\xa3\xbf"));
}

}  // namespace
