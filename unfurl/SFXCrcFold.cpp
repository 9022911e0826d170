// CRC-32 by carry-less multiplication on x86-64 processors that have it:
// the buffer is folded 64 bytes at a time into four 128-bit lanes, the
// lanes into one, and that is reduced to 32 bits (Barrett reduction).
// The result equals the table-driven UpdateCrc for every input.
#include "SFXCrcFold.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#include <immintrin.h>

namespace {

// Folding constants for the reflected polynomial 0xEDB88320: x^(4*128+32)
// and x^(4*128-32) mod P for the 64-byte fold, x^(128+32) and x^(128-32)
// for the 16-byte fold, x^64 mod P, and P with its Barrett quotient.
alignas(16) constexpr uint64_t kFold64[2] = {0x0154442bd4, 0x01c6e41596};
alignas(16) constexpr uint64_t kFold16[2] = {0x01751997d0, 0x00ccaa009e};
alignas(16) constexpr uint64_t kFold8[2] = {0x0163cd6124, 0};
alignas(16) constexpr uint64_t kBarrett[2] = {0x01db710641, 0x01f7011641};

#define FOLD_TARGET __attribute__((target("pclmul,sse4.1")))

// One lane advanced past 'constants' bytes and joined with 'next'.
FOLD_TARGET inline __m128i Fold(__m128i lane, __m128i constants, __m128i next) {
    __m128i low = _mm_clmulepi64_si128(lane, constants, 0x00);
    __m128i high = _mm_clmulepi64_si128(lane, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

FOLD_TARGET __m128i Load(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// 'length' is at least 64 and a multiple of 16.
FOLD_TARGET uint32_t FoldBuffer(const uint8_t* p, size_t length, uint32_t crc) {
    __m128i a = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i b = Load(p + 16), c = Load(p + 32), d = Load(p + 48);
    p += 64;
    length -= 64;
    const __m128i fold64 = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold64));
    for (; length >= 64; p += 64, length -= 64) {
        a = Fold(a, fold64, Load(p));
        b = Fold(b, fold64, Load(p + 16));
        c = Fold(c, fold64, Load(p + 32));
        d = Fold(d, fold64, Load(p + 48));
    }
    const __m128i fold16 = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold16));
    a = Fold(a, fold16, b);
    a = Fold(a, fold16, c);
    a = Fold(a, fold16, d);
    for (; length >= 16; p += 16, length -= 16)
        a = Fold(a, fold16, Load(p));

    // 128 bits to 64, then to 32 plus the remainder for the reduction.
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
    __m128i x = _mm_xor_si128(_mm_srli_si128(a, 8), _mm_clmulepi64_si128(a, fold16, 0x10));
    const __m128i fold8 = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold8));
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), fold8, 0x00),
                      _mm_srli_si128(x, 4));
    const __m128i barrett = _mm_load_si128(reinterpret_cast<const __m128i*>(kBarrett));
    __m128i q = _mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10);
    q = _mm_clmulepi64_si128(_mm_and_si128(q, low32), barrett, 0x00);
    return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(x, q), 1));
}

bool HaveCarrylessMultiply() {
    static const bool have = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return have;
}

}  // namespace

size_t UpdateCrcFolded(const uint8_t* buffer, size_t length, uint32_t& crc) {
    if (length < 64 || !HaveCarrylessMultiply())
        return 0;
    size_t done = length & ~size_t{15};
    crc = FoldBuffer(buffer, done, crc);
    return done;
}

#else

size_t UpdateCrcFolded(const uint8_t*, size_t, uint32_t&) {
    return 0;
}

#endif
