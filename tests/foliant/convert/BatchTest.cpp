// foliant-batch as a user runs it: the real program on real files, its
// exit codes, what it prints where and in which encoding, its progress on
// a terminal, and that it never writes main.ini nor any of its inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <pty.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/PackageBuilder.h"
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

    // 'prefix' goes before the program, in the same shell.
    Result Run(const std::vector<std::string>& args, const std::string& prefix = "") {
        std::string command = "cd " + Quote(root.string()) + " && " + prefix + Quote(Program());
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
    uintmax_t FileSizeOf(const std::string& name) {
        std::error_code error;
        uintmax_t size = fs::file_size(root / name, error);
        return error ? 0 : size;
    }

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

// Each document that gives no text is named with its own reason.
TEST_F(BatchTest, NamesWhyEachDocumentGaveNoText) {
    ZipBuilder encrypted;
    encrypted.entries.push_back(PackageMember("word/document.xml", "<w:document/>"));
    encrypted.entries.back().flags |= 1;
    std::string book = BuildPackage({{"word/document.xml", "<w:document><w:body>"}});
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"locked.docx", encrypted.Build(), "encrypted"},
        {"cut.docx", book, "damaged"},
        {"plain.odt", "not a package at all", "damaged"},
        {"klingon.fb2", "<?xml version='1.0' encoding='x-klingon'?><FictionBook/>",
         "unknown encoding \"x-klingon\""},
        {"empty.fb2", "<FictionBook><body><p> </p></body></FictionBook>", "no text"},
    };
    std::vector<std::string> args = {"--book", "B", "--out", "out"};
    std::string expected;
    for (const Case& c : cases) {
        Put(std::string("in/") + c.name, c.bytes);
        args.push_back(std::string("in/") + c.name);
        expected += std::string("foliant-batch: skipped in/") + c.name + ": " + c.reason + "\n";
    }
    Result r = Run(args);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, expected);
}

// With 128 MB of address space a .docx of 150 MB of text is still read,
// as its text streams through; an RTF file of that size is held whole and
// cannot be, so it is named with the reason and the next file is read.
TEST_F(BatchTest, ADocumentTooLargeForMemoryIsSkippedAndTheRunGoesOn) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    constexpr size_t kWords = 25u << 20;
    ZipBuilder docx;
    docx.entries.push_back(RepeatedMember(
        "word/document.xml", "<w:document><w:body><w:p><w:r><w:t>", "words ", kWords,
        "</w:t></w:r></w:p></w:body></w:document>"));
    Put("in/huge.docx", docx.Build());
    std::string rtf = "{\\rtf1 ";
    for (size_t i = 0; i < kWords; ++i)
        rtf += "words ";
    Put("in/huge.rtf", rtf + "}");
    rtf = std::string();
    Put("in/ok.txt", "ok");
    Result r = Run({"--book", "B", "--out", "out", "in/huge.docx", "in/huge.rtf", "in/ok.txt"},
                   "ulimit -v 131072 && ");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "foliant-batch: skipped in/huge.rtf: too large for memory\n");
    EXPECT_EQ(Get("out/B/ok.txt"), "ok\r\n\r\n");
    EXPECT_GE(FileSizeOf("out/B/huge.txt"), 6 * kWords);
}

// A chapter missing from a book is named; the rest of the book is read.
TEST_F(BatchTest, AChapterThatCannotBeReadIsNamedAndTheBookRead) {
    Put("in/book.epub", BuildEpub("<item id='a' href='a.xhtml'/><item id='b' href='b.xhtml'/>",
                                  "<itemref idref='a'/><itemref idref='b'/>",
                                  {{"OPS/b.xhtml", XhtmlPage("<p>Second</p>")}}));
    Result r = Run({"--book", "B", "--out", "out", "in/book.epub"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "foliant-batch: in/book.epub: left out OPS/a.xhtml: cannot be read\n");
    EXPECT_EQ(Get("out/B/book.txt"), "Second\r\n\r\n");
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

std::string Lines(size_t bytes) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i)
        text += "line " + std::to_string(i) + " of a longer text to be read by the run\r\n";
    return text;
}

