// LoadSettings and SaveUserSettings move main.ini into AppSettings and
// back, refuse a main.ini the program cannot start with, and never touch
// the product configuration.
#include <gtest/gtest.h>

#include "settings/Mod_DIM.h"
#include "support/TempFolder.h"
#include "sys/System.h"

namespace {

const char kShortIni[] =
    "[MainSettings]\r\n"
    "CutTypeNum=1\r\n"
    "SingleFileSize0=1000\r\nInOutFileSize0=100\r\n"
    "SingleFileSize1=0\r\nInOutFileSize1=256\r\n"
    "Filter=Text|*.txt\r\n"
    "CutWordNum=2\r\n"
    "OutputCodePage= UTF-8 \r\nInputCodePage=1251\r\n"
    "[UserSettings]\r\n"
    "CutWord0=ENTER\r\nCutWord1=Space\r\nCutWord2=\r\nCutWord3=never read\r\n"
    "MyLagIndex=eng\r\nOpenFilesFilterIndex=2\r\nCutTypeIndex=1\r\n"
    "BookName=  Moby Dick  \r\nKeepFileSize=34\r\n";

class SettingsTest : public ::testing::Test {
protected:
    StartupProblem Load(std::string_view text) {
        dir.Write("main.ini", text);
        return LoadSettings(sys, dir.Path(), ini, settings);
    }

