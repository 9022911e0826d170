// Usage: xmldocs_bench [folder] [megabytes]
// Times the DOCX and EPUB readers against `pandoc -t plain` on the same
// documents of about 10 MB, or the size given (make-bench-ebooks.py writes
// them into the folder when they are not there yet), in the same run, and
// prints the ratios and the peak memory of each side. pandoc takes minutes
// and gigabytes on the 10 MB documents.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "convert/xml/XmlDocuments.h"

extern char** environ;

namespace {

constexpr int kOurRuns = 3;

struct Measure {
    double ms = 0;
    long peakKb = 0;  // the child's peak resident set
    bool ok = false;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Runs 'work' in a child process, so that its peak memory is its own.
template <typename Work>
Measure InChild(Work work) {
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0)
        _exit(work() ? 0 : 1);
    Measure m;
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        m.peakKb = usage.ru_maxrss;
    }
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    m.ms = took.count();
    return m;
}

Measure Pandoc(const std::string& in, const std::string& out) {
    return InChild([&] {
        const char* argv[] = {"pandoc", "-t", "plain", in.c_str(), "-o", out.c_str(), nullptr};
        execvp("pandoc", const_cast<char**>(argv));
        return false;
    });
}

// Our reader as a conversion uses it: read the file, convert, write.
Measure Ours(bool (*read)(System&, std::string_view, std::string&), const std::string& in,
             const std::string& out) {
    std::vector<Measure> runs;
    for (int i = 0; i < kOurRuns; ++i)
        runs.push_back(InChild([&] {
            std::string text;
            if (!read(PlatformSystem(), ReadAll(in), text))
                return false;
            std::ofstream(out, std::ios::binary) << text;
            return true;
        }));
    std::sort(runs.begin(), runs.end(), [](const Measure& a, const Measure& b) { return a.ms < b.ms; });
    return runs[runs.size() / 2];
}

long FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

void Report(const char* what, long bytes, const Measure& ours, const Measure& pandoc) {
    std::printf("%s (%.1f MB): foliant %.0f ms, peak %.0f MB; pandoc %.0f ms, peak %.0f MB; "
                "time pandoc/foliant %.1f, memory pandoc/foliant %.1f, foliant peak/document %.1f%s\n",
                what, bytes / 1048576.0, ours.ms, ours.peakKb / 1024.0, pandoc.ms, pandoc.peakKb / 1024.0,
                pandoc.ms / ours.ms, static_cast<double>(pandoc.peakKb) / ours.peakKb,
                ours.peakKb * 1024.0 / bytes, ours.ok && pandoc.ok ? "" : " (a run failed)");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : ".";
    std::string megabytes = argc > 2 ? argv[2] : "10";
    std::string docx = folder + "/bench.docx", epub = folder + "/bench.epub";
    if (FileSize(docx) <= 0 || FileSize(epub) <= 0) {
        std::string make =
            "python3 '" BENCH_SOURCE_DIR "/make-bench-ebooks.py' '" + folder + "' " + megabytes;
        if (std::system(make.c_str()) != 0) {
            std::fprintf(stderr, "cannot make the bench documents\n");
            return 1;
        }
    }
    // Ours first, then pandoc: each in its own child, one after the other.
    Measure ours = Ours(DocxToPlainText, docx, folder + "/bench-docx.txt");
    Measure pandoc = Pandoc(docx, folder + "/bench-docx.pandoc.txt");
    Report(".docx to text", FileSize(docx), ours, pandoc);
    ours = Ours(EpubToPlainText, epub, folder + "/bench-epub.txt");
    pandoc = Pandoc(epub, folder + "/bench-epub.pandoc.txt");
    Report(".epub to text", FileSize(epub), ours, pandoc);
    return 0;
}
