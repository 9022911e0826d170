// The settings dialog's rules: the joint-characters key filters, the
// language list read from the language folder, the cut-word boxes, the
// short form, and what OK applies and in which order.
#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "ui/SettingsEdits.h"

namespace {

TEST(JointCharacters, OnlyDigitsAndBackspaceGetThrough) {
    for (int c = 0; c < 256; ++c) {
        bool expected = (c >= '0' && c <= '9') || c == 8;
        EXPECT_EQ(JointKeyAllowed(c), expected) << c;
    }
}

TEST(JointCharacters, KeyReleaseRepairsTheBox) {
    struct { const char* typed; const char* shown; } cases[] = {
        {"", "32"},   {"abc", "32"}, {"3a", "32"},  {"99", "64"}, {"65", "64"},
        {"065", "64"}, {"64", "64"}, {"0", "0"},    {"7", "7"},   {"12345678901234", "64"},
    };
    for (auto c : cases)
        EXPECT_EQ(JointTextOnKeyRelease(c.typed), c.shown) << '"' << c.typed << '"';
}

TEST(JointCharacters, NumbersAsTheBoxMayHoldThem) {
    double v = 0;
    EXPECT_TRUE(ParseNumber(" 12 ", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(ParseNumber("-3.5", v));
    EXPECT_EQ(v, -3.5);
    EXPECT_FALSE(ParseNumber("", v));
    EXPECT_FALSE(ParseNumber("-", v));
    EXPECT_FALSE(ParseNumber("1 2", v));
    EXPECT_FALSE(ParseNumber(".", v));
}

// The language list: "Language" of [Info] from each *.ini file, in name
// order, files without it skipped, the one in use selected.
class LanguageList : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("gamma.ini", "[Info]\r\nLanguage=Gamma\r\n");
        dir.Write("Alpha.ini", "[Info]\r\nLanguage=Alpha\r\n");
        dir.Write("beta.ini", "[Info]\r\nLanguage= Beta \r\n");
        dir.Write("blank.ini", "[Info]\r\nSoftName=No language here\r\n");
        dir.Write("notes.txt", "[Info]\r\nLanguage=Not an ini\r\n");
    }
    LanguageChoices Load(const std::string& current) {
        return LoadLanguageChoices(PlatformSystem(), dir.Path() + "\\",
                                   {"gamma.ini", "notes.txt", "Alpha.ini", "blank.ini", "beta.ini"},
                                   current);
    }
    TempFolder dir;
};

TEST_F(LanguageList, OffersNamedFilesInNameOrder) {
    LanguageChoices c = Load("beta");
    EXPECT_EQ(c.names, (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(c.bases, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(c.selection, 1);
}

TEST_F(LanguageList, BaseNamesCompareWithLetterCase) {
    EXPECT_EQ(Load("gamma").selection, 2);
    EXPECT_EQ(Load("GAMMA").selection, 0) << "no match: the first language";
    EXPECT_EQ(Load("alpha").selection, 0);
}

TEST_F(LanguageList, EmptyWhenNoFileNamesALanguage) {
    LanguageChoices c = LoadLanguageChoices(PlatformSystem(), dir.Path() + "\\",
                                            {"blank.ini", "notes.txt", "missing.ini"}, "blank");
    EXPECT_TRUE(c.names.empty());
    EXPECT_EQ(c.selection, -1);
}

AppSettings Settings(int32_t lastPieceSize) {
    AppSettings s;
    s.CutTypeNum = 1;
    s.CutTypes = {{1000, 100}, {lastPieceSize, 256}};
    s.CutWordNum = 3;
    s.CutWords = {"\r\n", " ", ".", "  "};
    s.MyLagIndex = "eng";
    s.KeepFileSize = 34;
    return s;
}

TEST(SettingsBoxes, CutWordsShowInStoredFormAndDefaultsUnchanged) {
    EXPECT_EQ(CutWordBoxTexts(Settings(0)),
              (std::vector<std::string>{"enter", "space", ".", "  "}));
    TempFolder dir;
    dir.Write("main.ini", "[MainSettings]\r\nCutWordDef0=Enter\r\nCutWordDef1=space\r\n"
                          "CutWordDef2=!\r\nCutWordDef4=never read\r\n");
    classIniFile ini(PlatformSystem());
    ini.INIFileName(dir.File("main.ini"));
    EXPECT_EQ(DefaultCutWordTexts(ini, 3),
              (std::vector<std::string>{"Enter", "space", "!", ""}));
}

TEST(SettingsBoxes, ShortFormWhenTheLastCutTypeDoesNotCut) {
    EXPECT_TRUE(IsShortForm(Settings(0)));
    EXPECT_FALSE(IsShortForm(Settings(4096)));
    AppSettings broken = Settings(0);
    broken.CutTypes.pop_back();
    EXPECT_FALSE(IsShortForm(broken)) << "a table without its last entry";
}

// OK, through actions that record what they were asked to do.
class RecordedActions : public SettingsActions {
public:
    bool LoadLanguage(const std::string& base) override {
        calls.push_back("load " + base);
        return loadable;
    }
    void RelabelMainWindow() override { calls.push_back("relabel"); }
    void SaveSettings() override { calls.push_back("save"); }
    void CloseDialog() override { calls.push_back("close"); }
    std::vector<std::string> calls;
    bool loadable = true;
};

const std::vector<std::string> kBases{"deu", "eng", "fra"};

SettingsEdits Edits(const std::string& joint, int language) {
    return {joint, {"ENTER", "Space", "sPaCe", "word"}, language};
}

TEST(SettingsOk, AnotherLanguageRelabelsBeforeSavingAndClosing) {
    AppSettings s = Settings(4096);
    RecordedActions actions;
    ConfirmSettings(Edits("12", 0), kBases, s, actions);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"load deu", "relabel", "save", "close"}));
    EXPECT_EQ(s.MyLagIndex, "deu");
    EXPECT_EQ(s.KeepFileSize, 12);
    EXPECT_EQ(s.CutWords, (std::vector<std::string>{"\r\n", " ", " ", "word"}));
}

TEST(SettingsOk, TheLanguageInUseIsNotReloaded) {
    AppSettings s = Settings(4096);
    RecordedActions actions;
    ConfirmSettings(Edits("34", 1), kBases, s, actions);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"save", "close"}));
    EXPECT_EQ(s.MyLagIndex, "eng");
}

TEST(SettingsOk, UnusableOrMissingLanguageKeepsTheOneInUse) {
    AppSettings s = Settings(4096);
    RecordedActions actions;
    actions.loadable = false;
    ConfirmSettings(Edits("34", 2), kBases, s, actions);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"load fra", "save", "close"}));
    EXPECT_EQ(s.MyLagIndex, "eng");

    RecordedActions none;
    ConfirmSettings(Edits("34", -1), {}, s, none);
    EXPECT_EQ(none.calls, (std::vector<std::string>{"save", "close"}));
    EXPECT_EQ(s.MyLagIndex, "eng");
}

TEST(SettingsOk, JointCharactersTakeAnyNumberThatFits) {
    struct { const char* text; int32_t stored; } cases[] = {
        {"100", 100}, {"-5", 0}, {"7.9", 7}, {"abc", 34}, {"", 34}, {"99999999999", 34},
    };
    for (auto c : cases) {
        AppSettings s = Settings(4096);
        RecordedActions actions;
        ConfirmSettings(Edits(c.text, 1), kBases, s, actions);
        EXPECT_EQ(s.KeepFileSize, c.stored) << '"' << c.text << '"';
    }
}

}  // namespace
