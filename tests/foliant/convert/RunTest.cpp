// The conversion run through a scripted host: the input checks, the output
// folder rule, piece names in both modes, the stop question, progress,
// the estimate, temporary files, and skipped inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "convert/Mod_Function.h"
#include "convert/text/TextEncoder.h"
#include "convert/OutputFolder.h"
#include "convert/xml/XmlDocuments.h"
#include "ScriptedHost.h"
#include "settings/LanguageTable.h"
#include "support/PackageBuilder.h"
#include "support/TempFolder.h"
#include "sys/System.h"

namespace {

// The names of the files in a folder given in the core's form.
std::vector<std::string> NamesIn(const std::string& corePath) {
    std::string native = corePath;
#ifndef _WIN32
    native.erase(0, 2);  // "Z:"
    for (char& c : native)
        if (c == '\\')
            c = '/';
#endif
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(native))
        names.push_back(entry.path().filename().string());
    return names;
}

// Converters that write a fixed text, standing in for the document readers.
class FakeConverters : public DocumentConverters {
public:
    explicit FakeConverters(System& sys) : sys_(sys) {}
    bool RtfToText(const std::string&, const std::string& target) override {
        return sys_.WriteFile(target, "rich\r\n");
    }
    bool DocToText(const std::string&, const std::string&) override { return false; }

private:
    System& sys_;
};

class RunTest : public ::testing::Test {
protected:
    RunTest() : sys(PlatformSystem()), converters(sys) {
        EXPECT_FALSE(ReadLanguageFile(sys, PackageFolderForTests(), "eng", lang));
        sys.env["TEMP"] = temp.Path();
        out.Write("keep.me", "x");
        host.folder = out.Path();
        // Per-file mode as shipped.
        settings.CutTypeNum = 0;
        settings.CutTypes = {{0, 256}};
        settings.CutWordNum = 0;
        settings.CutWords = {"\r\n"};
        settings.KeepFileSize = 34;
    }

    void UseCutting(int32_t S, int32_t W, int32_t K) {
        settings.CutTypes = {{S, W}};
        settings.KeepFileSize = K;
    }

    // Writes an input file and puts it on the import list.
    std::string Input(const std::string& name, const std::string& text) {
        in.Write(name, text);
        host.files.push_back(in.File(name));
        return in.File(name);
    }

    RunOutcome Run() {
        ConversionRun run(sys, settings, lang, host, converters, state);
        host.onPump = [&] {
            if (stopAtPump > 0 && host.pumps == stopAtPump)
                run.Cmd_StopOutput();
        };
        return run.Cmd_Output();
    }

    std::string Output(const std::string& name) { return out.Read(host.bookName + "/" + name); }
    bool OutputExists(const std::string& name) { return out.Exists(host.bookName + "/" + name); }

    EnvironmentSystem sys;
    LanguageTable lang;
    AppSettings settings;
    ScriptedHost host;
    FakeConverters converters;
    RunState state;
    TempFolder in, out, temp;
    int stopAtPump = 0;
};

TEST_F(RunTest, BookNameAndListAreCheckedFirst) {
    Input("a.txt", "a");
    host.bookName = "";
    EXPECT_EQ(Run(), RunOutcome::Refused);
    host.bookName = "a:b";
    EXPECT_EQ(Run(), RunOutcome::Refused);
    host.bookName = "Fine";
    host.files.clear();
    EXPECT_EQ(Run(), RunOutcome::Refused);
    EXPECT_EQ(host.messages, (std::vector<std::string>{lang.Text(10), lang.Text(11), lang.Text(12)}));
    EXPECT_EQ(host.focusCount, 2);
    EXPECT_FALSE(out.Exists("Fine"));
}

