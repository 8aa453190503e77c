#include "graphics/row_kernels.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ZRE_ROW_AVX2 1
#else
#define ZRE_ROW_AVX2 0
#endif

namespace zre {

namespace {

// Every form takes the index to start at and returns the index it stopped at: a multiple of
// its width, so the next narrower form goes on from there.

size_t alphaScalar(uint8_t* t, const uint8_t* p, const uint8_t* g, size_t i, size_t bytes, int32_t a) {
    for (; i < bytes; ++i) t[i] = uint8_t((p[i] * a + g[i] * (256 - a)) >> 8);
    return i;
}

size_t maskedScalar(uint8_t* t, const uint8_t* p, const uint8_t* m, size_t i, size_t bytes, int32_t a) {
    for (; i < bytes; ++i) {
        const int32_t below = t[i];
        int32_t v = (p[i] * m[i] + below * (255 - m[i])) >> 8;
        if (a != 0) v = (v * a + below * (256 - a)) >> 8;
        t[i] = uint8_t(v);
    }
    return i;
}

#if defined(__SSE2__)
// Products and their sum stay within 16 bits (at most 255 * 256), so the low halves of the
// products are exact.
inline __m128i blend16(__m128i s, __m128i sw, __m128i d, __m128i dw) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(s, sw), _mm_mullo_epi16(d, dw)), 8);
}

size_t alphaSse2(uint8_t* t, const uint8_t* p, const uint8_t* g, size_t i, size_t bytes, int32_t a) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i wa = _mm_set1_epi16(int16_t(a));
    const __m128i wb = _mm_set1_epi16(int16_t(256 - a));
    for (; i + 16 <= bytes; i += 16) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(g + i));
        const __m128i lo = blend16(_mm_unpacklo_epi8(s, zero), wa, _mm_unpacklo_epi8(d, zero), wb);
        const __m128i hi = blend16(_mm_unpackhi_epi8(s, zero), wa, _mm_unpackhi_epi8(d, zero), wb);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t + i), _mm_packus_epi16(lo, hi));
    }
    return i;
}

size_t maskedSse2(uint8_t* t, const uint8_t* p, const uint8_t* m, size_t i, size_t bytes, int32_t a) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_set1_epi8(char(0xFF));
    const __m128i wa = _mm_set1_epi16(int16_t(a));
    const __m128i wb = _mm_set1_epi16(int16_t(256 - a));
    for (; i + 16 <= bytes; i += 16) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + i));
        const __m128i iw = _mm_xor_si128(w, ones);  // 255 - m
        const __m128i dlo = _mm_unpacklo_epi8(d, zero);
        const __m128i dhi = _mm_unpackhi_epi8(d, zero);
        __m128i lo = blend16(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(w, zero), dlo, _mm_unpacklo_epi8(iw, zero));
        __m128i hi = blend16(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(w, zero), dhi, _mm_unpackhi_epi8(iw, zero));
        if (a != 0) {
            lo = blend16(lo, wa, dlo, wb);
            hi = blend16(hi, wa, dhi, wb);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t + i), _mm_packus_epi16(lo, hi));
    }
    return i;
}
#else
size_t alphaSse2(uint8_t*, const uint8_t*, const uint8_t*, size_t i, size_t, int32_t) { return i; }
size_t maskedSse2(uint8_t*, const uint8_t*, const uint8_t*, size_t i, size_t, int32_t) { return i; }
#endif

#if ZRE_ROW_AVX2
// Unpacking and packing both work within 128-bit lanes, so the byte order comes out as it
// went in.
__attribute__((target("avx2"))) inline __m256i blend32(__m256i s, __m256i sw, __m256i d, __m256i dw) {
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(s, sw), _mm256_mullo_epi16(d, dw)), 8);
}

// For 0 < a < 256, (p * a + g * (256 - a)) >> 8 = g + floor((p - g) * a / 256), and the
// floor is what the high half of the signed product (2 (p - g)) * (128 a) gives: one
// multiply per 16 bytes instead of two.
__attribute__((target("avx2"))) size_t alphaAvx2(uint8_t* t, const uint8_t* p, const uint8_t* g, size_t i,
                                                 size_t bytes, int32_t a) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i w = _mm256_set1_epi16(int16_t(a << 7));
    for (; i + 32 <= bytes; i += 32) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(g + i));
        const __m256i dlo = _mm256_unpacklo_epi8(d, zero);
        const __m256i dhi = _mm256_unpackhi_epi8(d, zero);
        const __m256i difLo = _mm256_slli_epi16(_mm256_sub_epi16(_mm256_unpacklo_epi8(s, zero), dlo), 1);
        const __m256i difHi = _mm256_slli_epi16(_mm256_sub_epi16(_mm256_unpackhi_epi8(s, zero), dhi), 1);
        const __m256i lo = _mm256_add_epi16(dlo, _mm256_mulhi_epi16(difLo, w));
        const __m256i hi = _mm256_add_epi16(dhi, _mm256_mulhi_epi16(difHi, w));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(t + i), _mm256_packus_epi16(lo, hi));
    }
    return i;
}

