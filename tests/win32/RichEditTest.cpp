// RTF through the system's rich edit control, as foliant.exe converts it:
// the control's text and the pieces of a whole run against the own
// reader's on the LibreOffice fixtures, an empty document, and two
// documents one after the other.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "convert/Mod_Function.h"
#include "convert/OutputFolder.h"
#include "foliant/convert/ScriptedHost.h"
#include "settings/LanguageTable.h"
#include "convert/win/RichEditConverter.h"
#include "convert/win/WindowsConverters.h"
#include "support/TempFolder.h"
#include "sys/System.h"

namespace {

std::string Fixture(const std::string& name) {
    return std::string(DOCUMENTS_DATA_DIR) + "\\" + name;
}

// Where two texts part: the offset and a little of each side.
std::string FirstDifference(const std::string& a, const std::string& b) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    auto around = [at](const std::string& s) {
        size_t from = at > 20 ? at - 20 : 0;
        return testing::PrintToString(s.substr(from, 60));
    };
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           ", first difference at " + std::to_string(at) + ": " + around(a) + " / " + around(b);
}

class RichTextBox : public testing::Test {
protected:
    // A control of its own for every test: Wine's control takes minutes to
    // replace a large document by another one.
    void SetUp() override {
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        box = CreateRichTextBox(parent, 1);
    }
    void TearDown() override { DestroyWindow(parent); }

    // The file foliant.exe writes for 'source', through the control.
    std::string ThroughControl(const std::string& source) {
        WindowsConverters converters(PlatformSystem(), box);
        EXPECT_TRUE(converters.RtfToText(source, dir.File("control.txt"))) << source;
        return dir.Read("control.txt");
    }
    std::string ThroughReader(const std::string& source) {
        ReaderConverters converters(PlatformSystem());
        EXPECT_TRUE(converters.RtfToText(source, dir.File("reader.txt"))) << source;
        return dir.Read("reader.txt");
    }

    // The piece a whole run writes for 'source' in the shipped mode (one
    // file per input, not cut).
    std::string PieceOfRun(const std::string& source, DocumentConverters& converters) {
        System& sys = PlatformSystem();
        LanguageTable lang;
        EXPECT_FALSE(ReadLanguageFile(sys, PackageFolderForTests(), "eng", lang));
        AppSettings settings;
        settings.CutTypes = {{0, 256}};
        settings.CutWords = {"\r\n"};
        settings.KeepFileSize = 34;
        TempFolder out;
        ScriptedHost host;
        host.files = {source};
        host.folder = out.Path();
        RunState state;
        ConversionRun run(sys, settings, lang, host, converters, state);
        EXPECT_EQ(run.Cmd_Output(), RunOutcome::Finished) << source;
        EXPECT_EQ(state.PieceCount, 1) << source;
        return out.Read("Book/" + BaseNameOf(source) + ".txt");
    }
    std::string PieceThroughControl(const std::string& source) {
        WindowsConverters converters(PlatformSystem(), box);
        return PieceOfRun(source, converters);
    }
    std::string PieceThroughReader(const std::string& source) {
        ReaderConverters converters(PlatformSystem());
        return PieceOfRun(source, converters);
    }

    HWND parent = nullptr;
    HWND box = nullptr;
    TempFolder dir;
};

TEST_F(RichTextBox, IsARichEditControlThatIsNeverShown) {
    ASSERT_NE(box, nullptr);
    char cls[64] = "";
    GetClassNameA(box, cls, sizeof cls);
    EXPECT_STREQ(cls, "RichEdit20A");
    EXPECT_FALSE(GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE);
}

// Plain paragraphs, accented Latin, Cyrillic and CJK (both sides in the
// system's ANSI code page, so what it lacks becomes "?"), and a large
// document beyond the control's initial 32K characters. Both paths must
// give the same converted text and the same piece, byte for byte, but for
// Wine's known difference, put into the reader's text before comparing: a
// line break inside a paragraph ("\line") becomes a space.
struct PlainFixture {
    const char* name;
    const char* lineBreak;   // the text around a line break, or null
};