TEST_F(RunTest, EveryForbiddenCharacterIsRefusedAndDotsAreFine) {
    std::vector<std::string> bad = {".", ".."};
    for (char c : std::string(kForbiddenNameChars))
        bad.push_back(std::string("a") + c + "b");
    for (const std::string& name : bad) {
        ScriptedHost quiet;
        EXPECT_FALSE(FixInput(PlatformSystem(), name, 1, lang, quiet)) << name;
        EXPECT_EQ(quiet.messages, std::vector<std::string>{lang.Text(11)});
    }
    ScriptedHost quiet;
    EXPECT_TRUE(FixInput(PlatformSystem(), "a.b", 1, lang, quiet));
    EXPECT_TRUE(FixInput(PlatformSystem(), "...x", 1, lang, quiet));
    EXPECT_TRUE(quiet.messages.empty());
}

TEST_F(RunTest, NoFolderOrAMissingFolderMeansNoRunAndNoMessage) {
    Input("a.txt", "a");
    host.folder = "";
    EXPECT_EQ(Run(), RunOutcome::Refused);
    host.folder = out.File("not-there");
    EXPECT_EQ(Run(), RunOutcome::Refused);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.folderTitle, lang.Text(9));
}

TEST_F(RunTest, AnEmptyExistingFolderIsAccepted) {
    TempFolder empty;
    host.folder = empty.Path() + "\\";  // one backslash is enough
    Input("a.txt", "alpha");
    EXPECT_EQ(Run(), RunOutcome::Finished);
    EXPECT_EQ(empty.Read("Book/a.txt"), "alpha\r\n\r\n");
    EXPECT_EQ(settings.OutPutDir, empty.Path() + "\\Book\\");
}

TEST_F(RunTest, NumberedPiecesFormOneSequenceOverAllFiles) {
    UseCutting(10, 0, 0);  // the last entry cuts: numbered mode
    host.bookName = "My Book";
    Input("one.txt", "0123456789abcde");                 // 17 bytes: 2 pieces
    Input("two.txt", "0123456789\r\nabcdefghi\r\nxyz");  // 3 pieces
    EXPECT_EQ(Run(), RunOutcome::Finished);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(OutputExists("My Book000" + std::to_string(i) + ".txt")) << i;
    EXPECT_FALSE(OutputExists("My Book0005.txt"));
    EXPECT_EQ(Output("My Book0000.txt"), "0123456789\r\n");
    EXPECT_EQ(Output("My Book0001.txt"), "abcde\r\n\r\n");
    EXPECT_EQ(state.PieceCount, 5);
}

TEST_F(RunTest, PerFilePiecesAreNamedAfterTheirInputs) {
    host.bookName = "Set";
    Input("chapter.1.htm", "<p>Hello</p>");
    Input("notes.txt", "plain");
    Input("context", "no dot");
    EXPECT_EQ(Run(), RunOutcome::Finished);
    EXPECT_EQ(Output("chapter.1.txt"), "\r\nHello\r\n\r\n");
    EXPECT_EQ(Output("notes.txt"), "plain\r\n\r\n");
    EXPECT_EQ(Output(".txt"), "no dot\r\n\r\n");
    // The finish message names the book of the book-name box.
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("Set"), std::string::npos);
    EXPECT_EQ(host.messages[0].find("@BookName"), std::string::npos);
    EXPECT_EQ(settings.BookName, "Set");
}

TEST_F(RunTest, SameBaseNamesInPerFileModeKeepEveryPiece) {
    in.Write("sub/notes.htm", "<b>second</b>");
    Input("notes.txt", "first");
    host.files.push_back(in.File("sub\\notes.htm"));
    EXPECT_EQ(Run(), RunOutcome::Finished);
    EXPECT_EQ(Output("notes.txt"), "first\r\n\r\n");
    EXPECT_EQ(Output("notes (2).txt"), "second\r\n\r\n");
}

