// Internal to the library: the 16-lane value types of AVX-512F (ktFloat16, ktMask16, ktDouble16), with
// the operations and names of ktFloat4 (math/ktLanes.h), so the formulas of math/ktFormulas.h run on
// them unchanged. Only for source files compiled for AVX-512F (-mavx512f), whose functions
// the program calls only after it has checked that the processor and the operating system support
// AVX-512F. Only AVX-512F instructions are used (no DQ or VL). Every lane performs the IEEE
// single-precision operation that float performs; double steps go through double lanes. Internal
// linkage throughout, for the reason given in math/ktLanes.h.
#ifndef KT_MATH_KTLANESAVX512_H
#define KT_MATH_KTLANESAVX512_H

// AVX-512F brings fused multiply-add with it (clang drops AVX-512F when told -mno-fma). No
// operation here fuses, and -ffp-contract=off keeps the compiler from fusing a product and a sum.
#if !defined(__AVX512F__)
#error "math/ktLanesAvx512.h needs -mavx512f"
#endif

// GCC 12's AVX-512 intrinsics initialise their "undefined" operands from themselves, which its
// own -Wuninitialized reports wherever they are inlined. The warning is wrong there; it is turned
// off for the rest of the (kernel) file that includes this header.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "math/ktLanes.h"

namespace {

struct ktMask16 {
    __mmask16 v;  // bit l set where the comparison holds in lane l
};

struct ktDouble16 {
    __m512d lo, hi;  // lanes 0 .. 7 and 8 .. 15
    ktDouble16() = default;
    ktDouble16(__m512d l, __m512d h) : lo(l), hi(h) {}
    explicit ktDouble16(double s) : lo(_mm512_set1_pd(s)), hi(lo) {}
    static ktDouble16 load(const double* p) { return ktDouble16(_mm512_loadu_pd(p), _mm512_loadu_pd(p + 8)); }
};

struct ktFloat16 {
    static constexpr int width = 16;
    __m512 v;
    ktFloat16() = default;
    explicit ktFloat16(__m512 a) : v(a) {}
    explicit ktFloat16(float s) : v(_mm512_set1_ps(s)) {}

    static ktFloat16 load(const float* p) { return ktFloat16(_mm512_loadu_ps(p)); }
    void store(float* p) const { _mm512_storeu_ps(p, v); }
    static ktFloat16 fromInts(const int* p) { return ktFloat16(_mm512_cvtepi32_ps(_mm512_loadu_si512(p))); }
    // Lanes 0 .. 7 and 8 .. 15 as 256-bit halves.
    __m256 lowHalf() const { return _mm512_castps512_ps256(v); }
    __m256 highHalf() const { return _mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(v), 1)); }
    static ktFloat16 fromHalves(__m256 low, __m256 high) {
        return ktFloat16(_mm512_castpd_ps(
            _mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_castps_pd(low)), _mm256_castps_pd(high), 1)));
    }
};

