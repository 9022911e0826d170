// Lines of very different lengths made from a seed, for tests of readers
// and cutters that must not hold a whole line or file.
#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// 'count' lines of bytes from 'alphabet' (which should hold no CR): a
// quarter empty or short, a quarter of a few thousand bytes, half of
// 'longest / 4' to 'longest' bytes.
inline std::vector<std::string> MixedLengthLines(unsigned seed, size_t count, size_t longest,
                                                 std::string_view alphabet) {
    std::mt19937 random(seed);
    auto below = [&random](size_t n) { return static_cast<size_t>(random() % n); };
    std::vector<std::string> lines;
    for (size_t i = 0; i < count; ++i) {
        size_t kind = below(4);
        size_t length = kind == 0 ? below(20) : kind == 1 ? 100 + below(5000)
                                                           : longest / 4 + below(longest - longest / 4);
        std::string line(length, '\0');
        for (char& c : line)
            c = alphabet[below(alphabet.size())];
        lines.push_back(std::move(line));
    }
    return lines;
}

// The lines as a file: each ended by CR LF or a lone CR, the last one
// sometimes by nothing.
inline std::string JoinWithMixedLineEnds(const std::vector<std::string>& lines, unsigned seed) {
    std::mt19937 random(seed);
    std::string file;
    for (size_t i = 0; i < lines.size(); ++i) {
        file += lines[i];
        bool last = i + 1 == lines.size();
        switch (random() % 3) {
        case 0:
            file += "\r\n";
            break;
        case 1:
            file += "\r";
            break;
        default:
            file += last ? "" : "\r\n";
        }
    }
    return file;
}