TEST_F(BatchTest, AnInputInsideTheRunFolderIsNeverTruncated) {
    const std::string big = Lines(216000);
    Put("out/B/big.txt", big);
    Result r = Run({"--book", "B", "--out", "out", "out/B/big.txt"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Get("out/B/big.txt"), big);
    EXPECT_EQ(Get("out/B/big (2).txt"), big + "\r\n");
}

TEST_F(BatchTest, ABookFolderThatCannotBeMadeExitsWithFourAndNamesIt) {
    Put("out/B", "a file where the book's folder would go");
    Put("in/a.txt", "a");
    Result r = Run({"--book", "B", "--out", "out", "in/a.txt"});
    EXPECT_EQ(r.code, 4);
    EXPECT_NE(r.err.find("cannot make the folder " + (root / "out" / "B").string() + "\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out.find("Output finished"), std::string::npos) << r.out;
    EXPECT_EQ(Get("out/B"), "a file where the book's folder would go");

    Result help = Run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("4 the book's folder could not be made"), std::string::npos);
}

TEST_F(BatchTest, EveryInputWithoutTextIsNamedWithTheReason) {
    std::string doc = ReadAll(fs::path(DOCUMENTS_DATA_DIR) / "plain.doc");
    for (size_t at = 512; at + 12 < doc.size(); at += 64)  // the FIB opens a (mini) sector
        if (doc.compare(at, 2, "\xec\xa5") == 0) {
            doc[at + 0x0b] = static_cast<char>(doc[at + 0x0b] | 0x01);  // fEncrypted
            break;
        }
    Put("in/locked.doc", doc);
    Put("in/fake.doc", "plain words, saved with the wrong ending");
    Put("in/empty.txt", "");
    Put("in/ok.txt", "ok");
    Result r = Run({"--book", "B", "--out", "out", "in/locked.doc", "in/fake.doc",
                    "in/empty.txt", "in/gone.txt", "in/ok.txt"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err,
              "foliant-batch: skipped in/locked.doc: encrypted\n"
              "foliant-batch: skipped in/fake.doc: not a Word 97-2003 document\n"
              "foliant-batch: skipped in/empty.txt: no text\n"
              "foliant-batch: skipped in/gone.txt: cannot be read\n");
    EXPECT_EQ(Get("out/B/ok.txt"), "ok\r\n\r\n");
}

TEST_F(BatchTest, MessagesReachTheTerminalInItsEncoding) {
    Put("in/a.txt", "a");
    setenv("LC_ALL", "C.UTF-8", 1);
    Result r = Run({"--book", "Caf\xc3\xa9", "--out", "out", "in/a.txt"});
    unsetenv("LC_ALL");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Output finished! Please copy the output files of Caf\xc3\xa9.\n");
    EXPECT_EQ(Get("out/Caf\xc3\xa9/a.txt"), "a\r\n\r\n");
}

TEST_F(BatchTest, OnATerminalOneLineShowsHowFarTheFileHasGot) {
    Put("in/big.txt", Lines(8u << 20));
    std::string program = Program();
    std::fflush(stdout);
    int terminal = -1;
    pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(root.c_str()) != 0)
            _exit(99);
        execl(program.c_str(), program.c_str(), "--book", "B", "--out", "out", "in/big.txt",
              static_cast<char*>(nullptr));
        _exit(98);
    }
    std::string seen;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;)
        seen.append(buffer, static_cast<size_t>(n));
    close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << seen;

    // The line is redrawn in place and names the file as it was typed.
    EXPECT_NE(seen.find("\r\033[K[  0%] processing:in/big.txt"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("Z:"), std::string::npos);
    // The share of the file read moves while the file is read.
    int between = 0;
    for (size_t at = seen.find(" ("); at != std::string::npos; at = seen.find(" (", at + 1)) {
        int percent = std::atoi(seen.c_str() + at + 2);
        if (percent > 0 && percent < 100 && seen.compare(at + 2 + std::to_string(percent).size(), 2, "%)") == 0)
            ++between;
    }
    EXPECT_GT(between, 10) << seen;
    EXPECT_NE(seen.find("\r\033[KOutput finished! Please copy the output files of B."),
              std::string::npos)
        << seen;
}

// Converts between character sets with iconv; false when any byte or
// character does not convert.
bool Iconv(const std::string& from, const std::string& to, const std::string& in,
           std::string& out) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.assign(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return rc == 0 && srcLeft == 0;
}

std::string Utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xc0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        s += static_cast<char>(0xe0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        s += static_cast<char>(0x80 | (c & 0x3f));
    }
    return s;
}

