// The readers against pandoc: documents that pandoc and LibreOffice write
// from one text of our own, made when the test runs, must give the same
// words in the same order as `pandoc -t plain` gives for each of them.
// Spacing, list bullets and numbers, note markers and pandoc's back-link
// arrows are left out of the comparison.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "CodePageSystem.h"
#include "convert/xml/XmlDocuments.h"
#include "support/TempFolder.h"

namespace {

// Every character here is in Windows-1252, so nothing becomes '?'.
const char kSample[] = R"(# The Lighthouse Keeper

Every evening the keeper climbed the *hundred and twelve* steps to light
the lamp.[^steps] The sea was calm, and the gulls had gone **home**.

## The Storm

She wrote in her log, in a hand her daughter could barely read:

- Wind from the north-west, rising.
- Three ships sighted before dusk.
- Oil enough for nine nights.

---------  -------  ---
Marta      Norway   14
Good Hope  England  9
---------  -------  ---

Café owners in the village said the storm was the worst in forty years —
a “once in a lifetime” gale, worse than '97.\
She did not argue.

1. First, close the shutters.
2. Then, check the lamp.

> A light is a promise kept every night.

[^steps]: The steps were counted by her grandfather in 1881.
)";

bool HaveProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string ReadNative(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The words of a UTF-8 text, with markers and spacing taken out.
std::vector<std::string> Words(const std::string& utf8) {
    static const std::regex kNoteMarker("\\[[0-9]+\\]");
    std::vector<std::string> words;
    std::istringstream in(utf8);
    std::string word;
    while (in >> word) {
        for (const char* drop : {"\xE2\x86\xA9\xEF\xB8\x8E", "\xE2\x86\xA9"})
            for (size_t at; (at = word.find(drop)) != std::string::npos;)
                word.erase(at, std::string(drop).size());
        // Note markers: "[1]" anywhere in a word.
        word = std::regex_replace(word, kNoteMarker, "");
        bool rule = !word.empty() && word.find_first_not_of('-') == std::string::npos;
        bool bullet = word == "*" || word == "\xE2\x80\xA2" || word == ">";
        bool number = word.size() >= 2 && (word.back() == '.' || word.back() == ')') &&
                      word.find_first_not_of("0123456789") == word.size() - 1;
        if (!word.empty() && !rule && !bullet && !number)
            words.push_back(word);
    }
    return words;
}

class PeerDocuments : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "pandoc and LibreOffice run on the build machine only";
#endif
        if (!HaveProgram("pandoc"))
            GTEST_SKIP() << "pandoc is not installed";
        folder.Write("sample.md", kSample);
    }

    std::string Native(const std::string& name) { return folder.Native() + "/" + name; }

    bool Run(const std::string& command) {
        return std::system(("cd '" + folder.Native() + "' && " + command + " >/dev/null 2>&1").c_str()) == 0;
    }

    // Compares the reader's words with pandoc's for document 'name'.
    // Unwrapped, pandoc's lines of Chinese or Japanese are not broken
    // between two characters.
    void Compare(const std::string& name, size_t fewestWords = 80) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Run("pandoc -t plain --wrap=none '" + name + "' -o '" + name + ".plain'"));
        std::string expected = ReadNative(Native(name + ".plain"));
        ASSERT_FALSE(expected.empty());
        auto read = EndsWith(name, ".docx") ? DocxToPlainText
                    : EndsWith(name, ".odt") ? OdtToPlainText
                                             : EpubToPlainText;
        std::string text;
        ASSERT_TRUE(read(sys, ReadNative(Native(name)), text));
        EXPECT_EQ(text.find('?'), std::string::npos);
        std::vector<std::string> ours = Words(text);
        std::vector<std::string> theirs = Words(expected);
        EXPECT_GT(theirs.size(), fewestWords);
        EXPECT_EQ(ours, theirs) << "foliant:\n" << text << "\npandoc:\n" << expected;
    }

    CodePageSystem sys{1252};
    TempFolder folder;
};

}  // namespace

TEST_F(PeerDocuments, PandocDocumentsGivePandocsWords) {
    ASSERT_TRUE(Run("pandoc sample.md -o pandoc.docx"));
    ASSERT_TRUE(Run("pandoc sample.md -o pandoc.odt"));
    ASSERT_TRUE(Run("pandoc sample.md --metadata title=Lighthouse -o pandoc.epub"));
    Compare("pandoc.docx");
    Compare("pandoc.odt");
    Compare("pandoc.epub");
}

// Books in Russian, Greek, Chinese and Japanese give pandoc's words whole.
TEST_F(PeerDocuments, BooksInOtherScriptsGivePandocsWords) {
    const struct {
        const char* name;
        const char* text;
    } books[] = {
        {"russian", "# Глава первая\n\n"
                    "«Зимой в деревне "
                    "тихо», — сказал "
                    "старик.[^1] Ёлка стояла "
                    "у окна.\n\n- Молоко\n- "
                    "Хлеб № 2\n\n"
                    "[^1]: Примечание "
                    "автора.\n"},
        {"greek", "# Κεφάλαιο πρώτο\n\n"
                  "Η θάλασσα ήταν "
                  "ήρεμη· οι γλάροι "
                  "έφυγαν ;\n\n1. Πρώτο\n"
                  "2. Δεύτερο\n"},
        {"chinese", "# 第一章\n\n老人说：“冬天的"
                    "村子很安静。”[^1] 港口 有 船。\n\n"
                    "- 茶 3\n- 菜\n\n"
                    "[^1]: 作者的注释。\n"},
        {"japanese", "# 第一章\n\n「冬の村は静か"
                     "だ」と老人は言った。 カフェ "
                     "の 窓。\n\n- 牛乳\n- パン\n"},
    };
    for (const auto& book : books) {
        SCOPED_TRACE(book.name);
        std::string name = book.name;
        folder.Write(name + ".md", book.text);
        ASSERT_TRUE(Run("pandoc " + name + ".md -o " + name + ".docx"));
        ASSERT_TRUE(Run("pandoc " + name + ".md -o " + name + ".odt"));
        ASSERT_TRUE(Run("pandoc " + name + ".md --metadata title=" + name + " -o " + name + ".epub"));
        Compare(name + ".docx", 5);
        Compare(name + ".odt", 5);
        Compare(name + ".epub", 5);
    }
}

TEST_F(PeerDocuments, LibreOfficeDocumentsGivePandocsWords) {
    if (!HaveProgram("soffice"))
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    ASSERT_TRUE(Run("pandoc sample.md -o from-pandoc.docx"));
    ASSERT_TRUE(Run("pandoc sample.md -o from-pandoc.odt"));
    // A profile of its own, so that a running LibreOffice is not disturbed.
    std::string office = "soffice -env:UserInstallation=file://" + Native("profile") +
                         " --headless --convert-to ";
    ASSERT_TRUE(Run(office + "odt --outdir lo from-pandoc.docx"));
    ASSERT_TRUE(Run(office + "docx --outdir lo from-pandoc.odt"));
    Compare("lo/from-pandoc.odt");
    Compare("lo/from-pandoc.docx");
}
