// Usage: xmldocs_bench [folder] [megabytes ...]
// The XML document readers (.docx, .odt, .epub, .fb2) as foliant-batch runs
// them, on documents of about 10, 40 and 100 MB of XML, or the sizes given.
// For every document it prints the peak memory of converting it beside the
// 64 MB target; on the smallest size it also times `pandoc -t plain` on the
// same documents in the same run and prints the ratios (pandoc takes half
// a minute and more than a gigabyte there). make-bench-ebooks.py writes
// the documents into FOLDER/MEGABYTES/ when they are not there yet;
// without a folder they go into a temporary one that is removed at the end.
//
// Each conversion is a child process of its own, and its peak resident set
// is the ru_maxrss that wait4 reports for it alone. A child's peak also
// counts the memory of the process that started it, so this one holds no
// document.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kOurRuns = 3;          // on the smallest size, for the time
constexpr double kTargetMb = 64;     // the peak a conversion should stay under
const char* const kKinds[] = {"docx", "odt", "epub", "fb2"};
constexpr size_t kKindCount = sizeof kKinds / sizeof kKinds[0];

struct Measure {
    bool started = false;  // false when the program could not be run
    bool ok = false;       // exit code 0
    double ms = 0;
    long peakKb = 0;
};

double Mb(long kb) {
    return kb / 1024.0;
}

// Runs a program with its output thrown away and waits for it.
Measure Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    Measure m;
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return m;
    m.started = true;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) == pid) {
        m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        m.peakKb = usage.ru_maxrss;
    }
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    m.ms = took.count();
    return m;
}

// foliant-batch converting one document into a fresh output folder, as a
// user runs it; the text is removed afterwards.
Measure Foliant(const std::string& document, const std::string& folder,
                const std::string& encoding = "ansi") {
    std::string out = folder + "/out";
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    Measure m = Run({FOLIANT_BATCH, "--book", "bench", "--encoding", encoding, "--out", out, document});
    std::filesystem::remove_all(out);
    return m;
}

// The median time of a few runs, with the highest peak among them.
Measure FoliantTimed(const std::string& document, const std::string& folder,
                     const std::string& encoding = "ansi") {
    std::vector<Measure> runs;
    for (int i = 0; i < kOurRuns; ++i)
        runs.push_back(Foliant(document, folder, encoding));
    long peakKb = 0;
    bool ok = true;
    for (const Measure& m : runs) {
        peakKb = std::max(peakKb, m.peakKb);
        ok = ok && m.ok;
    }
    std::sort(runs.begin(), runs.end(), [](const Measure& a, const Measure& b) { return a.ms < b.ms; });
    Measure median = runs[runs.size() / 2];
    median.peakKb = peakKb;
    median.ok = ok;
    return median;
}

bool HavePandoc() {
    Measure m = Run({"pandoc", "--version"});
    return m.started && m.ok;
}

long FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

// FOLDER/MEGABYTES with the four documents, made when one is missing.
bool MakeDocuments(const std::string& folder, int megabytes) {
    bool all = true;
    for (const char* kind : kKinds)
        all = all && FileSize(folder + "/bench." + kind) > 0;
    if (all)
        return true;
    std::string make = "python3 '" BENCH_SOURCE_DIR "/make-bench-ebooks.py' '" + folder + "' " +
                       std::to_string(megabytes);
    return std::system(make.c_str()) == 0;
}

const char* TargetNote(long peakKb) {
    return Mb(peakKb) <= kTargetMb ? "within" : "over";
}

void ReportPeak(const char* kind, int megabytes, long bytes, const Measure& ours) {
    std::printf(".%s, %d MB of XML (%.1f MB file): foliant peak %.1f MB, target %.0f MB: %s%s\n",
                kind, megabytes, bytes / 1048576.0, Mb(ours.peakKb), kTargetMb,
                TargetNote(ours.peakKb), ours.ok ? "" : " (the run failed)");
    std::fflush(stdout);
}

// Our time, and pandoc's beside it when it ran.
void ReportSpeed(const Measure& ours, const Measure& pandoc) {
    std::printf("    foliant %.0f ms", ours.ms);
    if (pandoc.started)
        std::printf("; pandoc %.0f ms, peak %.1f MB; time pandoc/foliant %.1f, "
                    "memory pandoc/foliant %.1f%s",
                    pandoc.ms, Mb(pandoc.peakKb), pandoc.ms / ours.ms,
                    static_cast<double>(pandoc.peakKb) / ours.peakKb,
                    pandoc.ok ? "" : " (pandoc failed)");
    std::printf("\n");
    std::fflush(stdout);
}

// One line per kind with its peak at every size, and the target.
void ReportTable(const std::vector<int>& sizes, const std::vector<std::vector<long>>& peaks) {
    std::printf("\npeak MB of one conversion");
    for (int megabytes : sizes)
        std::printf("  %4d MB", megabytes);
    std::printf("  target\n");
    for (size_t k = 0; k < kKindCount; ++k) {
        std::printf(".%-24s", kKinds[k]);
        for (long kb : peaks[k])
            std::printf("  %7.1f", Mb(kb));
        std::printf("  %4.0f MB\n", kTargetMb);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : "";
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {10, 40, 100};
    std::sort(sizes.begin(), sizes.end());
    bool temporary = folder.empty();
    if (temporary) {
        std::string pattern = (std::filesystem::temp_directory_path() / "xmldocs-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("cannot make a temporary folder");
            return 1;
        }
        folder = pattern;
    }
    bool pandoc = HavePandoc();
    if (!pandoc)
        std::printf("pandoc is not installed: its times are left out\n");

    std::vector<std::vector<long>> peaks(kKindCount);
    int status = 0;
    for (int megabytes : sizes) {
        std::string sized = folder + "/" + std::to_string(megabytes);
        if (!MakeDocuments(sized, megabytes)) {
            std::fprintf(stderr, "cannot make the bench documents\n");
            status = 1;
            break;
        }
        bool timed = megabytes == sizes.front();
        for (size_t k = 0; k < kKindCount; ++k) {
            std::string document = sized + "/bench." + kKinds[k];
            Measure ours = timed ? FoliantTimed(document, sized) : Foliant(document, sized);
            peaks[k].push_back(ours.peakKb);
            ReportPeak(kKinds[k], megabytes, FileSize(document), ours);
            if (timed) {
                ReportSpeed(ours, pandoc ? Run({"pandoc", "-t", "plain", document, "-o",
                                                sized + "/pandoc.txt"})
                                         : Measure{});
                // The same text written as UTF-8 instead of the ANSI code page.
                Measure utf8 = FoliantTimed(document, sized, "utf-8");
                std::printf("    as UTF-8 %.0f ms, peak %.1f MB; time UTF-8/ANSI %.2f%s\n", utf8.ms,
                            Mb(utf8.peakKb), ours.ms > 0 ? utf8.ms / ours.ms : 0.0,
                            utf8.ok ? "" : " (failed)");
            }
        }
    }
    if (status == 0)
        ReportTable(sizes, peaks);
    if (temporary)
        std::filesystem::remove_all(folder);
    return status;
}