// The run of the desktop configuration that cuts, in a Chinese and a
// Japanese ANSI code page: every piece decodes on its own.
TEST_F(BatchTest, PiecesOfDoubleByteTextEachDecodeInTheirCodePage) {
    const std::string ini =
        "[MainSettings]\r\nCutTypeNum=0\r\nSingleFileSize0=4097\r\nInOutFileSize0=33\r\n"
        "CutWordNum=5\r\n[UserSettings]\r\nMyLagIndex=eng\r\nOpenFilesFilterIndex=4\r\n"
        "KeepFileSize=7\r\nCutWord0=enter\r\nCutWord1=.\r\nCutWord2=?\r\nCutWord3=,\r\n"
        "CutWord4=space\r\nCutWord5=)\r\nCutTypeIndex=0\r\nBookName=Shelf\r\n";
    Put("cut.ini", ini);
    for (int codePage : {936, 932}) {
        SCOPED_TRACE(codePage);
        std::string charset = "CP" + std::to_string(codePage);
        // Kana and Han characters that the code page holds in two bytes.
        std::vector<std::string> wide;
        for (char32_t c = 0x3041; c <= 0x9fa5; c += (c < 0x3100 ? 1 : 37)) {
            std::string bytes;
            if (Iconv("UTF-8", charset, Utf8(c), bytes) && bytes.size() == 2)
                wide.push_back(bytes);
        }
        ASSERT_GT(wide.size(), 200u);
        std::string text;
        uint32_t seed = 7;
        while (text.size() < 120 * 1024) {
            seed = seed * 1103515245u + 12345u;
            size_t length = 10 + (seed >> 16) % 2000;
            for (size_t i = 0; i < length; ++i) {
                seed = seed * 1103515245u + 12345u;
                uint32_t pick = (seed >> 16) % 1000;
                text += pick < 100 ? std::string(1, static_cast<char>('a' + pick % 26))
                                   : wide[pick % wide.size()];
            }
            text += "\r\n";
        }
        std::string whole;
        ASSERT_TRUE(Iconv(charset, "UTF-8", text, whole));
        Put("in/cjk.txt", text);
        fs::remove_all(root / "out" / "Shelf");

        setenv("ANSI_CODEPAGE", std::to_string(codePage).c_str(), 1);
        Result r = Run({"--ini", "cut.ini", "--out", "out", "in/cjk.txt"});
        unsetenv("ANSI_CODEPAGE");
        ASSERT_EQ(r.code, 0) << r.err;

        int pieces = 0;
        for (;; ++pieces) {
            char name[32];
            std::snprintf(name, sizeof name, "out/Shelf/Shelf%04d.txt", pieces);
            if (!Has(name))
                break;
            std::string piece = Get(name);
            ASSERT_GE(piece.size(), 2u);
            piece.resize(piece.size() - 2);  // the CR LF after every piece
            std::string decoded;
            ASSERT_TRUE(Iconv(charset, "UTF-8", piece, decoded)) << name;
            EXPECT_NE(whole.find(decoded), std::string::npos) << name;
        }
        EXPECT_GT(pieces, 25);
    }
}

}  // namespace
