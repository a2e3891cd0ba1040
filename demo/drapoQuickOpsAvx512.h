// The quick pairs' operations on AVX-512F registers (eight double lanes, half of a 16-lane group),
// for the AVX-512 mesh kernel: include it before demo/drapoMeshKernel.h.
#ifndef KT_DEMO_DRAPOQUICKOPSAVX512_H
#define KT_DEMO_DRAPOQUICKOPSAVX512_H

// clang-format off
#include "math/ktLanesAvx512.h"
#include "demo/drapoQuickSines.h"
// clang-format on

namespace {

template <>
struct drapoQuickGroups<ktFloat16> {
    static constexpr bool value = true;
    // Quick pairs pay in every pass: an evaluation of eight lanes costs less than one call of the
    // library's sine.
    static constexpr bool onlyWhenBusy = false;
};

template <>
struct drapoQuickOps<ktFloat16> {
    using V = __m512d;
    static constexpr int half = 8;
    static V splat(double d) { return _mm512_set1_pd(d); }
    static V load(const double* p) { return _mm512_loadu_pd(p); }
    static void store(double* p, V a) { _mm512_storeu_pd(p, a); }
    static V nearest(V a) { return _mm512_roundscale_pd(a, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC); }
    // Quadrant k mod 4: odd k swaps sine and cosine; k = 2, 3 negate the sine, k = 1, 2 the cosine.
    static void quadrant(V k, V sr, V cr, V& sine, V& cosine) {
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
    static int within(V a, double limit) {
        return _mm512_cmp_pd_mask(_mm512_abs_pd(a), _mm512_set1_pd(limit), _CMP_LE_OQ);
    }
    // The 29 bits below float precision within drapoTieMargin units of the half-way pattern.
    static int nearTie(V p) {
        const __m512i low = _mm512_and_si512(_mm512_castpd_si512(p), _mm512_set1_epi64(0x1fffffff));
        return _mm512_cmplt_epu64_mask(_mm512_sub_epi64(low, _mm512_set1_epi64((1ll << 28) - drapoTieMargin)),
                                       _mm512_set1_epi64(2 * drapoTieMargin));
    }
    static V merge(int lanes, V fresh, V old) {
        return _mm512_mask_blend_pd(static_cast<__mmask8>(lanes), old, fresh);
    }
    // Lanes whose float lies outside [2^-125, FLT_MAX] in size (or is NaN): there the float grid is
    // not the one that the bits below float precision assume, so no proof is attempted.
    static int outsideProof(ktFloat16 f) {
        const __m512 size = _mm512_abs_ps(f.v);
        return static_cast<__mmask16>(
            ~(_mm512_cmp_ps_mask(size, _mm512_set1_ps(0x1p-125f), _CMP_GE_OQ) &
              _mm512_cmp_ps_mask(size, _mm512_set1_ps(3.40282347e+38f), _CMP_LE_OQ)));
    }
};

}  // namespace

#endif
