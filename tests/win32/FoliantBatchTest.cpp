// foliant-batch.exe under Wine, started through the wide API so that its
// arguments reach it as typed, whatever the ANSI code page holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/NamedDocuments.h"
#include "support/TempFolder.h"
#include "support/WideProcess.h"
#include "win32/FoliantCopy.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;
using namespace foliant_e2e;

namespace {

// Runs the program beside the tests with 'args' (UTF-8) in 'folder'; its
// standard output and error land in files there.
WideProcessEnd RunBatch(const fs::path& folder, const std::vector<std::string>& args) {
    std::string line = "\"" + Utf8Of(fs::current_path() / "foliant-batch.exe") + "\"";
    for (const std::string& arg : args)
        line += " \"" + arg + "\"";
    return RunWideCommand(line, robot::kStartTimeout, folder / "stdout.txt", folder / "stderr.txt",
                          folder);
}

// Documents named in Cyrillic and Japanese, in a folder named in Greek,
// named on the command line as typed: a piece for each, named after it and
// holding its text, in a book named in Cyrillic inside a folder named in
// Greek.
TEST(FoliantBatchNames, PiecesAreNamedAfterDocumentsBeyondTheAnsiCodePage) {
    const std::string shelf = "Βιβλία", out = "Κείμενα", book = "Книга";
    const std::vector<NamedDocument> documents = DocumentsBeyondTheAnsiCodePage();
    TempFolder dir;
    const fs::path root(dir.Path());
    fs::create_directories(root / fs::u8path(shelf));
    fs::create_directories(root / fs::u8path(out));
    std::vector<std::string> args = {"--book", book, "--encoding", "utf-8", "--out", out};
    for (const NamedDocument& document : documents) {
        WriteFile(root / fs::u8path(shelf) / fs::u8path(document.name), document.bytes);
        args.push_back(shelf + "\\" + document.name);
    }
    WideProcessEnd run = RunBatch(root, args);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("Output finished!", 0), 0u) << run.out;

    const fs::path pieces = root / fs::u8path(out) / fs::u8path(book);
    const std::vector<std::string> expected = PerFilePieceNames(documents);
    EXPECT_EQ(FileNamesIn(pieces), std::set<std::string>(expected.begin(), expected.end()));
    for (size_t i = 0; i < documents.size(); ++i)
        EXPECT_NE(ReadFile(pieces / fs::u8path(expected[i])).find(documents[i].text),
                  std::string::npos) << expected[i];
}

}  // namespace