inline ktFloat16 operator+(ktFloat16 a, ktFloat16 b) { return ktFloat16(_mm512_add_ps(a.v, b.v)); }
inline ktFloat16 operator-(ktFloat16 a, ktFloat16 b) { return ktFloat16(_mm512_sub_ps(a.v, b.v)); }
inline ktFloat16 operator*(ktFloat16 a, ktFloat16 b) { return ktFloat16(_mm512_mul_ps(a.v, b.v)); }
inline ktFloat16 operator/(ktFloat16 a, ktFloat16 b) { return ktFloat16(_mm512_div_ps(a.v, b.v)); }
inline ktFloat16 operator-(ktFloat16 a) {
    return ktFloat16(_mm512_castsi512_ps(_mm512_xor_si512(_mm512_castps_si512(a.v), _mm512_set1_epi32(INT32_MIN))));
}
// The predicates of SSE's cmpeq, cmplt and cmpge: NaN compares false.
inline ktMask16 operator==(ktFloat16 a, ktFloat16 b) { return ktMask16{_mm512_cmp_ps_mask(a.v, b.v, _CMP_EQ_OQ)}; }
inline ktMask16 operator<(ktFloat16 a, ktFloat16 b) { return ktMask16{_mm512_cmp_ps_mask(a.v, b.v, _CMP_LT_OS)}; }
inline ktMask16 operator>=(ktFloat16 a, ktFloat16 b) { return ktMask16{_mm512_cmp_ps_mask(a.v, b.v, _CMP_GE_OS)}; }
inline ktMask16 operator&(ktMask16 a, ktMask16 b) { return ktMask16{static_cast<__mmask16>(a.v & b.v)}; }
inline ktMask16 operator|(ktMask16 a, ktMask16 b) { return ktMask16{static_cast<__mmask16>(a.v | b.v)}; }
// _mm512_mask_blend_ps takes its second operand where the mask bit is clear, its third where set.
inline ktFloat16 ktSelect(ktMask16 m, ktFloat16 a, ktFloat16 b) { return ktFloat16(_mm512_mask_blend_ps(m.v, b.v, a.v)); }
inline int ktMaskBits(ktMask16 m) { return static_cast<int>(m.v); }
inline ktFloat16 ktSqrt(ktFloat16 a) { return ktFloat16(_mm512_sqrt_ps(a.v)); }

inline ktDouble16 operator+(ktDouble16 a, ktDouble16 b) {
    return ktDouble16(_mm512_add_pd(a.lo, b.lo), _mm512_add_pd(a.hi, b.hi));
}
inline ktDouble16 operator-(ktDouble16 a, ktDouble16 b) {
    return ktDouble16(_mm512_sub_pd(a.lo, b.lo), _mm512_sub_pd(a.hi, b.hi));
}
inline ktDouble16 operator*(ktDouble16 a, ktDouble16 b) {
    return ktDouble16(_mm512_mul_pd(a.lo, b.lo), _mm512_mul_pd(a.hi, b.hi));
}
inline ktDouble16 ktWiden(ktFloat16 a) {
    return ktDouble16(_mm512_cvtps_pd(a.lowHalf()), _mm512_cvtps_pd(a.highHalf()));
}
inline ktFloat16 ktNarrow(ktDouble16 a) {
    return ktFloat16::fromHalves(_mm512_cvtpd_ps(a.lo), _mm512_cvtpd_ps(a.hi));
}

inline ktMask16 ktSameBits(ktFloat16 a, ktFloat16 b) {
    return ktMask16{_mm512_cmpeq_epi32_mask(_mm512_castps_si512(a.v), _mm512_castps_si512(b.v))};
}
inline void ktLoadInts(const int* p, ktFloat16& out) { out = ktFloat16::fromInts(p); }
inline ktFloat16 ktGatherWhere(ktMask16 mask, ktFloat16 fallback, const float* base, ktFloat16 index) {
    return ktFloat16(_mm512_mask_i32gather_ps(fallback.v, mask.v, _mm512_cvttps_epi32(index.v), base, 4));
}