// Where the file system ignores letter case, it does so in every script:
// names that differ only in case are one name there, and each document
// still keeps a piece of its own.
TEST_F(RunTest, NamesThatDifferOnlyInLetterCaseKeepEveryPiece) {
    const std::pair<std::string, std::string> pairs[] = {
        {"Notes", "notes"}, {"Дом", "дом"}, {"Σοφία", "ΣΟΦΊΑ"}};
    std::multiset<std::string> expected;
    auto add = [&](const std::string& folder, const std::string& name) {
        const std::string text = "document " + std::to_string(expected.size() + 1);
        in.Write(folder + "/" + name + ".txt", text);
        host.files.push_back(in.File(folder + "\\" + name + ".txt"));
        expected.insert(text + "\r\n\r\n");
    };
    for (const auto& [first, second] : pairs) {
        add("a", first);
        add("b", second);
    }
    EXPECT_EQ(Run(), RunOutcome::Finished);
    std::multiset<std::string> pieces;
    std::filesystem::path book = std::filesystem::path(out.Native()) / host.bookName;
    for (const auto& entry : std::filesystem::directory_iterator(book)) {
        std::ifstream piece(entry.path(), std::ios::binary);
        pieces.insert(std::string(std::istreambuf_iterator<char>(piece), {}));
    }
    EXPECT_EQ(pieces, expected);
}

TEST_F(RunTest, SeveralPiecesOfOneInputInPerFileModeKeepEveryPiece) {
    settings.CutTypes = {{10, 0}, {0, 256}};  // index 0 cuts, the last does not
    settings.CutTypeNum = 1;
    settings.KeepFileSize = 0;
    Input("long.txt", "0123456789\r\nabcdefghij\r\n");
    EXPECT_EQ(Run(), RunOutcome::Finished);
    EXPECT_EQ(Output("long.txt"), "0123456789\r\n");
    EXPECT_EQ(Output("long (2).txt"), "\r\nabcdefgh\r\n");
    EXPECT_EQ(Output("long (3).txt"), "ij\r\n\r\n");
}

TEST(PieceNumberText, FourDigitsThenWider) {
    EXPECT_EQ(PieceNumberText(0), "0000");
    EXPECT_EQ(PieceNumberText(42), "0042");
    EXPECT_EQ(PieceNumberText(9999), "9999");
    EXPECT_EQ(PieceNumberText(10000), "10000");
    EXPECT_EQ(PieceNumberText(123456), "123456");
}

TEST_F(RunTest, EndingsAreComparedInLowerCase) {
    Input("report.PDF", "pdf");
    Input("NOTES.TXT", "notes");
    Input("page.HTML", "<i>page</i>");
    Input("doc.rtf", "{\\rtf1}");
    Input("word.doc", "word");
    EXPECT_EQ(Run(), RunOutcome::Finished);
    EXPECT_TRUE(OutputExists("NOTES.txt"));
    EXPECT_TRUE(OutputExists("page.txt"));
    EXPECT_EQ(Output("doc.txt"), "rich\r\n\r\n");
    EXPECT_FALSE(OutputExists("report.txt"));
    EXPECT_FALSE(OutputExists("word.txt"));
    EXPECT_EQ(host.skipped, (std::vector<std::string>{in.File("report.PDF"), in.File("word.doc")}));
}

