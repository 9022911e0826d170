// Reproducible incompressible bytes for tests.
#pragma once

#include <cstddef>
#include <random>
#include <string>

inline std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(random());
    return s;
}
