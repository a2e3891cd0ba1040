// Quick sines and cosines for the AVX-512 mesh pass, and the proof that lets it keep them.
//
// The library's sin and cos of a changed angle cost about 14 ns each, and a draping cloth changes
// thousands of angles per pass. A quick pair here takes a handful of additions and multiplications
// in double lanes and lies within drapoQuickError of the library's pair, relative (an error bound
// that the tests check against the library). That does not give the library's bits; what the
// vertex needs is only its floats, and a product of quick factors lies within a small distance of
// the product of the library's. Where no tie between two floats lies within that distance, both
// products round to the same float, so the vertex is the library's vertex. Lanes without that
// proof get the library's pairs and are computed again.
//
// Only for the AVX-512F mesh kernel: include it before demo/drapoMeshKernel.h, whose group code
// then takes these overloads for 16-lane groups.
#ifndef KT_DEMO_DRAPOQUICKSINES_H
#define KT_DEMO_DRAPOQUICKSINES_H

#include "demo/drapoMesh.h"
#include "math/ktLanesAvx512.h"

namespace {

// Angles within this size get quick pairs; any other (and NaN) gets the library's.
const double drapoQuickLimit = 32.0;
// Quick pairs lie within this of the library's, relative.
const double drapoQuickError = 1.0 / (1ull << 44);
// A product of two quick factors lies within 2 drapoQuickError + 4 roundings of the library's
// product, relative: less than 2^-42.9, which is 2^10.1 units in the last place of a double in the
// same binade. A double whose 29 bits below float precision lie more than drapoTieMargin units from
// the half-way pattern rounds to the same float as every double within that distance.
const long long drapoTieMargin = 1ll << 12;
// How many passes a group's angles must stay before its quick pairs give way to the library's.
const int drapoRestPasses = 4;

template <>
struct drapoQuickGroups<ktFloat16> {
    static constexpr bool value = true;
};

// Coefficients of the series in r^2, highest power first: sin r = r + r^3 (-1/3! + r^2 / 5! - ...)
// and cos r = 1 - r^2 (1/2! - r^2 / 4! + ...).
const double drapoSineTerms[] = {1.0 / 6227020800.0, -1.0 / 39916800.0, 1.0 / 362880.0,
                                 -1.0 / 5040.0,      1.0 / 120.0,       -1.0 / 6.0};
const double drapoCosineTerms[] = {
    1.0 / 87178291200.0, -1.0 / 479001600.0, 1.0 / 3628800.0, -1.0 / 40320.0, 1.0 / 720.0, -1.0 / 24.0, 0.5};

// The polynomial with these coefficients at x, by Horner's rule (products and sums rounded apart).
template <int N>
inline __m512d drapoHorner(__m512d x, const double (&terms)[N]) {
    __m512d p = _mm512_set1_pd(terms[0]);
    for (int i = 1; i < N; i++) p = _mm512_add_pd(_mm512_mul_pd(p, x), _mm512_set1_pd(terms[i]));
    return p;
}

// a = k pi/2 + r with |r| <= pi/4: pi/2 in three parts of 33 bits, so that k times each part is
// exact for the small k here and r keeps its relative precision next to a multiple of pi/2.
inline void drapoQuickPair(__m512d a, __m512d& sine, __m512d& cosine) {
    const __m512d k = _mm512_roundscale_pd(_mm512_mul_pd(a, _mm512_set1_pd(0.63661977236758134308)),
                                           _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    __m512d r = _mm512_sub_pd(a, _mm512_mul_pd(k, _mm512_set1_pd(1.57079632673412561417e+00)));
    r = _mm512_sub_pd(r, _mm512_mul_pd(k, _mm512_set1_pd(6.07710050630396597660e-11)));
    r = _mm512_sub_pd(r, _mm512_mul_pd(k, _mm512_set1_pd(2.02226624871116645580e-21)));
    const __m512d r2 = _mm512_mul_pd(r, r);
    // Taylor series to r^13 and r^14: on |r| <= pi/4 the next terms stay below 2^-45.
    const __m512d sr = _mm512_add_pd(r, _mm512_mul_pd(_mm512_mul_pd(r, r2), drapoHorner(r2, drapoSineTerms)));
    const __m512d cp = drapoHorner(r2, drapoCosineTerms);
    const __m512d cr = _mm512_sub_pd(_mm512_set1_pd(1.0), _mm512_mul_pd(r2, cp));
    // Quadrant k mod 4: odd k swaps sine and cosine; k = 2, 3 negate the sine, k = 1, 2 the cosine.
    const __m512i q = _mm512_cvtepi32_epi64(_mm512_cvtpd_epi32(k));
    const __mmask8 odd = _mm512_test_epi64_mask(q, _mm512_set1_epi64(1));
    const __mmask8 sineNegative = _mm512_test_epi64_mask(q, _mm512_set1_epi64(2));
    const __mmask8 cosineNegative =
        _mm512_test_epi64_mask(_mm512_add_epi64(q, _mm512_set1_epi64(1)), _mm512_set1_epi64(2));
    const __m512i sign = _mm512_set1_epi64(static_cast<long long>(0x8000000000000000ull));
    const __m512i s = _mm512_castpd_si512(_mm512_mask_blend_pd(odd, sr, cr));
    const __m512i c = _mm512_castpd_si512(_mm512_mask_blend_pd(odd, cr, sr));
    sine = _mm512_castsi512_pd(_mm512_mask_xor_epi64(s, sineNegative, s, sign));
    cosine = _mm512_castsi512_pd(_mm512_mask_xor_epi64(c, cosineNegative, c, sign));
}

inline __mmask8 drapoQuickDomain(__m512d a) {
    return _mm512_cmp_pd_mask(_mm512_abs_pd(a), _mm512_set1_pd(drapoQuickLimit), _CMP_LE_OQ);
}

// The library's pairs for the listed lanes of the group from knob k (rarely many).
__attribute__((noinline)) void drapoRememberLanes(drapoAngleMemo& memo, int k, const float* angles,
                                                  int lanes) {
    for (; lanes != 0; lanes &= lanes - 1) {
        const int l = __builtin_ctz(static_cast<unsigned>(lanes));
        drapoRememberAngle(memo, k + l, angles[l]);
    }
}

// The group from knob k takes its changed angles (lanes `changed`): quick pairs where they may, the
// library's elsewhere. Returns the group's quick lanes.
__attribute__((noinline)) int drapoRefreshPairs(drapoAngleMemo& memo, int k, ktFloat16 angle, int changed) {
    memo.rest[k] = 0;
    const ktDouble16 a = ktWiden(angle);
    const int fresh = changed & (drapoQuickDomain(a.lo) | drapoQuickDomain(a.hi) << 8);
    if (const int slow = changed & ~fresh) {
        alignas(64) float angles[16];
        angle.store(angles);
        drapoRememberLanes(memo, k, angles, slow);
    }
    const __mmask8 freshLo = static_cast<__mmask8>(fresh), freshHi = static_cast<__mmask8>(fresh >> 8);
    __m512d s, c;
    // Whole registers are stored, so that the caller's loads of them are forwarded from the stores.
    if (freshLo != 0) {
        drapoQuickPair(a.lo, s, c);
        _mm512_storeu_pd(memo.s + k, _mm512_mask_blend_pd(freshLo, _mm512_loadu_pd(memo.s + k), s));
        _mm512_storeu_pd(memo.c + k, _mm512_mask_blend_pd(freshLo, _mm512_loadu_pd(memo.c + k), c));
    }
    if (freshHi != 0) {
        drapoQuickPair(a.hi, s, c);
        _mm512_storeu_pd(memo.s + k + 8, _mm512_mask_blend_pd(freshHi, _mm512_loadu_pd(memo.s + k + 8), s));
        _mm512_storeu_pd(memo.c + k + 8, _mm512_mask_blend_pd(freshHi, _mm512_loadu_pd(memo.c + k + 8), c));
    }
    angle.store(memo.key + k);
    memo.hasQuick = memo.hasQuick || fresh != 0;
    const int quick = (drapoQuickLanes(memo, k, 16) & ~changed) | fresh;
    drapoSetLaneBits(memo.quick, k, 16, quick);
    return quick;
}

// The pairs of the group from knob k from its memo, and the lanes whose pairs are quick ones. A
// group whose angles have rested for drapoRestPasses passes gets the library's pairs for its quick
// ones.
inline __attribute__((always_inline)) int drapoPairsOf(drapoAngleMemo& memo, int k, ktFloat16 angle,
                                                       ktDouble16& sine, ktDouble16& cosine) {
    const int changed = ~ktMaskBits(ktSameBits(angle, ktFloat16::load(memo.key + k))) & 0xffff;
    int quick;
    if (changed != 0) {
        quick = drapoRefreshPairs(memo, k, angle, changed);
    } else if ((quick = drapoQuickLanes(memo, k, 16)) != 0 && ++memo.rest[k] >= drapoRestPasses) {
        drapoRememberLanes(memo, k, memo.key + k, quick);
        quick = 0;
        memo.rest[k] = 0;
    }
    sine = ktDouble16::load(memo.s + k);
    cosine = ktDouble16::load(memo.c + k);
    return quick;
}

// Lanes of a double product that may round to another float than a product within drapoTieMargin
// units of it: those whose 29 bits below float precision lie near the half-way pattern.
inline __mmask8 drapoNearTie(__m512d p) {
    const __m512i low = _mm512_and_si512(_mm512_castpd_si512(p), _mm512_set1_epi64(0x1fffffff));
    return _mm512_cmplt_epu64_mask(_mm512_sub_epi64(low, _mm512_set1_epi64((1ll << 28) - drapoTieMargin)),
                                   _mm512_set1_epi64(2 * drapoTieMargin));
}
// Lanes whose float lies outside [2^-125, FLT_MAX] in size (or is NaN): there the float grid is not
// the one that the bits below float precision assume, so no proof is attempted.
inline __mmask16 drapoOutsideProof(ktFloat16 f) {
    const __m512 size = _mm512_abs_ps(f.v);
    return static_cast<__mmask16>(~(_mm512_cmp_ps_mask(size, _mm512_set1_ps(0x1p-125f), _CMP_GE_OQ) &
                                    _mm512_cmp_ps_mask(size, _mm512_set1_ps(3.40282347e+38f), _CMP_LE_OQ)));
}
// Lanes whose vertex (products x, y, z and their floats) quick factors may have changed.
inline int drapoRiskyLanes(ktDouble16 x, ktDouble16 y, ktDouble16 z, ktFloat16 xf, ktFloat16 yf,
                           ktFloat16 zf) {
    const int lo = drapoNearTie(x.lo) | drapoNearTie(y.lo) | drapoNearTie(z.lo);
    const int hi = drapoNearTie(x.hi) | drapoNearTie(y.hi) | drapoNearTie(z.hi);
    return (lo | hi << 8 | drapoOutsideProof(xf) | drapoOutsideProof(yf) | drapoOutsideProof(zf)) & 0xffff;
}

}  // namespace

#endif