// One file of each newer kind, endings in any case: each gives its text in
// the ANSI code page, cut like a text file, and leaves no temporary file.
// A damaged document and a Unicode file that cannot be read are skipped.
TEST_F(RunTest, NewerDocumentsAndUnicodeTextFilesGiveTheirText) {
    Input("a.DOCX", BuildPackage({{"word/document.xml",
                                   "<w:document><w:body><w:p><w:r><w:t>Caf\xC3\xA9 docx</w:t></w:r>"
                                   "</w:p></w:body></w:document>"}}));
    Input("b.odt", BuildPackage({{"content.xml",
                                  "<office:document-content><office:body><office:text>"
                                  "<text:p>Caf\xC3\xA9 odt</text:p></office:text></office:body>"
                                  "</office:document-content>"}}));
    Input("c.Epub", BuildPackage({{"META-INF/container.xml",
                                   "<container><rootfiles><rootfile full-path='p.opf'/></rootfiles></container>"},
                                  {"p.opf", "<package><manifest><item id='x' href='x.xhtml'/></manifest>"
                                            "<spine><itemref idref='x'/></spine></package>"},
                                  {"x.xhtml", "<html><body><p>Caf\xC3\xA9 epub</p></body></html>"}}));
    Input("d.fb2", "<?xml version='1.0' encoding='windows-1252'?>"
                   "<FictionBook><body><p>Caf\xE9 fb2</p></body></FictionBook>");
    Input("e.txt", std::string("\xFF\xFE" "C\0a\0f\0\xE9\0 \0u\0t\0f\0-\0" "1\0" "6\0", 24));
    Input("f.text", "Caf\xC3\xA9 utf-8");
    Input("g.docx", "PK not a package");
    EXPECT_EQ(Run(), RunOutcome::Finished);
    EXPECT_EQ(Output("a.txt"), "Caf\xE9 docx\r\n\r\n");
    EXPECT_EQ(Output("b.txt"), "Caf\xE9 odt\r\n\r\n");
    EXPECT_EQ(Output("c.txt"), "Caf\xE9 epub\r\n\r\n");
    EXPECT_EQ(Output("d.txt"), "Caf\xE9 fb2\r\n\r\n");
    EXPECT_EQ(Output("e.txt"), "Caf\xE9 utf-16\r\n\r\n");
    EXPECT_EQ(Output("f.txt"), "Caf\xE9 utf-8\r\n\r\n");
    EXPECT_FALSE(OutputExists("g.txt"));
    EXPECT_EQ(host.skipped, std::vector<std::string>{in.File("g.docx")});
    EXPECT_TRUE(NamesIn(temp.Path()).empty());
}

// Documents of megabytes are written to the temporary file as they are
// read: the piece is the text the reader gives whole, wherever the
// streamed parts end, notes and all. One that breaks after megabytes of
// text gives nothing and leaves no temporary file.
TEST_F(RunTest, LargeDocumentsStreamTheTextTheyGiveWhole) {
    std::string paragraphs, lines, page;
    for (int i = 0; i < 120000; ++i) {
        std::string words = "Caf\xC3\xA9 \xE2\x82\xAC " + std::to_string(i);
        paragraphs += "<w:p><w:r><w:t>" + words + "</w:t></w:r></w:p>";
        lines += "<text:p>" + words + "</text:p>";
        page += "<p>" + words + "</p>";
    }
    const std::string w = " xmlns:w='http://schemas.openxmlformats.org/wordprocessingml/2006/main'";
    std::string docx = BuildPackage(
        {{"word/document.xml", "<w:document" + w + "><w:body>" + paragraphs +
                                   "<w:p><w:r><w:t>n</w:t><w:footnoteReference w:id='2'/></w:r></w:p>"
                                   "<w:p/><w:p/></w:body></w:document>"},
         {"word/footnotes.xml", "<w:footnotes" + w + "><w:footnote w:id='2'><w:p><w:r><w:t>note"
                                "</w:t></w:r></w:p></w:footnote></w:footnotes>"}});
    std::string odt = BuildPackage({{"content.xml", "<office:document-content><office:body><office:text>" +
                                                        lines + "</office:text></office:body>"
                                                        "</office:document-content>"}});
    std::string epub = BuildEpub(
        "<item id='a' href='a.xhtml'/><item id='b' href='b.xhtml'/><item id='c' href='c.xhtml'/>",
        "<itemref idref='a'/><itemref idref='b'/><itemref idref='c'/>",
        {{"OPS/a.xhtml", XhtmlPage(page)},
         {"OPS/b.xhtml", XhtmlPage(page + "<p>unclosed")},
         {"OPS/c.xhtml", XhtmlPage("<p>end</p><p></p>")}});
    std::string fb2 = "<FictionBook><body>" + page + "</body></FictionBook>";
    std::string broken = BuildPackage({{"word/document.xml", "<w:document" + w + "><w:body>" +
                                                                 paragraphs + "<w:p></w:body>"}});
    struct Case {
        const char* name;
        const std::string& document;
        bool (*read)(System&, std::string_view, std::string&);
    };
    const Case cases[] = {
        {"text.docx", docx, DocxToPlainText},
        {"content.odt", odt, OdtToPlainText},
        {"book.epub", epub, EpubToPlainText},
        {"novel.fb2", fb2, Fb2ToPlainText},
    };
    for (const Case& c : cases)
        Input(c.name, c.document);
    Input("broken.docx", broken);
    EXPECT_EQ(Run(), RunOutcome::Finished);
    for (const Case& c : cases) {
        std::string whole;
        ASSERT_TRUE(c.read(sys, c.document, whole)) << c.name;
        std::string base(c.name, std::string_view(c.name).find('.'));
        // Compared by hand: a failure names the document, not a diff of megabytes.
        CharacterLoss loss;
        whole = EncodeText(sys, whole, TextCoding::Utf8(), TextCoding::Ansi(), loss);
        EXPECT_TRUE(Output(base + ".txt") == whole + "\r\n") << c.name;
    }
    EXPECT_EQ(host.skipped, std::vector<std::string>{in.File("broken.docx")});
    EXPECT_FALSE(OutputExists("broken.txt"));
    EXPECT_TRUE(NamesIn(temp.Path()).empty());
}

