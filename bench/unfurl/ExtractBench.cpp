// Wall time of "sfxpack extract" against Info-ZIP "unzip -o -q" extracting
// the same ZIP of 2,000 files and 200 MB, both run as programs in this same
// run; the figure is the ratio of their best times.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 2000;
constexpr size_t kTotalBytes = 200u << 20;
constexpr int kRounds = 3;

// Mixed contents: mostly text-like, some binary-like, some incompressible.
std::string Contents(size_t size, std::mt19937& random) {
    static const char* words[] = {"setup ", "archive ", "the ", "window\r\n", "of ",
                                  "extract ", "folder ", "a ", "program ", "value="};
    std::string s;
    s.reserve(size + 16);
    unsigned kind = random() % 10;
    while (s.size() < size) {
        if (kind < 6)
            s += words[random() % 10] + std::to_string(random() % 1000);
        else if (kind < 9)
            s.append(1 + random() % 6, static_cast<char>(random() % 8));
        else
            s += static_cast<char>(random());
    }
    s.resize(size);
    return s;
}

// A PE32 header with one section ending where the file ends.
std::string Stub() {
    std::string image(0x400, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    image[0x3C] = static_cast<char>(0x80);
    image.replace(0x80, 4, std::string("PE\0\0", 4));
    image[0x86] = 1;
    size_t section = 0x80 + 248;
    image[section + 17] = 0x02;   // raw size 0x200
    image[section + 21] = 0x02;   // raw offset 0x200
    return image;
}

double Seconds(const std::string& command) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return took.count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: unfurl_extract_bench SFXPACK\n");
        return 2;
    }
    std::string sfxpack = fs::absolute(argv[1]).string();
    fs::path work = fs::temp_directory_path() / ("unfurl-extract-bench-" + std::to_string(std::random_device()()));
    fs::create_directories(work / "corpus");

    std::mt19937 random(11);
    for (int i = 0; i < kFiles; ++i) {
        fs::path file = work / "corpus" / ("d" + std::to_string(i % 40)) / ("f" + std::to_string(i) + ".dat");
        fs::create_directories(file.parent_path());
        size_t size = kTotalBytes / kFiles / 2 + random() % (kTotalBytes / kFiles);
        std::ofstream(file, std::ios::binary) << Contents(size, random);
    }
    std::ofstream(work / "stub.exe", std::ios::binary) << Stub();
    std::string cd = "cd '" + work.string() + "' && ";
    std::system((cd + "cd corpus && zip -q -r ../corpus.zip .").c_str());
    std::system((cd + "'" + sfxpack + "' pack -o sfx.exe --stub stub.exe --zip corpus.zip").c_str());

    double ours = 1e9, unzip = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        ours = std::min(ours, Seconds(cd + "'" + sfxpack + "' extract sfx.exe out-sfxpack --overwrite always"));
        unzip = std::min(unzip, Seconds(cd + "unzip -o -q corpus.zip -d out-unzip"));
    }
    double mb = static_cast<double>(fs::file_size(work / "corpus.zip")) / (1 << 20);
    std::printf("archive: %d files, %.0f MB of data, %.1f MB zipped\n", kFiles,
                static_cast<double>(kTotalBytes) / (1 << 20), mb);
    std::printf("extract         sfxpack %.2f s   unzip -o -q %.2f s\n", ours, unzip);
    std::printf("extract ratio   sfxpack/unzip %.2f (1.0 or less is as fast)\n", ours / unzip);
    fs::remove_all(work);
    return 0;
}
