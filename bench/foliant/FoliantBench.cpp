// Benchmarks of foliant's engine, each against a peer run in the same
// process: HtmlToText against sed stripping tags, the cutter against
// split -C, and the peak memory of foliant-batch on a 1 GB text file.
// Prints ratios (ours / peer); nothing here passes or fails on a time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "convert/html/Mod_Htm2Txt.h"
#include "convert/OutputFolder.h"
#include "convert/TextCutter.h"
#include "sys/System.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kMegabyte = 1024 * 1024;
constexpr int32_t kPieceSize = 64 * 1024;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string CorePath(const fs::path& p) {
    std::string s = "Z:" + p.string();
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s;
}

// Lines of words of 40 to 120 bytes, CR LF ends, until 'bytes' is reached.
void WriteText(const fs::path& path, size_t bytes) {
    static const char* words[] = {"the", "keeper", "climbed", "tower,", "and", "lit", "lamp.",
                                  "ships", "far", "out", "saw", "beam", "across", "water;"};
    std::mt19937 random(7);
    std::ofstream out(path, std::ios::binary);
    std::string block;
    size_t written = 0;
    while (written < bytes) {
        size_t lineStart = block.size();
        size_t target = 40 + random() % 80;
        while (block.size() - lineStart < target) {
            block += words[random() % 14];
            block += ' ';
        }
        block += "\r\n";
        written += block.size() - lineStart;
        if (block.size() >= kMegabyte || written >= bytes) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
}

void WritePage(const fs::path& path, size_t bytes) {
    std::mt19937 random(11);
    std::ofstream out(path, std::ios::binary);
    out << "<html><head><title>t</title></head><body>\r\n";
    size_t written = 0;
    const char* rows[] = {
        "<p class=\"x\">Some <b>bold</b> words &amp; a <a href=\"/l\">link</a> here.</p>\r\n",
        "<tr><td>cell</td><td>&quot;quoted&quot;</td><td>3 &lt; 4</td></tr>\r\n",
        "<div><span>plain text line with no entity at all, only tags</span></div>\r\n",
        "  <li>item&nbsp;one<br>item two</li>\r\n"};
    while (written < bytes) {
        std::string row = rows[random() % 4];
        out << row;
        written += row.size();
    }
    out << "</body></html>\r\n";
}

double TimeCommand(const std::string& command) {
    Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "command failed: %s\n", command.c_str());
    return SecondsSince(start);
}

class QuietHost final : public RunHost {
public:
    std::string BookNameText() override { return "Bench"; }
    std::vector<std::string> ImportList() override { return {}; }
    std::string ChooseOutputFolder(const std::string&) override { return {}; }
    void ShowMessage(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return true; }
    void FocusBookName() override {}
    void SetStatus(const std::string&) override {}
    void SetOverallProgress(int) override {}
    void SetFileProgress(int) override {}
    void SetBusy(bool) override {}
    void PumpMessages() override {}
};

// The machine is shared: each side runs kRounds times, taking turns, and
// the best time of each counts.
constexpr int kRounds = 3;

void BenchHtml(System& sys, const fs::path& dir) {
    fs::path page = dir / "page.htm";
    WritePage(page, 30 * kMegabyte);
    double sed = 1e9;
    double ours = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        sed = std::min(sed, TimeCommand("sed 's/<[^>]*>//g' '" + page.string() + "' > '" +
                                        (dir / "sed.txt").string() + "'"));
        Clock::time_point start = Clock::now();
        HtmlToText(sys, CorePath(page), CorePath(dir / "ours.txt"), TextCoding::Ansi(), nullptr);
        ours = std::min(ours, SecondsSince(start));
    }
    std::printf("HtmlToText, 30 MB page:     %.3f s, sed %.3f s, ratio %.2f\n", ours, sed,
                ours / sed);
}

double TimeHtml(System& sys, const fs::path& dir, const std::string& page) {
    fs::path source = dir / "shape.htm";
    std::ofstream(source, std::ios::binary) << page;
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        Clock::time_point start = Clock::now();
        HtmlToText(sys, CorePath(source), CorePath(dir / "shape.txt"), TextCoding::Ansi(), nullptr);
        best = std::min(best, SecondsSince(start));
    }
    return best;
}

