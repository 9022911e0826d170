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

// Any name the file system holds: documents, the output folder and the
// book keep their names, and messages show them as typed.
TEST_F(BatchTest, NamesBeyondTheAnsiCodePageAreKept) {
    const std::string folder = "\xCE\x92\xCE\xB9\xCE\xB2\xCE\xBB\xCE\xAF\xCE\xB1";  // Greek
    const std::string book = "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0";          // Cyrillic
    const std::vector<std::string> names = {
        "\xD0\x94\xD0\xBE\xD1\x81\xD1\x82\xD0\xBE\xD0\xB5\xD0\xB2\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9",
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "caf\xC3\xA9", "\xF0\x9F\x93\x9A shelf"};
    fs::create_directories(root / fs::u8path(folder));
    std::vector<std::string> args = {"--book", book, "--out", folder};
    for (size_t i = 0; i < names.size(); ++i) {
        Put("in/" + names[i] + ".txt", "text " + std::to_string(i));
        args.push_back("in/" + names[i] + ".txt");
    }
    const std::string empty = "in/\xD0\x9F\xD1\x83\xD1\x81\xD1\x82\xD0\xBE.txt";
    Put(empty, "");
    args.push_back(empty);
    Result r = Run(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Output finished! Please copy the output files of " + book + ".\n");
    EXPECT_EQ(r.err, "foliant-batch: skipped " + empty + ": no text\n");
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(Get(folder + "/" + book + "/" + names[i] + ".txt"),
                  "text " + std::to_string(i) + "\r\n\r\n")
            << names[i];
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

// Lines of characters drawn from 'pool', about 'size' bytes of UTF-8.
std::string MixedLines(const std::vector<std::string>& pool, uint32_t seed, size_t size) {
    std::string text;
    while (text.size() < size) {
        seed = seed * 1103515245u + 12345u;
        for (size_t n = 1 + (seed >> 16) % 300; n > 0; --n) {
            seed = seed * 1103515245u + 12345u;
            text += pool[(seed >> 16) % pool.size()];
        }
        text += "\r\n";
    }
    return text;
}

// The characters of a script that 'charset' holds, as UTF-8.
std::vector<std::string> Held(const std::string& charset, char32_t from, char32_t to, char32_t step) {
    std::vector<std::string> held;
    for (char32_t c = from; c <= to; c += step) {
        std::string bytes;
        if (Iconv("UTF-8", charset, Utf8(c), bytes))
            held.push_back(Utf8(c));
    }
    return held;
}

// Cut in every output encoding, each piece decodes strictly on its own and
// is a part of the document's text: no cut and no joint splits a UTF-8
// sequence, a UTF-16 surrogate pair or a double-byte character.
TEST_F(BatchTest, PiecesOfEveryOutputEncodingDecodeOnTheirOwn) {
    // An odd piece size and joint, a cut word beyond ASCII.
    Put("cut.ini",
        "[MainSettings]\r\nCutTypeNum=0\r\nSingleFileSize0=257\r\nInOutFileSize0=41\r\n"
        "CutWordNum=3\r\n[UserSettings]\r\nMyLagIndex=eng\r\nOpenFilesFilterIndex=4\r\n"
        "KeepFileSize=7\r\nCutWord0=enter\r\nCutWord1=\xAB\r\nCutWord2=.\r\nCutWord3=space\r\n"
        "CutTypeIndex=0\r\nBookName=Shelf\r\n");
    std::vector<std::string> ascii;
    for (char c : std::string("abcdefghij .,"))
        ascii.push_back(std::string(1, c));
    auto with = [&](std::vector<std::string> pool) {
        pool.insert(pool.end(), ascii.begin(), ascii.end());
        return pool;
    };
    // Cyrillic with guillemets, which the Chinese and Japanese pages lack.
    const std::vector<std::string> cyrillic = Held("CP1251", 0xAB, 0x44F, 1);
    const std::vector<std::string> chinese = Held("CP936", 0x4E00, 0x9FA5, 53);
    const std::vector<std::string> japanese = Held("CP932", 0x3041, 0x30F6, 1);
    std::vector<std::string> everything = with(cyrillic);
    everything.insert(everything.end(), chinese.begin(), chinese.end());
    everything.insert(everything.end(), japanese.begin(), japanese.end());
    everything.insert(everything.end(), {"\xCE\xB1", "\xF0\x9F\x98\x80", "\xF0\xA0\x80\x8B"});
    ASSERT_GT(chinese.size(), 300u);
    ASSERT_GT(japanese.size(), 80u);
    const struct {
        const char* encoding;
        const char* charset;
        std::vector<std::string> pool;
        std::string mark;
    } cases[] = {
        {"1251", "CP1251", with(cyrillic), ""},
        {"936", "CP936", with(chinese), ""},
        {"932", "CP932", with(japanese), ""},
        {"utf-8", "UTF-8", everything, ""},
        {"utf-8-bom", "UTF-8", everything, "\xEF\xBB\xBF"},
        {"utf-16le", "UTF-16LE", everything, "\xFF\xFE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.encoding);
        std::string text = MixedLines(c.pool, 11, 40 * 1024);
        Put("in/mixed.txt", text);
        fs::remove_all(root / "out" / "Shelf");
        Result r = Run({"--ini", "cut.ini", "--encoding", c.encoding, "--out", "out", "in/mixed.txt"});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, "");
        std::string lineEnd;
        ASSERT_TRUE(Iconv("UTF-8", c.charset, "\r\n", lineEnd));
        int pieces = 0;
        for (;; ++pieces) {
            char name[32];
            std::snprintf(name, sizeof name, "out/Shelf/Shelf%04d.txt", pieces);
            if (!Has(name))
                break;
            std::string piece = Get(name);
            ASSERT_EQ(piece.substr(0, c.mark.size()), c.mark) << name;
            ASSERT_GE(piece.size(), c.mark.size() + lineEnd.size()) << name;
            ASSERT_EQ(piece.substr(piece.size() - lineEnd.size()), lineEnd) << name;
            piece = piece.substr(c.mark.size(), piece.size() - c.mark.size() - lineEnd.size());
            std::string decoded;
            ASSERT_TRUE(Iconv(c.charset, "UTF-8", piece, decoded)) << name;
            EXPECT_NE(text.find(decoded), std::string::npos) << name;
        }
        EXPECT_GT(pieces, 50);
    }
}

// Characters that the output encoding lacks take their nearest equivalent;
// those without one become "?" and each document says how many there were
// and which, on standard error.
TEST_F(BatchTest, MissingCharactersTakeTheirBestFitOrAreReported) {
    const std::string western =
        "\xE2\x80\x9CQuoted\xE2\x80\x9D \xE2\x80\x98so\xE2\x80\x99 \xE2\x80\x94 \xE2\x80\x93 "
        "wait\xE2\x80\xA6 \xEF\xAC\x81ne \xEF\xAC\x82ow\xC2\xA0x\xE2\x80\x89y \xE2\x80\xA2 "
        "\xE2\x88\x92\xE2\x80\x90 \xC5\x81\xC3\xB3" "d\xC5\xBA \xC4\x8C" "esk\xC3\xA1\r\n";
    Put("in/western.txt", western);
    Put("in/mixed.txt", "\xD0\x96\xD0\xB6\xD0\x96 \xE4\xB8\xAD\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4 ok\r\n");
    Result r = Run({"--book", "B", "--encoding", "1252", "--out", "out", "in/western.txt",
                    "in/mixed.txt"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::string text = Get("out/B/western.txt");
    EXPECT_EQ(text.find('?'), std::string::npos) << text;
    EXPECT_EQ(text, "\x93Quoted\x94 \x91so\x92 \x97 \x96 wait\x85 fine flow\xA0x y \x95 -- L\xF3" "dz "
                    "Cesk\xE1\r\n\r\n");
    EXPECT_EQ(Get("out/B/mixed.txt"), "??? ????? ok\r\n\r\n");
    EXPECT_EQ(r.err.find("western"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("in/mixed.txt: 8 characters written as \"?\": \xD0\x96 (U+0416), "
                         "\xD0\xB6 (U+0436), \xE4\xB8\xAD (U+4E2D), \xCE\xB1 (U+03B1), "
                         "\xCE\xB2 (U+03B2), ..."),
              std::string::npos)
        << r.err;
}

// Text without a byte-order mark and pages without a charset are read in
// the input code page the settings or the command line name.
TEST_F(BatchTest, TheInputCodePageReadsUnmarkedTextAndPages) {
    const std::string utf8 = "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0";  // a Russian word
    std::string cp1251;
    ASSERT_TRUE(Iconv("UTF-8", "CP1251", utf8, cp1251));
    Put("in/book.txt", cp1251 + "\r\n");
    Put("in/page.htm", "<p>" + cp1251 + " &mdash; &#1046;</p>");
    Put("in.ini", "[MainSettings]\r\nCutTypeNum=0\r\nSingleFileSize0=0\r\nInOutFileSize0=0\r\n"
                  "CutWordNum=0\r\nInputCodePage=1251\r\nOutputCodePage=utf-8\r\n"
                  "[UserSettings]\r\nMyLagIndex=eng\r\nCutWord0=enter\r\nKeepFileSize=0\r\n"
                  "OpenFilesFilterIndex=4\r\nCutTypeIndex=0\r\nBookName=B\r\n");
    Result r = Run({"--ini", "in.ini", "--out", "out", "in/book.txt", "in/page.htm"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Get("out/B/book.txt"), utf8 + "\r\n\r\n");
    EXPECT_EQ(Get("out/B/page.txt"), "\r\n" + utf8 + " \xE2\x80\x94 \xD0\x96\r\n\r\n");
    // The command line wins over the file.
    fs::remove_all(root / "out" / "B");
    r = Run({"--ini", "in.ini", "--input-codepage", "1251", "--encoding", "1251", "--out", "out",
             "in/book.txt"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Get("out/B/book.txt"), cp1251 + "\r\n\r\n");
}

// An encoding that is not one is refused before anything is written: on the
// command line with exit code 2, in the settings with 3; both name it.
TEST_F(BatchTest, UnknownEncodingsAreRefused) {
    Put("in/a.txt", "a");
    for (const char* bad : {"utf-9", "99999", "0", "1200x", "ebcdic"}) {
        SCOPED_TRACE(bad);
        Result r = Run({"--book", "B", "--encoding", bad, "--out", "out", "in/a.txt"});
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find(std::string("\"") + bad + "\""), std::string::npos) << r.err;
        EXPECT_EQ(Run({"--book", "B", "--input-codepage", bad, "--out", "out", "in/a.txt"}).code, 2);
    }
    EXPECT_EQ(Run({"--book", "B", "--input-codepage", "utf-8-bom", "--out", "out", "in/a.txt"}).code, 2);
    // Code pages that cannot be cut by characters are read, not written.
    for (const char* uncut : {"54936", "51932"}) {
        EXPECT_EQ(Run({"--book", "B", "--encoding", uncut, "--out", "out", "in/a.txt"}).code, 2) << uncut;
        EXPECT_EQ(Run({"--book", "B", "--input-codepage", uncut, "--out", "out", "in/a.txt"}).code, 0)
            << uncut;
    }
    fs::remove_all(root / "out" / "B");
    Put("bad.ini", "[MainSettings]\r\nCutTypeNum=0\r\nSingleFileSize0=0\r\nInOutFileSize0=0\r\n"
                   "CutWordNum=0\r\nOutputCodePage=klingon\r\n[UserSettings]\r\nMyLagIndex=eng\r\n"
                   "KeepFileSize=0\r\nOpenFilesFilterIndex=4\r\nCutTypeIndex=0\r\n");
    Result r = Run({"--ini", "bad.ini", "--book", "B", "--out", "out", "in/a.txt"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("OutputCodePage"), std::string::npos) << r.err;
    EXPECT_FALSE(Has("out/B"));
}

}  // namespace
