// classIniFile reads and writes INI files the way the platform's
// private-profile functions do, and never disturbs what it does not edit.
#include <gtest/gtest.h>

#include "settings/classIniFile.h"
#include "support/TempFolder.h"
#include "support/Utf16.h"
#include "sys/System.h"

namespace {

class IniFileTest : public ::testing::Test {
protected:
    IniFileTest() : ini(PlatformSystem()) { ini.INIFileName(dir.File("test.ini")); }

    void Given(std::string_view text) { dir.Write("test.ini", text); }
    std::string Stored() { return dir.Read("test.ini"); }

    TempFolder dir;
    classIniFile ini;
};

TEST_F(IniFileTest, ReadsValuesWithoutSurroundingBlanksAndQuotes) {
    Given("[S]\r\n  Plain = some value  \r\nTabbed\t=\tx\t\r\nQuoted=\" kept inside \"\r\n"
          "Single='a'\r\nHalf=\"open\r\nEmpty=\r\n");
    EXPECT_EQ(ini.GetIniKey("S", "Plain"), "some value");
    EXPECT_EQ(ini.GetIniKey("S", "Tabbed"), "x");
    EXPECT_EQ(ini.GetIniKey("S", "Quoted"), "kept inside");
    EXPECT_EQ(ini.GetIniKey("S", "Single"), "a");
    EXPECT_EQ(ini.GetIniKey("S", "Half"), "\"open");
    EXPECT_EQ(ini.GetIniKey("S", "Empty"), "");
}

TEST_F(IniFileTest, SectionsAndKeysIgnoreLetterCase) {
    Given("[UserSettings]\r\nBookName=Moby\r\n");
    EXPECT_EQ(ini.GetIniKey("usersettings", "BOOKNAME"), "Moby");
    EXPECT_EQ(ini.GetIniKey("USERSETTINGS", "bookname"), "Moby");
}

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(ini.GetIniKey("S", "K"), "");
    Given("[S]\r\nK=1\r\n");
    EXPECT_EQ(ini.GetIniKey("Other", "K"), "");
    EXPECT_EQ(ini.GetIniKey("S", "Other"), "");
    EXPECT_FALSE(dir.Exists("missing.ini"));
}

TEST_F(IniFileTest, ValuesAreCutAt1023Bytes) {
    std::string exact(1023, 'a');
    std::string longer = std::string(1023, 'b') + "tail";
    Given("[S]\r\nExact=" + exact + "\r\nLonger=" + longer + "\r\n");
    EXPECT_EQ(ini.GetIniKey("S", "Exact"), exact);
    EXPECT_EQ(ini.GetIniKey("S", "Longer"), std::string(1023, 'b'));
}

TEST_F(IniFileTest, ACutValueLosesBlanksAtItsNewEnd) {
    std::string value = std::string(1020, 'c') + "      end";
    Given("[S]\r\nK=" + value + "\r\n");
    EXPECT_EQ(ini.GetIniKey("S", "K"), std::string(1020, 'c'));
}

TEST_F(IniFileTest, LineEndsMayBeCrLfOrLoneCrOrLf) {
    Given("[S]\rA=1\rB=2\nC=3\r\n");
    EXPECT_EQ(ini.GetIniKey("S", "A"), "1");
    EXPECT_EQ(ini.GetIniKey("S", "B"), "2");
    EXPECT_EQ(ini.GetIniKey("S", "C"), "3");
}

TEST_F(IniFileTest, CommentsAndLinesBeforeAnySectionAreNotKeys) {
    Given("K=outside\r\n[S]\r\n;K=commented\r\nK=inside\r\n");
    EXPECT_EQ(ini.GetIniKey("S", "K"), "inside");
}

TEST_F(IniFileTest, ReadsTheFileAfreshOnEveryCall) {
    Given("[S]\r\nK=first\r\n");
    EXPECT_EQ(ini.GetIniKey("S", "K"), "first");
    Given("[S]\r\nK=second\r\n");
    EXPECT_EQ(ini.GetIniKey("S", "K"), "second");
}