TEST_F(RunTest, TemporaryFilesLiveInTempOnlyWhileTheirInputIsCut) {
    Input("a.htm", "<p>a</p>");
    Input("b.rtf", "{\\rtf1 b}");
    Input("c.txt", "c");
    std::vector<std::vector<std::string>> seen;  // TEMP's names at each pump
    ConversionRun run(sys, settings, lang, host, converters, state);
    host.onPump = [&] { seen.push_back(NamesIn(temp.Path())); };
    EXPECT_EQ(run.Cmd_Output(), RunOutcome::Finished);

    // Pumps: before a, in a's cut, before b, in b's cut, before c, in c's cut.
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_TRUE(seen[0].empty());
    ASSERT_EQ(seen[1].size(), 1u);
    EXPECT_NE(seen[1][0].find("htm"), std::string::npos);
    EXPECT_TRUE(seen[2].empty());
    ASSERT_EQ(seen[3].size(), 1u);
    EXPECT_NE(seen[3][0].find("rtf"), std::string::npos);
    EXPECT_TRUE(seen[5].empty());
    EXPECT_TRUE(NamesIn(temp.Path()).empty());
    EXPECT_TRUE(sys.FileExists(in.File("c.txt")));
    EXPECT_EQ(Output("c.txt"), "c\r\n\r\n");
}

TEST_F(RunTest, StopAnsweredYesEndsBeforeTheNextFile) {
    for (int i = 1; i <= 5; ++i)
        Input("f" + std::to_string(i) + ".txt", "text " + std::to_string(i));
    // Pumps: one before each file, one per line inside the cutter.
    stopAtPump = 4;  // while file 2 is cut
    host.answers = {true};
    EXPECT_EQ(Run(), RunOutcome::Stopped);
    EXPECT_TRUE(OutputExists("f1.txt"));
    EXPECT_TRUE(OutputExists("f2.txt"));
    EXPECT_FALSE(OutputExists("f3.txt"));
    EXPECT_EQ(host.questions, std::vector<std::string>{lang.Text(31)});
    EXPECT_EQ(host.messages, std::vector<std::string>{lang.Text(32)});
    EXPECT_TRUE(state.StopRequested);
}

TEST_F(RunTest, StopAnsweredNoGoesOnAndAsksAgainAfterTheNextPress) {
    for (int i = 1; i <= 5; ++i)
        Input("f" + std::to_string(i) + ".txt", "text");
    ConversionRun run(sys, settings, lang, host, converters, state);
    host.onPump = [&] {
        if (host.pumps == 4 || host.pumps == 8)  // during files 2 and 4
            run.Cmd_StopOutput();
    };
    host.answers = {false, true};
    EXPECT_EQ(run.Cmd_Output(), RunOutcome::Stopped);
    EXPECT_EQ(host.questions.size(), 2u);
    EXPECT_TRUE(OutputExists("f3.txt"));
    EXPECT_TRUE(OutputExists("f4.txt"));
    EXPECT_FALSE(OutputExists("f5.txt"));
}

