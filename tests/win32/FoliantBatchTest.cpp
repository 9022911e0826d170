// foliant-batch.exe under Wine, started through the wide API so that its
// arguments reach it as typed, whatever the ANSI code page holds.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/NamedDocuments.h"
#include "support/TempFolder.h"
#include "sys/WideText.h"
#include "win32/FoliantCopy.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;
using namespace foliant_e2e;

namespace {

struct Finished {
    int code = -1;  // -1 when the program did not start or end
    std::string out, err;
};

// Runs the program beside the tests with 'args' (UTF-8) in 'folder'; its
// standard output and error land in files there.
Finished RunBatch(const fs::path& folder, const std::vector<std::string>& args) {
    std::wstring line = L"\"" + (fs::current_path() / "foliant-batch.exe").wstring() + L"\"";
    for (const std::string& arg : args)
        line += L" \"" + WideFromUtf8(arg) + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    auto create = [&](const char* name) {
        return CreateFileW((folder / name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE out = create("stdout.txt"), err = create("stderr.txt");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION started{};
    BOOL ok = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
              CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                             nullptr, folder.c_str(), &startup, &started);
    for (HANDLE h : {out, err})
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    Finished result;
    if (ok) {
        DWORD wait = static_cast<DWORD>(robot::kStartTimeout.count() * 1000);
        DWORD code = 0;
        if (WaitForSingleObject(started.hProcess, wait) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(started.hProcess, &code))
            result.code = static_cast<int>(code);
        else
            TerminateProcess(started.hProcess, 99);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    result.out = ReadFile(folder / "stdout.txt");
    result.err = ReadFile(folder / "stderr.txt");
    return result;
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
    Finished run = RunBatch(root, args);
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
