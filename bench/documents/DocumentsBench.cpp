// Usage: documents_bench [folder for the generated RTF] [.doc to time]
// (make-bench-doc.sh writes a 10 MB .doc)
// Times the RTF and Word readers against unrtf and antiword on the same
// files, in the same run, and prints the ratios.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "convert/doc/DocReader.h"
#include "convert/rtf/RtfReader.h"

namespace {

constexpr size_t kRtfSize = 20u << 20;
constexpr int kRuns = 3;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// An RTF document much like a word processor writes: styled paragraphs with
// escapes, Unicode characters, a field and a table now and then.
std::string MakeRtf() {
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
        "{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
        "{\\stylesheet{\\s0 Normal;}}{\\info{\\title Bench}}\n";
    unsigned n = 0;
    while (rtf.size() < kRtfSize) {
        ++n;
        rtf += "\\pard\\plain \\s0\\ql\\f0\\fs24\\lang1033{\\loch Paragraph " + std::to_string(n) +
               " has {\\b bold} and {\\i italic} words, caf\\'e9 cr\\'e8me, a dash \\u8212\\'3f and "
               "quotes \\ldblquote like these\\rdblquote .}\n\\par ";
        if (n % 50 == 0)
            rtf += "{\\field{\\*\\fldinst HYPERLINK \"http://example.com/\"}{\\fldrslt link}}\n\\par ";
        if (n % 200 == 0)
            rtf += "\\trowd\\cellx3000\\cellx6000 a\\cell b\\cell\\row\\pard ";
    }
    return rtf + "}";
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double TimeMs(F run) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
    }
    return Median(times);
}

// Our reader: read the file, convert, write the text, as a conversion does.
template <typename Convert>
double TimeOurs(const std::string& in, const std::string& out, Convert convert, bool& ok) {
    return TimeMs([&] {
        std::string text;
        ok = convert(PlatformSystem(), ReadAll(in), text);
        WriteAll(out, text);
    });
}

double TimeCommand(const std::string& command, bool& ok) {
    return TimeMs([&] { ok = std::system(command.c_str()) == 0; });  // ok: the last run
}

void Report(const char* what, size_t bytes, double ours, const char* peer, double theirs, bool ok) {
    std::printf("%s (%.1f MB): foliant %.0f ms, %s %.0f ms, ratio %s/foliant %.2f%s\n", what,
                bytes / 1048576.0, ours, peer, theirs, peer, theirs / ours, ok ? "" : " (a run failed)");
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : ".";
    std::string rtfPath = folder + "/bench.rtf", docPath;
    std::string rtf = MakeRtf();
    WriteAll(rtfPath, rtf);
    // antiword reads only documents with the tables a word processor writes,
    // so the .doc is one LibreOffice wrote: the large fixture, or a bigger
    // one (make-fixtures.py FOLDER 5000000, then saved as Word 97).
    docPath = argc > 2 ? argv[2] : DOCUMENTS_DATA_DIR "/large.doc";
    std::string doc = ReadAll(docPath);
    if (doc.empty()) {
        std::fprintf(stderr, "cannot read the large fixture\n");
        return 1;
    }

    bool ok1 = true, ok2 = true;
    double ours = TimeOurs(rtfPath, folder + "/bench-rtf.txt", RtfToPlainText, ok1);
    double theirs = TimeCommand("unrtf --text '" + rtfPath + "' > /dev/null 2>&1", ok2);
    Report("RTF to text", rtf.size(), ours, "unrtf", theirs, ok1 && ok2);

    ours = TimeOurs(docPath, folder + "/bench-doc.txt", DocToPlainText, ok1);
    theirs = TimeCommand("antiword '" + docPath + "' > /dev/null 2>&1", ok2);
    Report(".doc to text", doc.size(), ours, "antiword", theirs, ok1 && ok2);
    return 0;
}