TEST_F(RunTest, StopDuringTheLastFileAsksNothingAndReportsTheStop) {
    Input("f1.txt", "one");
    Input("f2.txt", "two");
    stopAtPump = 4;  // while file 2, the last, is cut
    EXPECT_EQ(Run(), RunOutcome::Stopped);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(OutputExists("f2.txt"));
    EXPECT_EQ(host.messages, std::vector<std::string>{lang.Text(32)});
}

TEST_F(RunTest, ProgressStopsAt99UntilTheEnd) {
    UseCutting(3000, 256, 34);
    Input("a.txt", std::string(1998, 'a') + "\r\n");  // 2000 bytes
    EXPECT_EQ(Run(), RunOutcome::Finished);
    EXPECT_EQ(state.PieceEstimate, 0);
    EXPECT_EQ(host.overall, (std::vector<int>{0, 99, 100}));
    EXPECT_EQ(host.perFile.back(), 0);
    EXPECT_FALSE(host.busy);
}

TEST(OverallProgress, IsCappedAt99) {
    EXPECT_EQ(OverallProgress(1, 0), 99);
    EXPECT_EQ(OverallProgress(5, 10), 50);
    EXPECT_EQ(OverallProgress(10, 10), 99);
    EXPECT_EQ(OverallProgress(12, 10), 99);
}

TEST(EstimateFor, DividesByThePieceSizeTimesTheIndexPlusOne) {
    AppSettings settings;
    settings.CutTypes = {{1000, 100}, {2000, 100}};
    settings.CutTypeNum = 1;
    settings.CutTypeIndex = 1;
    // 100000 / (2000 * 2) = 25, plus 2 (ten per cent).
    EXPECT_EQ(EstimateFor(100000, 3, settings), 27);
    settings.CutTypeIndex = 0;
    EXPECT_EQ(EstimateFor(100000, 3, settings), 110);
    settings.CutTypes[0].SingleFileSize = 0;
    EXPECT_EQ(EstimateFor(100000, 3, settings), 3);
}

TEST(TemporaryFileName, FollowsTheDocumentedPattern) {
    EXPECT_EQ(TemporaryFileName("C:\\Temp\\", {2024, 12, 7}, 5309871, "htm", 42),
              "C:\\Temp\\20241275309871htm42.txt");
    EXPECT_EQ(TemporaryFileName("C:\\T\\", {2025, 1, 2}, 0xFFFFFFFFu, "doc", 0),
              "C:\\T\\202512-1doc0.txt");
}

TEST_F(RunTest, TempFolderFallsBackToTheSystemFolder) {
    ConversionRun run(sys, settings, lang, host, converters, state);
    sys.env["TEMP"] = "C:\\Tmp";
    EXPECT_EQ(run.TempFolder(), "C:\\Tmp\\");
    sys.env["TEMP"] = "D:\\";
    EXPECT_EQ(run.TempFolder(), "D:\\");
    sys.env["TEMP"] = "";
    std::string fallback = run.TempFolder();
    EXPECT_EQ(fallback, sys.SystemTempFolder());
    EXPECT_GT(fallback.size(), 3u);  // never a drive root
    EXPECT_TRUE(sys.FolderExists(fallback));
}

}  // namespace

namespace {

std::string Lines(size_t bytes) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i)
        text += "line " + std::to_string(i) + " of an input that lies in the run folder\r\n";
    return text;
}

// plain.doc with the encryption flag of its FIB set. The FIB opens the
// main stream, so it starts on a (mini) sector boundary.
std::string EncryptedWordDocument() {
    std::string doc;
    EXPECT_TRUE(PlatformSystem().ReadFile(std::string(DOCUMENTS_DATA_DIR "/plain.doc"), doc));
    for (size_t at = 512; at + 12 < doc.size(); at += 64)
        if (doc.compare(at, 2, "\xec\xa5") == 0) {
            doc[at + 0x0b] = static_cast<char>(doc[at + 0x0b] | 0x01);
            return doc;
        }
    ADD_FAILURE() << "no FIB in plain.doc";
    return doc;
}

}  // namespace