    System& sys = PlatformSystem();
    TempFolder dir;
    classIniFile ini{sys};
    AppSettings settings;
};

TEST_F(SettingsTest, LoadsEveryField) {
    ASSERT_FALSE(Load(kShortIni));
    EXPECT_EQ(ini.INIFileName(), dir.Path() + "\\main.ini");
    EXPECT_EQ(settings.CutTypeNum, 1);
    ASSERT_EQ(settings.CutTypes.size(), 2u);
    EXPECT_EQ(settings.CutTypes[0].SingleFileSize, 1000);
    EXPECT_EQ(settings.CutTypes[0].InOutFileSize, 100);
    EXPECT_EQ(settings.CutTypes[1].SingleFileSize, 0);
    EXPECT_EQ(settings.CutTypes[1].InOutFileSize, 256);
    EXPECT_EQ(settings.Filter, "Text|*.txt");
    EXPECT_EQ(settings.CutWordNum, 2);
    EXPECT_EQ(settings.CutWords, (std::vector<std::string>{"\r\n", " ", ""}));
    EXPECT_EQ(settings.MyLagIndex, "eng");
    EXPECT_EQ(settings.OpenFilesFilterIndex, 2);
    EXPECT_EQ(settings.CutTypeIndex, 1);
    EXPECT_EQ(settings.BookName, "Moby Dick");
    EXPECT_EQ(settings.KeepFileSize, 34);
    EXPECT_EQ(settings.InPutDir, "");
    EXPECT_EQ(settings.OutPutDir, "");
    EXPECT_EQ(settings.OutputCodePage, "UTF-8");
    EXPECT_EQ(settings.InputCodePage, "1251");
}

TEST_F(SettingsTest, SavesExactlyTheListedCutWords) {
    ASSERT_FALSE(Load(kShortIni));
    settings.CutWords = {"\r\n", "  ", "."};
    SaveUserSettings(ini, settings);
    std::string stored = dir.Read("main.ini");
    EXPECT_NE(stored.find("CutWord0=enter\r\n"), std::string::npos) << "any case saves as enter";
    EXPECT_NE(stored.find("CutWord1=  \r\n"), std::string::npos) << "two blanks saved as they are";
    EXPECT_NE(stored.find("CutWord2=.\r\n"), std::string::npos);
    EXPECT_NE(stored.find("CutWord3=never read\r\n"), std::string::npos);
    EXPECT_EQ(stored.find("CutWord4"), std::string::npos);
}

TEST_F(SettingsTest, SavedValuesLoadBack) {
    ASSERT_FALSE(Load(kShortIni));
    settings.BookName = "Another";
    settings.KeepFileSize = 12;
    settings.OpenFilesFilterIndex = 1;
    settings.InPutDir = "C:\\In";
    settings.OutPutDir = "C:\\Out\\Another\\";
    settings.MyLagIndex = "deu";
    settings.CutWords = {" ", "\r\n", ";"};
    SaveUserSettings(ini, settings);
    AppSettings again;
    ASSERT_FALSE(LoadSettings(sys, dir.Path(), ini, again));
    EXPECT_EQ(again.BookName, "Another");
    EXPECT_EQ(again.KeepFileSize, 12);
    EXPECT_EQ(again.OpenFilesFilterIndex, 1);
    EXPECT_EQ(again.InPutDir, "C:\\In");
    EXPECT_EQ(again.OutPutDir, "C:\\Out\\Another\\");
    EXPECT_EQ(again.MyLagIndex, "deu");
    EXPECT_EQ(again.CutWords, settings.CutWords);
    EXPECT_NE(dir.Read("main.ini").find("CutWord0=space\r\nCutWord1=enter\r\n"), std::string::npos);
}

// Names are held in UTF-8. The file keeps them in the ANSI code page
// (windows-1252 here) where it can, so older copies still read them, and
// marked as UTF-8 where it cannot.
TEST_F(SettingsTest, NamesBeyondTheAnsiCodePageLoadBack) {
    ASSERT_EQ(sys.AnsiCodePage(), 1252);
    struct Case {
        std::string name;    // UTF-8
        std::string stored;  // as main.ini holds it
    } cases[] = {
        {"C:\\Books", "C:\\Books"},
        {"C:\\Caf\xC3\xA9 \xE2\x80\x93 Notes", "C:\\Caf\xE9 \x96 Notes"},
        {"C:\\\xD0\x94\xD0\xBE\xD1\x81\xD1\x82", "utf-8:C:\\\xD0\x94\xD0\xBE\xD1\x81\xD1\x82"},
        {"D:\\\xE6\x97\xA5\xE6\x9C\xAC\\\xCE\x92\xCE\xB9\xCE\xB2\xCE\xBB\xCE\xAF\xCE\xB1\\",
         "utf-8:D:\\\xE6\x97\xA5\xE6\x9C\xAC\\\xCE\x92\xCE\xB9\xCE\xB2\xCE\xBB\xCE\xAF\xCE\xB1\\"},
        {"Caf\xC3\xA9 \xF0\x9F\x93\x9A", "utf-8:Caf\xC3\xA9 \xF0\x9F\x93\x9A"},
        {"utf-8:plain", "utf-8:utf-8:plain"},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(Load(kShortIni));
        settings.BookName = c.name;
        settings.InPutDir = c.name;
        settings.OutPutDir = c.name;
        SaveUserSettings(ini, settings);
        std::string file = dir.Read("main.ini");
        for (const char* key : {"BookName=", "InPutDir=", "OutPutDir="})
            EXPECT_NE(file.find(key + c.stored + "\r\n"), std::string::npos) << key << c.stored;
        AppSettings again;
        ASSERT_FALSE(LoadSettings(sys, dir.Path(), ini, again));
        EXPECT_EQ(again.BookName, c.name);
        EXPECT_EQ(again.InPutDir, c.name);
        EXPECT_EQ(again.OutPutDir, c.name);
    }
}

TEST_F(SettingsTest, FirstSaveAddsUserSettingsAndKeepsMainSettings) {
    const std::string mainOnly =
        "[MainSettings]\r\nCutTypeNum=0\r\nSingleFileSize0=0\r\nInOutFileSize0=256\r\n"
        "CutWordNum=0\r\nCutWordDef0=enter\r\nOutputCodePage=utf-16le\r\n";
    dir.Write("main.ini", mainOnly);
    ini.INIFileName(dir.File("main.ini"));
    settings.CutWordNum = 0;
    settings.CutWords = {"\r\n"};
    settings.MyLagIndex = "eng";
    settings.OutputCodePage = "936";  // read from the file, never written
    SaveUserSettings(ini, settings);
    std::string stored = dir.Read("main.ini");
    ASSERT_EQ(stored.substr(0, mainOnly.size()), mainOnly);
    EXPECT_EQ(stored.substr(mainOnly.size()),
              "[UserSettings]\r\nMyLagIndex=eng\r\nOpenFilesFilterIndex=0\r\nCutTypeIndex=0\r\n"
              "BookName=\r\nKeepFileSize=0\r\nInPutDir=\r\nOutPutDir=\r\nCutWord0=enter\r\n");
}

// Saving the shipped file keeps every line where it is and adds the one
// key it lacks, the empty book name, at the end of its section.
TEST_F(SettingsTest, ShippedFileGainsOnlyTheEmptyBookName) {
    std::string shipped;
    ASSERT_TRUE(sys.ReadFile(PackageFolderForTests() + "\\main.ini", shipped));
    ASSERT_FALSE(Load(shipped));
    EXPECT_EQ(settings.CutTypes.size(), 1u);
    EXPECT_EQ(settings.CutTypes[0].SingleFileSize, 0);
    EXPECT_EQ(settings.CutWords, (std::vector<std::string>{"\r\n", ".", "?", ",", " ", ")"}));
    EXPECT_EQ(settings.KeepFileSize, 34);
    EXPECT_EQ(settings.OpenFilesFilterIndex, 4);
    EXPECT_EQ(settings.Filter.substr(0, 10), "Html Files");
    ASSERT_EQ(shipped.find("BookName"), std::string::npos);
    ASSERT_GT(shipped.find("[UserSettings]"), shipped.find("[MainSettings]"));
    ASSERT_EQ(shipped.substr(shipped.size() - 2), "\r\n");
    SaveUserSettings(ini, settings);
    EXPECT_EQ(dir.Read("main.ini"), shipped + "BookName=\r\n");
    // A second save with nothing changed leaves the file as it is.
    SaveUserSettings(ini, settings);
    EXPECT_EQ(dir.Read("main.ini"), shipped + "BookName=\r\n");
}

// Every key is written in its order, also when it is empty or already
// holds the value.
TEST_F(SettingsTest, EveryUserKeyIsWrittenInOrder) {
    dir.Write("main.ini", "[UserSettings]\r\nKeepFileSize=7\r\n");
    ini.INIFileName(dir.File("main.ini"));
    settings.CutWordNum = 1;
    settings.CutWords = {" ", ""};
    settings.KeepFileSize = 7;
    settings.OutPutDir = "C:\\Out\\B\\";
    SaveUserSettings(ini, settings);
    EXPECT_EQ(dir.Read("main.ini"),
              "[UserSettings]\r\nKeepFileSize=7\r\nMyLagIndex=\r\nOpenFilesFilterIndex=0\r\n"
              "CutTypeIndex=0\r\nBookName=\r\nInPutDir=\r\nOutPutDir=C:\\Out\\B\\\r\n"
              "CutWord0=space\r\nCutWord1=\r\n");
}

// The shipped filter: index 4 is still "All Types", which holds every
// ending a run converts, and the fifth entry offers the documents and
// e-books.
TEST_F(SettingsTest, ShippedFilterOffersEveryKindAtIndexFour) {
    std::string shipped;
    ASSERT_TRUE(sys.ReadFile(PackageFolderForTests() + "\\main.ini", shipped));
    ASSERT_FALSE(Load(shipped));
    std::vector<std::string> parts;
    std::string rest = settings.Filter;
    for (size_t bar; (bar = rest.find('|')) != std::string::npos; rest.erase(0, bar + 1))
        parts.push_back(rest.substr(0, bar));
    parts.push_back(rest);
    ASSERT_EQ(parts.size(), 10u);
    size_t index = static_cast<size_t>(settings.OpenFilesFilterIndex);
    EXPECT_EQ(parts[2 * (index - 1)], "All Types");
    std::string all = ";" + parts[2 * index - 1] + ";";
    for (const char* pattern : {"*.txt", "*.text", "*.htm", "*.html", "*.asp", "*.php", "*.rtf", "*.doc",
                                "*.docx", "*.odt", "*.epub", "*.fb2"})
        EXPECT_NE(all.find(std::string(";") + pattern + ";"), std::string::npos) << pattern;
    EXPECT_EQ(parts[8], "Documents and E-books (*.docx;*.odt;*.epub;*.fb2)");
    EXPECT_EQ(parts[9], "*.docx;*.odt;*.epub;*.fb2");
}

TEST(CutWordEncoding, EnterAndSpaceInAnyCase) {
    EXPECT_EQ(DecodeCutWord("enter"), "\r\n");
    EXPECT_EQ(DecodeCutWord("EnTeR"), "\r\n");
    EXPECT_EQ(DecodeCutWord("SPACE"), " ");
    EXPECT_EQ(DecodeCutWord("spaces"), "spaces");
    EXPECT_EQ(DecodeCutWord(""), "");
    EXPECT_EQ(EncodeCutWord("\r\n"), "enter");
    EXPECT_EQ(EncodeCutWord(" "), "space");
    EXPECT_EQ(EncodeCutWord("  "), "  ");
    EXPECT_EQ(EncodeCutWord("\n"), "\n");
    EXPECT_EQ(EncodeCutWord("Enter"), "Enter");
}

// A main.ini the program cannot start with is named in the message with
// the offending key, and is left exactly as it was.
struct BadIni {
    const char* name;
    const char* replace;  // this line of the good file...
    const char* with;     // ...becomes this one
    const char* key;      // expected in the message
};

class RefusedSettings : public SettingsTest, public ::testing::WithParamInterface<BadIni> {};

TEST_P(RefusedSettings, NamesFileAndKey) {
    std::string text = kShortIni;
    size_t at = text.find(GetParam().replace);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::string(GetParam().replace).size(), GetParam().with);
    settings.BookName = "untouched";
    StartupProblem problem = Load(text);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem.message.find(GetParam().key), std::string::npos) << problem.message;
    EXPECT_NE(problem.message.find(dir.Path() + "\\main.ini"), std::string::npos) << problem.message;
    EXPECT_EQ(dir.Read("main.ini"), text);
    EXPECT_EQ(settings.BookName, "untouched");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RefusedSettings,
    ::testing::Values(BadIni{"MissingCutTypeNum", "CutTypeNum=1\r\n", "", "CutTypeNum"},
                      BadIni{"TextCutTypeNum", "CutTypeNum=1", "CutTypeNum=one", "CutTypeNum"},
                      BadIni{"NegativeCutTypeNum", "CutTypeNum=1", "CutTypeNum=-1", "CutTypeNum"},
                      BadIni{"HugeCutTypeNum", "CutTypeNum=1", "CutTypeNum=2000000000",
                             "CutTypeNum"},
                      BadIni{"NegativeCutWordNum", "CutWordNum=2", "CutWordNum=-3", "CutWordNum"},
                      BadIni{"MissingSize", "SingleFileSize1=0\r\n", "", "SingleFileSize1"},
                      BadIni{"TextWindow", "InOutFileSize0=100", "InOutFileSize0=1e3",
                             "InOutFileSize0"},
                      BadIni{"OverflowingJoint", "KeepFileSize=34", "KeepFileSize=2147483648",
                             "KeepFileSize"},
                      BadIni{"EmptyFilterIndex", "OpenFilesFilterIndex=2", "OpenFilesFilterIndex=",
                             "OpenFilesFilterIndex"},
                      BadIni{"MissingCutTypeIndex", "CutTypeIndex=1\r\n", "", "CutTypeIndex"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, MissingFileIsRefusedAndNotCreated) {
    StartupProblem problem = LoadSettings(sys, dir.Path(), ini, settings);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem.message.find("main.ini"), std::string::npos);
    EXPECT_FALSE(dir.Exists("main.ini"));
}

TEST(ParseInteger, AcceptsSignedDecimalsInRange) {
    int32_t v = 0;
    EXPECT_TRUE(ParseInteger(" -2147483648 ", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(ParseInteger("+7", v));
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(ParseInteger("2147483648", v));
    EXPECT_FALSE(ParseInteger("-", v));
    EXPECT_FALSE(ParseInteger("12 3", v));
    EXPECT_FALSE(ParseInteger("", v));
}

}  // namespace
