// The own RTF reader through a whole run: the piece ends as the rich-text
// control's text does when written (the text, one CR LF, then the piece's
// own CR LF), and a text input with the same text gives the same piece.
#include <gtest/gtest.h>

#include <string>

#include "convert/Mod_Function.h"
#include "ScriptedHost.h"
#include "settings/LanguageTable.h"
#include "support/TempFolder.h"
#include "sys/System.h"

namespace {

class ReaderRunTest : public ::testing::Test {
protected:
    ReaderRunTest() : sys(PlatformSystem()), converters(sys) {
        EXPECT_FALSE(ReadLanguageFile(sys, PackageFolderForTests(), "eng", lang));
        sys.env["TEMP"] = temp.Path();
        settings.CutTypes = {{0, 256}};  // one piece per input, as shipped
        settings.CutWords = {"\r\n"};
        settings.KeepFileSize = 34;
    }

    // The piece a run writes for an input named 'name' holding 'bytes'.
    std::string Piece(const std::string& name, const std::string& bytes) {
        TempFolder in, out;
        in.Write(name, bytes);
        ScriptedHost host;
        host.files = {in.File(name)};
        host.folder = out.Path();
        RunState state;
        ConversionRun run(sys, settings, lang, host, converters, state);
        EXPECT_EQ(run.Cmd_Output(), RunOutcome::Finished);
        EXPECT_TRUE(host.skipped.empty()) << name;
        std::string base = name.substr(0, name.rfind('.'));
        return out.Read("Book/" + base + ".txt");
    }

    EnvironmentSystem sys;
    LanguageTable lang;
    AppSettings settings;
    ReaderConverters converters;
    TempFolder temp;
};

TEST_F(ReaderRunTest, RtfPieceEndsAsTheControlsTextWritten) {
    // The control's text of each document, as RtfToText writes it.
    struct Case {
        const char* rtf;
        const char* controlText;
    };
    const Case cases[] = {
        {"{\\rtf1\\ansi Hello}", "Hello"},
        {"{\\rtf1\\ansi Hello\\par}", "Hello"},
        {"{\\rtf1\\ansi}", ""},
        {"{\\rtf1\\ansi one\\par two\\par\\par}", "one\r\ntwo\r\n"},
    };
    for (const Case& c : cases) {
        std::string written = std::string(c.controlText) + "\r\n";
        EXPECT_EQ(Piece("doc.rtf", c.rtf), Piece("doc.txt", written)) << c.rtf;
    }
    EXPECT_EQ(Piece("doc.rtf", "{\\rtf1\\ansi Hello}"), "Hello\r\n\r\n");
    EXPECT_EQ(Piece("doc.rtf", "{\\rtf1\\ansi}"), "\r\n\r\n");
}

}  // namespace
