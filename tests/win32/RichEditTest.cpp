// RTF through the system's rich edit control, as foliant.exe converts it:
// the control's text against the own reader's on the LibreOffice fixtures,
// an empty document, and two documents one after the other.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "convert/Mod_Function.h"
#include "shell/win/RichEditConverter.h"
#include "shell/win/WindowsConverters.h"
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
    static void SetUpTestSuite() {
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        box = CreateRichTextBox(parent, 1);
    }
    static void TearDownTestSuite() { DestroyWindow(parent); }

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

    static HWND parent, box;
    TempFolder dir;
};

HWND RichTextBox::parent = nullptr;
HWND RichTextBox::box = nullptr;

TEST_F(RichTextBox, IsARichEditControlThatIsNeverShown) {
    ASSERT_NE(box, nullptr);
    char cls[64] = "";
    GetClassNameA(box, cls, sizeof cls);
    EXPECT_STREQ(cls, "RichEdit20A");
    EXPECT_FALSE(GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE);
}

// Plain paragraphs, accented Latin, Cyrillic and CJK (both sides in the
// system's ANSI code page, so what it lacks becomes "?"), and a large
// document beyond the control's initial 32K characters. Wine's control
// differs from the own reader in two ways, taken out before comparing: the
// document's last paragraph mark is not part of its text, and a line break
// inside a paragraph ("\line") becomes a space.
struct PlainFixture {
    const char* name;
    const char* lineBreak;   // the text around a line break, or null
};

class RichTextBoxFixture : public RichTextBox, public testing::WithParamInterface<PlainFixture> {};

TEST_P(RichTextBoxFixture, GivesTheOwnReadersText) {
    std::string name = std::string(GetParam().name) + ".rtf";
    std::string control = ThroughControl(Fixture(name));
    std::string expected = ThroughReader(Fixture(name));
    ASSERT_TRUE(expected.ends_with("\r\n\r\n")) << name;
    expected.resize(expected.size() - 2);
    if (const char* around = GetParam().lineBreak) {
        std::string broken = around;
        size_t at = expected.find(broken);
        ASSERT_NE(at, std::string::npos) << name;
        broken.replace(broken.find("\r\n"), 2, " ");
        expected.replace(at, std::strlen(around), broken);
    }
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

TEST_F(RichTextBox, EmptyDocumentGivesOnlyCrLf) {
    dir.Write("empty.rtf", "{\\rtf1\\ansi}");
    EXPECT_EQ(ThroughControl(dir.File("empty.rtf")), "\r\n");
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
