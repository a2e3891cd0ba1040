// The quick pairs' operations on AVX2 registers (four double lanes, half of an 8-lane group), for
// the AVX2 mesh kernel: include it before demo/drapoMeshKernel.h.
#ifndef KT_DEMO_DRAPOQUICKOPSAVX2_H
#define KT_DEMO_DRAPOQUICKOPSAVX2_H

// clang-format off
#include "math/ktLanesAvx2.h"
#include "demo/drapoQuickSines.h"
// clang-format on

namespace {

template <>
struct drapoQuickGroups<ktFloat8> {
    static constexpr bool value = true;
    // Quick pairs pay only while many angles change: with sixteen registers, the groups that prove
    // their vertices cost every other group spilled registers.
    static constexpr bool onlyWhenBusy = true;
};

template <>
struct drapoQuickOps<ktFloat8> {
    using V = __m256d;
    static constexpr int half = 4;
    static V splat(double d) { return _mm256_set1_pd(d); }
    static V load(const double* p) { return _mm256_loadu_pd(p); }
    static void store(double* p, V a) { _mm256_storeu_pd(p, a); }
    static V nearest(V a) { return _mm256_round_pd(a, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC); }
    // Lanes whose bit `bit` of q is set, as a mask of whole lanes.
    static V laneMask(__m256i q, long long bit) {
        const __m256i b = _mm256_set1_epi64x(bit);
        return _mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_and_si256(q, b), b));
    }
    // Quadrant k mod 4: odd k swaps sine and cosine; k = 2, 3 negate the sine, k = 1, 2 the cosine.
    static void quadrant(V k, V sr, V cr, V& sine, V& cosine) {
        const __m256i q = _mm256_cvtepi32_epi64(_mm256_cvtpd_epi32(k));
        const V odd = laneMask(q, 1);
        const V sineNegative = laneMask(q, 2);
        const V cosineNegative = laneMask(_mm256_add_epi64(q, _mm256_set1_epi64x(1)), 2);
        const V sign = _mm256_set1_pd(-0.0);
        const V s = _mm256_blendv_pd(sr, cr, odd), c = _mm256_blendv_pd(cr, sr, odd);
        sine = _mm256_xor_pd(s, _mm256_and_pd(sineNegative, sign));
        cosine = _mm256_xor_pd(c, _mm256_and_pd(cosineNegative, sign));
    }
    static int within(V a, double limit) {
        const V size = _mm256_andnot_pd(_mm256_set1_pd(-0.0), a);
        return _mm256_movemask_pd(_mm256_cmp_pd(size, _mm256_set1_pd(limit), _CMP_LE_OQ));
    }
    // The 29 bits below float precision within drapoTieMargin units of the half-way pattern. The
    // unsigned comparison of the low bits' distance from the start of that window is made signed by
    // flipping both sign bits (AVX2 compares 64-bit lanes only as signed).
    static int nearTie(V p) {
        const __m256i low = _mm256_and_si256(_mm256_castpd_si256(p), _mm256_set1_epi64x(0x1fffffff));
        const __m256i flip = _mm256_set1_epi64x(static_cast<long long>(0x8000000000000000ull));
        const __m256i distance = _mm256_sub_epi64(low, _mm256_set1_epi64x((1ll << 28) - drapoTieMargin));
        const __m256i near = _mm256_cmpgt_epi64(
            _mm256_xor_si256(_mm256_set1_epi64x(2 * drapoTieMargin), flip), _mm256_xor_si256(distance, flip));
        return _mm256_movemask_pd(_mm256_castsi256_pd(near));
    }
    static V merge(int lanes, V fresh, V old) {
        const __m256i bits = _mm256_setr_epi64x(1, 2, 4, 8);
        const __m256i set = _mm256_cmpeq_epi64(_mm256_and_si256(_mm256_set1_epi64x(lanes), bits), bits);
        return _mm256_blendv_pd(old, fresh, _mm256_castsi256_pd(set));
    }
    // Lanes whose float lies outside [2^-125, FLT_MAX] in size (or is NaN): there the float grid is
    // not the one that the bits below float precision assume, so no proof is attempted.
    static int outsideProof(ktFloat8 f) {
        const __m256 size = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), f.v);
        const __m256 inside = _mm256_and_ps(_mm256_cmp_ps(size, _mm256_set1_ps(0x1p-125f), _CMP_GE_OQ),
                                            _mm256_cmp_ps(size, _mm256_set1_ps(3.40282347e+38f), _CMP_LE_OQ));
        return ~_mm256_movemask_ps(inside) & 0xff;
    }
};

}  // namespace

#endif