TEST_F(IniFileTest, WritingAKeyChangesOnlyItsLine) {
    std::string before = "; settings\r\n[A]\r\nx = 1\r\n\r\n[B]\r\nKey=old\r\nOther=2\r\n";
    Given(before);
    ini.WriteIniKey("b", "KEY", "new");
    EXPECT_EQ(Stored(), "; settings\r\n[A]\r\nx = 1\r\n\r\n[B]\r\nKey=new\r\nOther=2\r\n");
}

TEST_F(IniFileTest, WritingTheSameValueLeavesTheFileAlone) {
    std::string before = "[A]\r\nx =  1 \r\n";
    Given(before);
    ini.WriteIniKey("A", "x", "1");
    EXPECT_EQ(Stored(), before);
}

TEST_F(IniFileTest, NewKeysGoAtTheEndOfTheirSection) {
    Given("[A]\r\nx=1\r\n\r\n[B]\r\ny=2");
    ini.WriteIniKey("A", "z", "3");
    ini.WriteIniKey("B", "w", "4");
    EXPECT_EQ(Stored(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\nw=4\r\n");
}

TEST_F(IniFileTest, NewSectionsAndFilesAreCreated) {
    ini.WriteIniKey("First", "a", "1");
    EXPECT_EQ(Stored(), "[First]\r\na=1\r\n");
    ini.WriteIniKey("Second", "b", "");
    EXPECT_EQ(Stored(), "[First]\r\na=1\r\n[Second]\r\nb=\r\n");
    EXPECT_EQ(ini.GetIniKey("Second", "b"), "");
}

TEST_F(IniFileTest, DeletesKeysAndSections) {
    Given("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n[C]\r\nw=4\r\n");
    ini.DelIniKey("A", "x");
    EXPECT_EQ(Stored(), "[A]\r\ny=2\r\n[B]\r\nz=3\r\n[C]\r\nw=4\r\n");
    ini.DelIniSec("B");
    EXPECT_EQ(Stored(), "[A]\r\ny=2\r\n[C]\r\nw=4\r\n");
    ini.DelIniKey("Missing", "x");
    ini.DelIniSec("Missing");
    EXPECT_EQ(Stored(), "[A]\r\ny=2\r\n[C]\r\nw=4\r\n");
}

TEST_F(IniFileTest, DeletingFromAMissingFileCreatesNothing) {
    ini.DelIniKey("A", "x");
    ini.DelIniSec("A");
    EXPECT_FALSE(dir.Exists("test.ini"));
}

TEST_F(IniFileTest, Utf16FilesReadInTheAnsiCodePage) {
    Given(Utf16(u"\uFEFF[Info]\r\nName=Caf\xe9\r\n"));
    EXPECT_EQ(ini.GetIniKey("Info", "Name"), "Caf\xe9");
}

TEST_F(IniFileTest, Utf16FilesStayUtf16WhenWritten) {
    Given(Utf16(u"\uFEFF[Info]\r\nName=old\r\nKeep=\xe9t\xe9\r\n"));
    ini.WriteIniKey("Info", "Name", "na\xefve");
    ini.WriteIniKey("Info", "Added", "1");
    EXPECT_EQ(Stored(), Utf16(u"\uFEFF[Info]\r\nName=na\xefve\r\nKeep=\xe9t\xe9\r\nAdded=1\r\n"));
}

// A UTF-16 file that ends in half a unit (found by fuzzing): what is added
// after it is still read back, and the half unit is completed, not lost.
TEST_F(IniFileTest, Utf16FileEndingInHalfAUnitTakesNewKeys) {
    std::string odd = Utf16(u"\uFEFF[Info]\r\nName=x") + "y";
    Given(odd);
    ini.WriteIniKey("Info", "Added", "1");
    ini.WriteIniKey("New", "Key", "v");
    EXPECT_EQ(ini.GetIniKey("Info", "Name"), "xy");
    EXPECT_EQ(ini.GetIniKey("Info", "Added"), "1");
    EXPECT_EQ(ini.GetIniKey("New", "Key"), "v");
    EXPECT_EQ(Stored().substr(0, odd.size()), odd);
}

TEST_F(IniFileTest, Utf8FilesWithAMarkReadInTheAnsiCodePage) {
    Given("\xef\xbb\xbf[S]\r\nK=Caf\xc3\xa9\r\n");
    EXPECT_EQ(ini.GetIniKey("S", "K"), "Caf\xe9");
}

}  // namespace
