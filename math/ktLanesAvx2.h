// Internal to the library: the 8-lane value types of AVX2 (ktFloat8, ktMask8, ktDouble8), with the
// operations and names of ktFloat4 (math/ktLanes.h), so the formulas of math/ktFormulas.h run on
// them unchanged. Only for source files compiled for AVX2 (-mavx2 -mno-fma), whose functions the
// program calls only after it has checked that the processor has AVX2. Every lane performs the
// IEEE single-precision operation that float performs; double steps go through double lanes.
// Internal linkage throughout, for the reason given in math/ktLanes.h.
#ifndef KT_MATH_KTLANESAVX2_H
#define KT_MATH_KTLANESAVX2_H

// No operation here fuses a product and a sum, and -ffp-contract=off keeps the compiler from doing
// so, also where the target has fused multiply-add.
#if !defined(__AVX2__)
#error "math/ktLanesAvx2.h needs -mavx2"
#endif

#include <immintrin.h>

#include "math/ktLanes.h"

namespace {

struct ktMask8 {
    __m256 v;  // all bits set in a lane where the comparison holds
};

struct ktDouble8 {
    __m256d lo, hi;  // lanes 0 .. 3 and 4 .. 7
    ktDouble8() = default;
    ktDouble8(__m256d l, __m256d h) : lo(l), hi(h) {}
    explicit ktDouble8(double s) : lo(_mm256_set1_pd(s)), hi(lo) {}
    static ktDouble8 load(const double* p) { return ktDouble8(_mm256_loadu_pd(p), _mm256_loadu_pd(p + 4)); }
};

struct ktFloat8 {
    static constexpr int width = 8;
    __m256 v;
    ktFloat8() = default;
    explicit ktFloat8(__m256 a) : v(a) {}
    explicit ktFloat8(float s) : v(_mm256_set1_ps(s)) {}
    // Lanes 0 .. 3 from `low`, 4 .. 7 from `high`.
    ktFloat8(ktFloat4 low, ktFloat4 high) : v(_mm256_insertf128_ps(_mm256_castps128_ps256(low.v), high.v, 1)) {}

    static ktFloat8 load(const float* p) { return ktFloat8(_mm256_loadu_ps(p)); }
    void store(float* p) const { _mm256_storeu_ps(p, v); }
    static ktFloat8 fromInts(const int* p) {
        return ktFloat8(_mm256_cvtepi32_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))));
    }
    ktFloat4 low() const { return ktFloat4(_mm256_castps256_ps128(v)); }
    ktFloat4 high() const { return ktFloat4(_mm256_extractf128_ps(v, 1)); }
};

inline ktFloat8 operator+(ktFloat8 a, ktFloat8 b) { return ktFloat8(_mm256_add_ps(a.v, b.v)); }
inline ktFloat8 operator-(ktFloat8 a, ktFloat8 b) { return ktFloat8(_mm256_sub_ps(a.v, b.v)); }
inline ktFloat8 operator*(ktFloat8 a, ktFloat8 b) { return ktFloat8(_mm256_mul_ps(a.v, b.v)); }
inline ktFloat8 operator/(ktFloat8 a, ktFloat8 b) { return ktFloat8(_mm256_div_ps(a.v, b.v)); }
inline ktFloat8 operator-(ktFloat8 a) { return ktFloat8(_mm256_xor_ps(a.v, _mm256_set1_ps(-0.0f))); }
// The predicates of SSE's cmpeq, cmplt and cmpge: NaN compares false.
inline ktMask8 operator==(ktFloat8 a, ktFloat8 b) { return ktMask8{_mm256_cmp_ps(a.v, b.v, _CMP_EQ_OQ)}; }
inline ktMask8 operator<(ktFloat8 a, ktFloat8 b) { return ktMask8{_mm256_cmp_ps(a.v, b.v, _CMP_LT_OS)}; }
inline ktMask8 operator>=(ktFloat8 a, ktFloat8 b) { return ktMask8{_mm256_cmp_ps(a.v, b.v, _CMP_GE_OS)}; }
inline ktMask8 operator&(ktMask8 a, ktMask8 b) { return ktMask8{_mm256_and_ps(a.v, b.v)}; }
inline ktMask8 operator|(ktMask8 a, ktMask8 b) { return ktMask8{_mm256_or_ps(a.v, b.v)}; }
inline ktFloat8 ktSelect(ktMask8 m, ktFloat8 a, ktFloat8 b) { return ktFloat8(_mm256_blendv_ps(b.v, a.v, m.v)); }
inline int ktMaskBits(ktMask8 m) { return _mm256_movemask_ps(m.v); }
inline ktFloat8 ktSqrt(ktFloat8 a) { return ktFloat8(_mm256_sqrt_ps(a.v)); }

