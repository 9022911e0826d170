// foliant-batch as a user runs it: the real program on real files, its
// exit codes, what it prints where, and that it never writes main.ini.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The program beside the test, which runs in the programs' folder.
std::string Program() {
    return (fs::current_path() / "foliant-batch").string();
}

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

class BatchTest : public ::testing::Test {
protected:
    BatchTest() : root(fs::temp_directory_path() / ("foliant-batch-test-" + std::to_string(getpid()))) {
        fs::remove_all(root);
        fs::create_directories(root / "out");
    }
    ~BatchTest() override { fs::remove_all(root); }

    Result Run(const std::vector<std::string>& args) {
        std::string command = "cd " + Quote(root.string()) + " && " + Quote(Program());
        for (const std::string& arg : args)
            command += " " + Quote(arg);
        command += " >stdout.txt 2>stderr.txt";
        int status = std::system(command.c_str());
        Result r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadAll(root / "stdout.txt");
        r.err = ReadAll(root / "stderr.txt");
        return r;
    }

    void Put(const std::string& name, const std::string& bytes) { WriteAll(root / name, bytes); }
    std::string Get(const std::string& name) { return ReadAll(root / name); }
    bool Has(const std::string& name) { return fs::exists(root / name); }

    fs::path root;
};

const char kCuttingIni[] =
    "[MainSettings]\r\nCutTypeNum=0\r\nSingleFileSize0=10\r\nInOutFileSize0=4\r\n"
    "CutWordNum=0\r\nCutWordDef0=,\r\n"
    "[UserSettings]\r\nMyLagIndex=eng\r\nOpenFilesFilterIndex=4\r\nKeepFileSize=2\r\n"
    "CutWord0=,\r\nCutTypeIndex=0\r\nBookName=Shelf\r\n";

TEST_F(BatchTest, ConvertsEachFileIntoOneTextWithTheShippedSettings) {
    Put("in/notes.txt", "first line\r\nsecond line");
    Put("in/page.htm", "<html><body><p>Hello &amp; welcome</p></body></html>");
    Result r = Run({"--book", "My Book", "--out", "out", "in/notes.txt", "in/page.htm"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Output finished! Please copy the output files of My Book.\n");
    EXPECT_EQ(Get("out/My Book/notes.txt"), "first line\r\nsecond line\r\n\r\n");
    EXPECT_EQ(Get("out/My Book/page.txt"), "\r\nHello & welcome\r\n\r\n");
    EXPECT_EQ(r.err, "");  // not a terminal: no progress
}

TEST_F(BatchTest, CutsIntoNumberedPiecesWithItsOwnSettingsAndNeverWritesThem) {
    Put("my.ini", kCuttingIni);
    Put("in/a.txt", "abcdefgh,ijklmnop");
    Result r = Run({"--ini", "my.ini", "--out", "out", "in/a.txt"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Get("out/Shelf/Shelf0000.txt"), "abcdefgh,\r\n");
    EXPECT_EQ(Get("out/Shelf/Shelf0001.txt"), "h,ijklmnop\r\n\r\n");
    EXPECT_EQ(Get("my.ini"), kCuttingIni);
}

TEST_F(BatchTest, RefusalsExitWithTwo) {
    Put("in/a.txt", "a");
    Result r = Run({"--book", "a:b", "--out", "out", "in/a.txt"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("The name of the output folder cannot include"), std::string::npos);
    EXPECT_FALSE(Has("out/a:b"));

    EXPECT_EQ(Run({"--book", "B", "--out", "missing", "in/a.txt"}).code, 2);
    EXPECT_EQ(Run({"--book", "B", "--out", "out"}).code, 2);         // no files
    EXPECT_EQ(Run({"--book", "", "--out", "out", "in/a.txt"}).code, 2);
    EXPECT_EQ(Run({"--book", "B", "in/a.txt"}).code, 2);             // no --out
    EXPECT_EQ(Run({"--bogus", "--out", "out", "in/a.txt"}).code, 2);
    EXPECT_EQ(Run({"--out"}).code, 2);
    EXPECT_FALSE(Has("out/B"));
}

TEST_F(BatchTest, UnusableSettingsOrLanguageExitWithThree) {
    Put("in/a.txt", "a");
    EXPECT_EQ(Run({"--ini", "none.ini", "--book", "B", "--out", "out", "in/a.txt"}).code, 3);
    std::string noLanguage = kCuttingIni;
    noLanguage.replace(noLanguage.find("MyLagIndex=eng"), 14, "MyLagIndex=xxx");
    Put("bad.ini", noLanguage);
    EXPECT_EQ(Run({"--ini", "bad.ini", "--out", "out", "in/a.txt"}).code, 3);
    Put("broken.ini", "[MainSettings]\r\nCutTypeNum=many\r\n");
    EXPECT_EQ(Run({"--ini", "broken.ini", "--out", "out", "in/a.txt"}).code, 3);
}

TEST_F(BatchTest, EachSkippedInputGetsOneLine) {
    Put("in/report.PDF", "pdf");
    Put("in/ok.txt", "ok");
    Result r = Run({"--book", "B", "--out", "out", "in/report.PDF", "in/gone.txt", "in/ok.txt"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2);
    EXPECT_NE(r.err.find("in/report.PDF"), std::string::npos);
    EXPECT_NE(r.err.find("in/gone.txt"), std::string::npos);
    EXPECT_EQ(Get("out/B/ok.txt"), "ok\r\n\r\n");
}

TEST_F(BatchTest, ConvertsA30MegabytePageWhole) {
    std::string line = "<tr><td>cell &quot;one&quot;</td><td>two</td></tr>\r\n";
    std::string page = "<html><body><table>\r\n";
    size_t rows = 30u * 1024 * 1024 / line.size();
    for (size_t i = 0; i < rows; ++i)
        page += line;
    page += "</table></body></html>\r\n";
    Put("in/big.html", page);
    Result r = Run({"--book", "B", "--out", "out", "in/big.html"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(fs::file_size(root / "out/B/big.txt"), rows * std::string("cell \"one\"two\r\n").size() + 2);
}

TEST_F(BatchTest, CtrlCStopsBetweenFiles) {
    const int files = 60;
    std::vector<std::string> args = {"--book", "B", "--out", "out"};
    std::string text(2 * 1024 * 1024, 'x');
    for (int i = 0; i < files; ++i) {
        std::string name = "in/f" + std::to_string(i) + ".txt";
        Put(name, text);
        args.push_back(name);
    }
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv;
        std::string program = Program();
        argv.push_back(program.data());
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (chdir(root.c_str()) != 0)
            _exit(99);
        freopen("stdout.txt", "w", stdout);
        execv(program.c_str(), argv.data());
        _exit(98);
    }
    // Wait for the first piece, then press Ctrl+C.
    int status = 0;
    bool ended = false;
    while (!fs::exists(root / "out/B/f1.txt") && !ended) {
        ended = waitpid(child, &status, WNOHANG) == child;
        usleep(1000);
    }
    ASSERT_FALSE(ended) << "the run ended before it could be stopped";
    kill(child, SIGINT);
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(Get("stdout.txt"), "User stop the output.\n");
    EXPECT_FALSE(fs::exists(root / ("out/B/f" + std::to_string(files - 1) + ".txt")));
}

}  // namespace