// Sixteen packed vertices are the 48 floats m0, m1, m2 (sixteen each): coordinate c of vertex l
// is float 3 l + c, at register position (3 l + c) mod 16, and as for eight vertices
// (math/ktLanesAvx2.h) those positions differ between the registers for one coordinate: two
// masked blends and one permutation per coordinate, each way. Moves only: no value changes.
// Position sets: 0x9249 holds the positions p with p mod 3 = 0, 0x2492 those with 1, 0x4924 with 2.
inline void ktLoadVertices(const ktVec3f* v, ktFloat16& x, ktFloat16& y, ktFloat16& z) {
    const float* f = &v->x;
    const __m512 m0 = _mm512_loadu_ps(f), m1 = _mm512_loadu_ps(f + 16), m2 = _mm512_loadu_ps(f + 32);
    const __m512 bx = _mm512_mask_blend_ps(0x2492, _mm512_mask_blend_ps(0x4924, m0, m1), m2);
    const __m512 by = _mm512_mask_blend_ps(0x4924, _mm512_mask_blend_ps(0x9249, m0, m1), m2);
    const __m512 bz = _mm512_mask_blend_ps(0x9249, _mm512_mask_blend_ps(0x2492, m0, m1), m2);
    x.v = _mm512_permutexvar_ps(_mm512_setr_epi32(0, 3, 6, 9, 12, 15, 2, 5, 8, 11, 14, 1, 4, 7, 10, 13), bx);
    y.v = _mm512_permutexvar_ps(_mm512_setr_epi32(1, 4, 7, 10, 13, 0, 3, 6, 9, 12, 15, 2, 5, 8, 11, 14), by);
    z.v = _mm512_permutexvar_ps(_mm512_setr_epi32(2, 5, 8, 11, 14, 1, 4, 7, 10, 13, 0, 3, 6, 9, 12, 15), bz);
}

// The three registers of packed floats of sixteen vertices, in memory order.
inline void ktPackVertices(ktFloat16 x, ktFloat16 y, ktFloat16 z, __m512 (&m)[3]) {
    const __m512 bx = _mm512_permutexvar_ps(_mm512_setr_epi32(0, 11, 6, 1, 12, 7, 2, 13, 8, 3, 14, 9, 4, 15, 10, 5), x.v);
    const __m512 by = _mm512_permutexvar_ps(_mm512_setr_epi32(5, 0, 11, 6, 1, 12, 7, 2, 13, 8, 3, 14, 9, 4, 15, 10), y.v);
    const __m512 bz = _mm512_permutexvar_ps(_mm512_setr_epi32(10, 5, 0, 11, 6, 1, 12, 7, 2, 13, 8, 3, 14, 9, 4, 15), z.v);
    m[0] = _mm512_mask_blend_ps(0x4924, _mm512_mask_blend_ps(0x2492, bx, by), bz);
    m[1] = _mm512_mask_blend_ps(0x2492, _mm512_mask_blend_ps(0x9249, bx, by), bz);
    m[2] = _mm512_mask_blend_ps(0x9249, _mm512_mask_blend_ps(0x4924, bx, by), bz);
}
inline void ktStoreVertices(ktVec3f* v, ktFloat16 x, ktFloat16 y, ktFloat16 z) {
    __m512 m[3];
    ktPackVertices(x, y, z, m);
    float* f = &v->x;
    for (int r = 0; r < 3; r++) _mm512_storeu_ps(f + 16 * r, m[r]);
}

// The floats of the vertices whose bit is set in an 8-bit index: bits 3 l, 3 l + 1, 3 l + 2 for
// vertex l.
struct ktVertexFloatBits {
    uint32_t bits[256];
    constexpr ktVertexFloatBits() : bits() {
        for (int b = 0; b < 256; b++)
            for (int l = 0; l < 8; l++)
                if (b & (1 << l)) bits[b] |= 7u << (3 * l);
    }
};
constexpr ktVertexFloatBits ktVertexFloats;

template <int N>
inline void ktStoreVerticesWhere(ktVec3f* const (&to)[N], int at, int lanes, ktFloat16 x, ktFloat16 y,
                                 ktFloat16 z) {
    __m512 m[3];
    ktPackVertices(x, y, z, m);
    const uint64_t floats =
        ktVertexFloats.bits[lanes & 0xff] | uint64_t{ktVertexFloats.bits[(lanes >> 8) & 0xff]} << 24;
    for (ktVec3f* v : to) {
        float* f = &v[at].x;
        for (int r = 0; r < 3; r++)
            _mm512_mask_storeu_ps(f + 16 * r, static_cast<__mmask16>(floats >> (16 * r)), m[r]);
    }
}

}  // namespace

#endif