inline ktDouble8 operator+(ktDouble8 a, ktDouble8 b) {
    return ktDouble8(_mm256_add_pd(a.lo, b.lo), _mm256_add_pd(a.hi, b.hi));
}
inline ktDouble8 operator-(ktDouble8 a, ktDouble8 b) {
    return ktDouble8(_mm256_sub_pd(a.lo, b.lo), _mm256_sub_pd(a.hi, b.hi));
}
inline ktDouble8 operator*(ktDouble8 a, ktDouble8 b) {
    return ktDouble8(_mm256_mul_pd(a.lo, b.lo), _mm256_mul_pd(a.hi, b.hi));
}
inline ktDouble8 ktWiden(ktFloat8 a) {
    return ktDouble8(_mm256_cvtps_pd(a.low().v), _mm256_cvtps_pd(a.high().v));
}
inline ktFloat8 ktNarrow(ktDouble8 a) {
    return ktFloat8(ktFloat4(_mm256_cvtpd_ps(a.lo)), ktFloat4(_mm256_cvtpd_ps(a.hi)));
}

inline ktMask8 ktSameBits(ktFloat8 a, ktFloat8 b) {
    return ktMask8{_mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_castps_si256(a.v), _mm256_castps_si256(b.v)))};
}
inline void ktLoadInts(const int* p, ktFloat8& out) { out = ktFloat8::fromInts(p); }
inline ktFloat8 ktGatherWhere(ktMask8 mask, ktFloat8 fallback, const float* base, ktFloat8 index) {
    return ktFloat8(_mm256_mask_i32gather_ps(fallback.v, base, _mm256_cvttps_epi32(index.v), mask.v, 4));
}

// Eight packed vertices are the 24 floats m0, m1, m2 (eight each): coordinate c of vertex l is
// float 3 l + c, at register position (3 l + c) mod 8. Those positions differ between the three
// registers for one coordinate (x at 0, 3, 6 of m0, at 1, 4, 7 of m1 and at 2, 5 of m2), so two
// blends gather a coordinate into one register and one permutation puts it into vertex order; the
// store runs the same steps backwards. Moves only: no value changes.
inline void ktLoadVertices(const ktVec3f* v, ktFloat8& x, ktFloat8& y, ktFloat8& z) {
    const float* f = &v->x;
    const __m256 m0 = _mm256_loadu_ps(f), m1 = _mm256_loadu_ps(f + 8), m2 = _mm256_loadu_ps(f + 16);
    const __m256 bx = _mm256_blend_ps(_mm256_blend_ps(m0, m1, 0x92), m2, 0x24);
    const __m256 by = _mm256_blend_ps(_mm256_blend_ps(m0, m1, 0x24), m2, 0x49);
    const __m256 bz = _mm256_blend_ps(_mm256_blend_ps(m0, m1, 0x49), m2, 0x92);
    x.v = _mm256_permutevar8x32_ps(bx, _mm256_setr_epi32(0, 3, 6, 1, 4, 7, 2, 5));
    y.v = _mm256_permutevar8x32_ps(by, _mm256_setr_epi32(1, 4, 7, 2, 5, 0, 3, 6));
    z.v = _mm256_permutevar8x32_ps(bz, _mm256_setr_epi32(2, 5, 0, 3, 6, 1, 4, 7));
}

inline void ktStoreVertices(ktVec3f* v, ktFloat8 x, ktFloat8 y, ktFloat8 z) {
    float* f = &v->x;
    const __m256 bx = _mm256_permutevar8x32_ps(x.v, _mm256_setr_epi32(0, 3, 6, 1, 4, 7, 2, 5));
    const __m256 by = _mm256_permutevar8x32_ps(y.v, _mm256_setr_epi32(5, 0, 3, 6, 1, 4, 7, 2));
    const __m256 bz = _mm256_permutevar8x32_ps(z.v, _mm256_setr_epi32(2, 5, 0, 3, 6, 1, 4, 7));
    _mm256_storeu_ps(f, _mm256_blend_ps(_mm256_blend_ps(bx, by, 0x92), bz, 0x24));
    _mm256_storeu_ps(f + 8, _mm256_blend_ps(_mm256_blend_ps(bx, by, 0x24), bz, 0x49));
    _mm256_storeu_ps(f + 16, _mm256_blend_ps(_mm256_blend_ps(bx, by, 0x49), bz, 0x92));
}

}  // namespace

#endif