// An input in the run folder is told from a piece by volume and file index.
// Wine asks its mount manager, another Wine process, for the volume's serial
// number; where 32-bit Wine runs under qemu, that process can stop
// answering beside the other Wine tests and the case hangs. These cases run
// natively and in the 64-bit Windows build.
static bool WineUnderEmulation() {
    return std::getenv("WINE_UNDER_EMULATION") != nullptr;
}
constexpr const char* kVolumeQueryUnderEmulation =
    "32-bit Wine runs under a CPU emulator here, where its volume query can hang";

TEST_F(RunTest, InputsInsideTheRunFolderAreNeverWrittenOver) {
    if (WineUnderEmulation())
        GTEST_SKIP() << kVolumeQueryUnderEmulation;
    // Per-file mode: the piece named after the input is the input itself.
    const std::string big = Lines(216000);
    out.Write("Book/big.txt", big);
    out.Write("Book/small.txt", "small");
    host.files = {out.File("Book\\big.txt"), out.Path() + "\\Book\\.\\small.txt"};
    EXPECT_EQ(Run(), RunOutcome::Finished);
    EXPECT_EQ(Output("big.txt"), big);
    EXPECT_EQ(Output("big (2).txt"), big + "\r\n");
    EXPECT_EQ(Output("small.txt"), "small");
    EXPECT_EQ(Output("small (2).txt"), "small\r\n\r\n");
    EXPECT_TRUE(host.notWritten.empty());
}

TEST_F(RunTest, NumberedPiecesStepAroundAnInputOfTheSameName) {
    if (WineUnderEmulation())
        GTEST_SKIP() << kVolumeQueryUnderEmulation;
    UseCutting(1000, 0, 0);
    const std::string text = Lines(5000);
    out.Write("Book/Book0001.txt", text);
    host.files = {out.File("Book\\Book0001.txt")};
    EXPECT_EQ(Run(), RunOutcome::Finished);
    EXPECT_EQ(Output("Book0001.txt"), text);
    ASSERT_TRUE(OutputExists("Book0001 (2).txt"));
    std::string joined;
    for (int i = 0; i < state.PieceCount; ++i) {
        std::string name = "Book" + PieceNumberText(i) + (i == 1 ? " (2)" : "") + ".txt";
        std::string piece = Output(name);
        ASSERT_GE(piece.size(), 2u) << name;
        joined += piece.substr(0, piece.size() - 2);
    }
    EXPECT_EQ(joined, text);
}

TEST_F(RunTest, AFolderThatCannotBeMadeAndItsLostPiecesAreTold) {
    out.Write("Book", "a file where the book's folder would go");
    Input("a.txt", "a");
    EXPECT_EQ(Run(), RunOutcome::Finished);
    EXPECT_EQ(host.foldersNotMade, (std::vector<std::string>{out.Path() + "\\Book\\"}));
    EXPECT_EQ(host.notWritten, (std::vector<std::string>{out.Path() + "\\Book\\a.txt"}));
    EXPECT_TRUE(host.skipped.empty());
}

TEST_F(RunTest, InputsThatGiveNoTextAreToldWhy) {
    in.Write("locked.doc", EncryptedWordDocument());
    Input("empty.txt", "");
    Input("fake.doc", "just some words, no Word document");
    host.files.push_back(in.File("locked.doc"));
    host.files.push_back(in.File("missing.txt"));
    Input("report.pdf", "pdf");
    Input("ok.txt", "ok");
    ReaderConverters readers(sys);
    ConversionRun run(sys, settings, lang, host, readers, state);
    EXPECT_EQ(run.Cmd_Output(), RunOutcome::Finished);
    EXPECT_EQ(host.skipped,
              (std::vector<std::string>{in.File("empty.txt"), in.File("fake.doc"),
                                        in.File("locked.doc"), in.File("missing.txt"),
                                        in.File("report.pdf")}));
    EXPECT_EQ(host.reasons,
              (std::vector<SkipReason>{SkipReason::NoText, SkipReason::NotWordDocument,
                                       SkipReason::Encrypted, SkipReason::Unreadable,
                                       SkipReason::UnknownEnding}));
    EXPECT_EQ(Output("ok.txt"), "ok\r\n\r\n");
}