// The same bytes as short lines, as one long line, and as open script
// blocks of 64 KB: ratios near 1 mean no step grows with line length.
void BenchLineShapes(System& sys, const fs::path& dir) {
    constexpr size_t kBytes = 8 * kMegabyte;
    const std::string cell = "<td>a&amp;b</td>";
    std::string lines;
    std::string oneLine;
    while (oneLine.size() < kBytes) {
        oneLine += cell;
        lines += cell;
        if (lines.size() % 80 < cell.size())
            lines += "\r\n";
    }
    std::string blocks;
    while (blocks.size() < kBytes) {
        blocks += "<script>\r\n";
        for (size_t n = 0; n < 64 * 1024; n += 8)
            blocks += "x=a+b;\r\n";
    }
    double shortLines = TimeHtml(sys, dir, lines);
    std::printf("HtmlToText, 8 MB as one line:          ratio %.2f to short lines\n",
                TimeHtml(sys, dir, oneLine) / shortLines);
    std::printf("HtmlToText, 8 MB of open 64 KB scripts: ratio %.2f to short lines\n",
                TimeHtml(sys, dir, blocks) / shortLines);
}

void BenchCutter(System& sys, const fs::path& dir) {
    fs::path text = dir / "text.txt";
    WriteText(text, 100 * kMegabyte);
    CutSettings cut = ClampCutSettings(kPieceSize, 256, 0, {"\r\n"});
    double split = 1e9;
    double ours = 1e9;
    RunState state;
    for (int round = 0; round < kRounds; ++round) {
        fs::remove_all(dir / "split");
        fs::remove_all(dir / "cut");
        fs::create_directories(dir / "split");
        fs::create_directories(dir / "cut");
        split = std::min(split, TimeCommand("cd '" + (dir / "split").string() +
                                            "' && split -C 65536 '" + text.string() + "'"));
        QuietHost host;
        state = RunState();
        PieceWriter writer(sys, host, state, CorePath(dir / "cut") + "\\", false);
        writer.SetBookName("Bench");
        Clock::time_point start = Clock::now();
        CutTextFile(sys, CorePath(text), cut, writer, [] {});
        ours = std::min(ours, SecondsSince(start));
    }
    std::printf("CutTextFile, 100 MB, S=64K: %.3f s, split -C %.3f s, ratio %.2f (%d pieces)\n",
                ours, split, ours / split, state.PieceCount);
}

void BenchMemory(const fs::path& dir, const std::string& batch) {
    fs::path text = dir / "huge.txt";
    WriteText(text, 1024 * kMegabyte);
    fs::create_directories(dir / "out");
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", 1);
        dup2(null, 1);
        execl(batch.c_str(), batch.c_str(), "--book", "Huge", "--out", (dir / "out").c_str(),
              text.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    uintmax_t in = fs::file_size(text);
    uintmax_t out = fs::file_size(dir / "out" / "Huge" / "huge.txt");
    // The whole text accumulated: the input (CR LF lines) and one CR LF.
    bool same = out == in + 2 &&
                std::system(("cmp -s -n " + std::to_string(in) + " '" + text.string() + "' '" +
                             (dir / "out/Huge/huge.txt").string() + "'")
                                .c_str()) == 0;
    std::printf("foliant-batch, 1 GB text:   peak RSS %.1f MB (limit 64), exit %d, output %s\n",
                usage.ru_maxrss / 1024.0, WEXITSTATUS(status),
                same ? "identical to the accumulated text" : "DIFFERS");
}

}  // namespace

// foliant_bench [FOLIANT-BATCH [html] [lines] [cut] [memory]]: all three by default.
int main(int argc, char** argv) {
    std::string batch = argc > 1 ? argv[1] : "foliant-batch";
    auto wanted = [&](const std::string& name) {
        if (argc <= 2)
            return true;
        for (int i = 2; i < argc; ++i)
            if (name == argv[i])
                return true;
        return false;
    };
    fs::path dir = fs::temp_directory_path() / ("foliant-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    System& sys = PlatformSystem();
    if (wanted("html"))
        BenchHtml(sys, dir);
    if (wanted("lines"))
        BenchLineShapes(sys, dir);
    if (wanted("cut"))
        BenchCutter(sys, dir);
    if (wanted("memory"))
        BenchMemory(dir, batch);
    fs::remove_all(dir);
    return 0;
}
