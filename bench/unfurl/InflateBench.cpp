// Throughput of unfurl's InflateEntry and CRC-32 against zlib (and
// libdeflate as the ceiling) on a generated mixed corpus, printed as ratios
// of figures measured in this same run.
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "SFXCrc.h"
#include "SFXInflate.h"
#include "SFXMemoryFile.h"
#include "support/RawDeflate.h"

namespace {

constexpr int kRounds = 15;
constexpr size_t kChunk = 32768;

std::string Text(size_t size, std::mt19937& random) {
    static const char* words[] = {"archive ", "the ", "window ", "of ", "extract ", "folder\r\n",
                                  "setup ", "a ", "destination ", "program "};
    std::string s;
    while (s.size() < size)
        s += words[random() % 10] + std::to_string(random() % 100) + " ";
    s.resize(size);
    return s;
}

std::string Binary(size_t size, std::mt19937& random) {
    // Instruction-like records: opcodes from a small set, varying operands.
    std::string s;
    static const char ops[] = {'\x8B', '\x89', '\xE8', '\x55', '\x5D', '\xC3', '\x83', '\x0F'};
    while (s.size() < size) {
        s += ops[random() % 8];
        s += static_cast<char>(random() % 16);
        if (random() % 3 == 0)
            s.append(4, static_cast<char>(random() % 4));
    }
    s.resize(size);
    return s;
}

std::string Compressed(size_t size, std::mt19937& random) {
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(random());
    return s;
}

double Seconds(const std::function<void()>& run) {
    auto start = std::chrono::steady_clock::now();
    run();
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return took.count();
}

// The best time of each contender, their rounds interleaved so that a busy
// machine slows all of them alike.
std::vector<double> BestSeconds(const std::vector<std::function<void()>>& contenders) {
    std::vector<double> best(contenders.size(), 1e30);
    for (int round = 0; round < kRounds; ++round)
        for (size_t i = 0; i < contenders.size(); ++i)
            best[i] = std::min(best[i], Seconds(contenders[i]));
    return best;
}

size_t g_sink = 0;


void UnfurlInflate(const std::string& stream) {
    MemoryFile input(stream);
    CountingFile output;
    Decoder = DecoderState();
    Decoder.input = &input;
    Decoder.output = &output;
    Decoder.remaining = static_cast<int64_t>(stream.size());
    InflateEntry();
    g_sink += output.written + Decoder.crc;
}

// zlib's inflate in 32 KB output blocks with the CRC over each, as an
// extractor uses it.
void ZlibInflate(const std::string& stream) {
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    size_t output = 0;
    unsigned char block[kChunk];
    uLong crc = crc32(0, nullptr, 0);
    int rc;
    do {
        z.next_out = block;
        z.avail_out = kChunk;
        rc = inflate(&z, Z_NO_FLUSH);
        size_t n = kChunk - z.avail_out;
        output += n;
        crc = crc32(crc, block, static_cast<uInt>(n));
    } while (rc == Z_OK);
    inflateEnd(&z);
    g_sink += output + crc;
}

void LibdeflateInflate(libdeflate_decompressor* d, const std::string& stream,
                       std::string& output) {
    size_t size = output.size();
    size_t got = 0;
    libdeflate_deflate_decompress(d, stream.data(), stream.size(), output.data(), size, &got);
    g_sink += got + libdeflate_crc32(0, output.data(), got);
}

}  // namespace

int main() {
    BuildCrcTable();
    BuildFixedTables();
    std::mt19937 random(12345);
    std::string corpus = Text(6 << 20, random) + Binary(4 << 20, random) +
                         Compressed(2 << 20, random) + Text(2 << 20, random);
    std::string stream = RawDeflate(corpus, 6);
    double mb = static_cast<double>(corpus.size()) / 1e6;
    std::printf("corpus: %.1f MB (text, binary-like, random), deflated to %.1f MB at level 6\n", mb,
                stream.size() / 1e6);

    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    std::string whole(corpus.size(), '\0');
    std::vector<double> inflate = BestSeconds({[&] { UnfurlInflate(stream); },
                                               [&] { ZlibInflate(stream); },
                                               [&] { LibdeflateInflate(d, stream, whole); }});
    double ours = inflate[0], zlib = inflate[1], ldf = inflate[2];
    libdeflate_free_decompressor(d);
    std::printf("inflate + CRC   unfurl %7.1f MB/s  zlib %7.1f MB/s  libdeflate %7.1f MB/s\n",
                mb / ours, mb / zlib, mb / ldf);
    std::printf("inflate ratio   unfurl/zlib %.2f   libdeflate/zlib %.2f\n", zlib / ours,
                zlib / ldf);

    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(corpus.data());
    std::vector<double> crc = BestSeconds(
        {[&] {
             uint32_t c = 0xFFFFFFFF;
             UpdateCrc(bytes, corpus.size(), c);
             g_sink += c;
         },
         [&] { g_sink += crc32(0, bytes, static_cast<uInt>(corpus.size())); },
         [&] { g_sink += libdeflate_crc32(0, bytes, corpus.size()); }});
    double crcOurs = crc[0], crcZlib = crc[1], crcLdf = crc[2];
    std::printf("CRC-32          unfurl %7.1f MB/s  zlib %7.1f MB/s  libdeflate %7.1f MB/s\n",
                mb / crcOurs, mb / crcZlib, mb / crcLdf);
    std::printf("CRC-32 ratio    unfurl/zlib %.2f   libdeflate/zlib %.2f\n", crcZlib / crcOurs,
                crcZlib / crcLdf);
    return g_sink == 42 ? 1 : 0;
}