// Converters that leave part of a text and then fail the way a reader can:
// out of memory, or with any other exception.
class ThrowingConverters : public DocumentConverters {
public:
    explicit ThrowingConverters(System& sys) : sys_(sys) {}
    std::function<void()> fail;
    bool RtfToText(const std::string&, const std::string& target) override {
        sys_.WriteFile(target, "part\r\n");
        fail();
        return true;
    }
    bool DocToText(const std::string&, const std::string&) override { return false; }

private:
    System& sys_;
};

// A document that cannot be read never ends the run: it is told with its
// reason, its temporary file goes, and the next input is read.
TEST_F(RunTest, AnExceptionFromAReaderSkipsOnlyItsDocument) {
    struct Case {
        const char* what;
        std::function<void()> fail;
        SkipReason reason;
    };
    const Case cases[] = {
        {"bad_alloc", [] { throw std::bad_alloc(); }, SkipReason::TooLarge},
        {"length_error", [] { std::string().reserve(std::string().max_size() + 1); },
         SkipReason::TooLarge},
        {"runtime_error", [] { throw std::runtime_error("x"); }, SkipReason::Unreadable},
        {"int", [] { throw 7; }, SkipReason::Unreadable},
    };
    Input("a.rtf", "{\\rtf1 a}");
    Input("b.txt", "b");
    for (const Case& c : cases) {
        host.skipped.clear();
        host.reasons.clear();
        ThrowingConverters throwing(sys);
        throwing.fail = c.fail;
        ConversionRun run(sys, settings, lang, host, throwing, state);
        EXPECT_EQ(run.Cmd_Output(), RunOutcome::Finished) << c.what;
        EXPECT_EQ(host.skipped, std::vector<std::string>{in.File("a.rtf")}) << c.what;
        EXPECT_EQ(host.reasons, std::vector<SkipReason>{c.reason}) << c.what;
        EXPECT_EQ(Output("b.txt"), "b\r\n\r\n") << c.what;
        EXPECT_TRUE(NamesIn(temp.Path()).empty()) << c.what;
    }
}

TEST_F(RunTest, ProgressWithinAFileClimbsAsItIsRead) {
    Input("big.txt", Lines(1 << 20));
    EXPECT_EQ(Run(), RunOutcome::Finished);
    ASSERT_GT(host.cutProgress.size(), 4u);
    EXPECT_TRUE(std::is_sorted(host.cutProgress.begin(), host.cutProgress.end()));
    EXPECT_EQ(host.cutProgress.back(), 100);
    EXPECT_TRUE(std::any_of(host.cutProgress.begin(), host.cutProgress.end(),
                            [](int p) { return p > 0 && p < 100; }));
}

TEST(PlatformSystem, SameFileLooksThroughSpellingsAndDisplayPathIsTheHostsForm) {
    if (WineUnderEmulation())
        GTEST_SKIP() << kVolumeQueryUnderEmulation;
    System& sys = PlatformSystem();
    TempFolder dir;
    dir.Write("a.txt", "a");
    dir.Write("b.txt", "b");
    EXPECT_TRUE(sys.SameFile(dir.File("a.txt"), dir.Path() + "\\.\\a.txt"));
    EXPECT_FALSE(sys.SameFile(dir.File("a.txt"), dir.File("b.txt")));
    EXPECT_FALSE(sys.SameFile(dir.File("a.txt"), dir.File("none.txt")));
#ifdef _WIN32
    EXPECT_EQ(sys.DisplayPath("C:\\Out\\x.txt"), "C:\\Out\\x.txt");
#else
    EXPECT_EQ(sys.DisplayPath("Z:\\tmp\\cli\\big.txt"), "/tmp/cli/big.txt");
    EXPECT_EQ(sys.DisplayPath(dir.File("a.txt")), dir.Native() + "/a.txt");
#endif
}