class RichTextBoxFixture : public RichTextBox, public testing::WithParamInterface<PlainFixture> {
protected:
    std::string AsWineGivesIt(std::string text) {
        if (const char* around = GetParam().lineBreak) {
            std::string broken = around;
            size_t at = text.find(broken);
            EXPECT_NE(at, std::string::npos) << GetParam().name;
            broken.replace(broken.find("\r\n"), 2, " ");
            if (at != std::string::npos)
                text.replace(at, std::strlen(around), broken);
        }
        return text;
    }
};

TEST_P(RichTextBoxFixture, GivesTheOwnReadersText) {
    std::string name = Fixture(std::string(GetParam().name) + ".rtf");
    std::string control = ThroughControl(name);
    std::string expected = AsWineGivesIt(ThroughReader(name));
    EXPECT_GT(control.size(), 10u) << name;
    EXPECT_TRUE(control.ends_with("\r\n") && !control.ends_with("\r\n\r\n"))
        << name << ": one CR LF after the last line";
    EXPECT_TRUE(control == expected) << name << ": " << FirstDifference(control, expected);
}

TEST_P(RichTextBoxFixture, GivesTheOwnReadersPieceThroughAWholeRun) {
    std::string name = Fixture(std::string(GetParam().name) + ".rtf");
    std::string control = PieceThroughControl(name);
    std::string expected = AsWineGivesIt(PieceThroughReader(name));
    EXPECT_GT(control.size(), 10u) << name;
    EXPECT_TRUE(control == expected) << name << ": " << FirstDifference(control, expected);
}

INSTANTIATE_TEST_SUITE_P(PlainDocuments, RichTextBoxFixture,
                         testing::Values(PlainFixture{"plain", "break\r\nafter"},
                                         PlainFixture{"latin", nullptr},
                                         PlainFixture{"cyrillic", nullptr},
                                         PlainFixture{"cjk", nullptr},
                                         PlainFixture{"large", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

// Short documents with and without a last paragraph mark: the same text
// and the same piece both ways.
TEST_F(RichTextBox, ShortDocumentsGiveTheOwnReadersTextAndPiece) {
    const char* documents[] = {
        "{\\rtf1\\ansi}",
        "{\\rtf1\\ansi Hello}",
        "{\\rtf1\\ansi Hello\\par}",
        "{\\rtf1\\ansi Hello\\par\\par}",
        "{\\rtf1\\ansi one\\par two}",
    };
    for (const char* rtf : documents) {
        dir.Write("short.rtf", rtf);
        std::string source = dir.File("short.rtf");
        EXPECT_EQ(ThroughControl(source), ThroughReader(source)) << rtf;
        EXPECT_EQ(PieceThroughControl(source), PieceThroughReader(source)) << rtf;
    }
}

TEST_F(RichTextBox, EmptyDocumentGivesOnlyCrLf) {
    dir.Write("empty.rtf", "{\\rtf1\\ansi}");
    EXPECT_EQ(ThroughControl(dir.File("empty.rtf")), "\r\n");
    EXPECT_EQ(ThroughReader(dir.File("empty.rtf")), "\r\n");
}

TEST_F(RichTextBox, EachDocumentReplacesThePreviousOne) {
    dir.Write("one.rtf", "{\\rtf1\\ansi First document.\\par}");
    dir.Write("two.rtf", "{\\rtf1\\ansi Second.}");
    std::string one = ThroughControl(dir.File("one.rtf"));
    std::string two = ThroughControl(dir.File("two.rtf"));
    EXPECT_EQ(one.find("Second"), std::string::npos);
    EXPECT_EQ(two, "Second.\r\n");
    EXPECT_NE(one.find("First document."), std::string::npos) << one;
}

TEST_F(RichTextBox, MissingFileFails) {
    WindowsConverters converters(PlatformSystem(), box);
    EXPECT_FALSE(converters.RtfToText(dir.File("absent.rtf"), dir.File("out.txt")));
    EXPECT_FALSE(dir.Exists("out.txt"));
}

}  // namespace