__attribute__((target("avx2"))) size_t maskedAvx2(uint8_t* t, const uint8_t* p, const uint8_t* m, size_t i,
                                                  size_t bytes, int32_t a) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i ones = _mm256_set1_epi8(char(0xFF));
    const __m256i wa = _mm256_set1_epi16(int16_t(a));
    const __m256i wb = _mm256_set1_epi16(int16_t(256 - a));
    for (; i + 32 <= bytes; i += 32) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + i));
        const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m + i));
        const __m256i iw = _mm256_xor_si256(w, ones);
        const __m256i dlo = _mm256_unpacklo_epi8(d, zero);
        const __m256i dhi = _mm256_unpackhi_epi8(d, zero);
        __m256i lo = blend32(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(w, zero), dlo,
                             _mm256_unpacklo_epi8(iw, zero));
        __m256i hi = blend32(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(w, zero), dhi,
                             _mm256_unpackhi_epi8(iw, zero));
        if (a != 0) {
            lo = blend32(lo, wa, dlo, wb);
            hi = blend32(hi, wa, dhi, wb);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(t + i), _mm256_packus_epi16(lo, hi));
    }
    return i;
}
#endif

using AlphaForm = size_t (*)(uint8_t* t, const uint8_t* p, const uint8_t* g, size_t i, size_t bytes, int32_t a);
using MaskedForm = size_t (*)(uint8_t* t, const uint8_t* p, const uint8_t* m, size_t i, size_t bytes, int32_t a);

// The widest forms this processor runs; the SSE2 and byte forms finish what they leave.
struct WideForms {
    AlphaForm alpha;
    MaskedForm masked;
};

const WideForms& wideForms() {
    static const WideForms chosen = [] {
#if ZRE_ROW_AVX2
        if (__builtin_cpu_supports("avx2")) return WideForms{alphaAvx2, maskedAvx2};
#endif
        return WideForms{alphaSse2, maskedSse2};
    }();
    return chosen;
}

} // namespace

void blendRowAlpha(uint8_t* t, const uint8_t* p, const uint8_t* g, size_t bytes, int32_t a) {
    // The end weights give one of the two rows unchanged: (g * 256) >> 8 = g, (p * 256) >> 8 = p.
    if (a == 0 || a == 256) {
        const uint8_t* whole = a == 0 ? g : p;
        if (whole != t) std::memmove(t, whole, bytes);
        return;
    }
    // A weight outside 0..256 (a script's fade can end anywhere) keeps the 16-bit lanes of
    // SSE2 and the byte formula it has always had; the AVX2 form is exact only inside.
    size_t i = a > 0 && a < 256 ? wideForms().alpha(t, p, g, 0, bytes, a) : 0;
    i = alphaSse2(t, p, g, i, bytes, a);
    alphaScalar(t, p, g, i, bytes, a);
}

void blendRowMasked(uint8_t* t, const uint8_t* p, const uint8_t* m, size_t bytes, int32_t a) {
    size_t i = wideForms().masked(t, p, m, 0, bytes, a);
    i = maskedSse2(t, p, m, i, bytes, a);
    maskedScalar(t, p, m, i, bytes, a);
}

void copyRowKeyed(uint8_t* t, const uint8_t* p, size_t pixels, uint32_t key, int32_t a) {
    const uint8_t kb = uint8_t(key >> 16), kg = uint8_t(key >> 8), kr = uint8_t(key);
    for (size_t i = 0; i < pixels; ++i, t += 3, p += 3) {
        if (p[0] == kb && p[1] == kg && p[2] == kr) continue;
        if (a == 0) {
            t[0] = p[0];
            t[1] = p[1];
            t[2] = p[2];
        } else {
            for (int c = 0; c < 3; ++c) t[c] = uint8_t((p[c] * a + t[c] * (256 - a)) >> 8);
        }
    }
}

} // namespace zre
