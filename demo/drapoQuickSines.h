// Quick sines and cosines for the wide mesh passes (AVX-512F and AVX2), and the proof that lets a
// pass keep them.
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
// Written once over the group's float lane type L; the few operations that differ between
// instruction sets (rounding, masks, blends) come from drapoQuickOps<L>, which
// demo/drapoQuickOpsAvx512.h and demo/drapoQuickOpsAvx2.h give for their own lane type. A kernel
// includes one of those before demo/drapoMeshKernel.h, whose group code then takes the pairs here
// for its whole groups. The series and the reduction use only IEEE additions, subtractions and
// products of doubles, so every instruction set gives the same quick pair, bit for bit.
#ifndef KT_DEMO_DRAPOQUICKSINES_H
#define KT_DEMO_DRAPOQUICKSINES_H

#include "demo/drapoMesh.h"
#include "math/ktLanes.h"

namespace {

// The operations of one instruction set that the quick pairs need, for float lane type L: V, the
// register of `half` double lanes (half of L); splat, nearest (round to the nearest integer, ties
// to even), quadrant (the swaps and signs of quadrant k mod 4), within (lanes no larger than a limit
// in size, as bits), nearTie (lanes of a product near a tie between floats, as bits), merge (the
// lanes in bits from `fresh`, the others from `old`) and outsideProof (float lanes where the proof's
// float grid does not hold, as bits).
template <class L>
struct drapoQuickOps;

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

// Coefficients of the series in r^2, highest power first: sin r = r + r^3 (-1/3! + r^2 / 5! - ...)
// and cos r = 1 - r^2 (1/2! - r^2 / 4! + ...).
const double drapoSineTerms[] = {1.0 / 6227020800.0, -1.0 / 39916800.0, 1.0 / 362880.0,
                                 -1.0 / 5040.0,      1.0 / 120.0,       -1.0 / 6.0};
const double drapoCosineTerms[] = {
    1.0 / 87178291200.0, -1.0 / 479001600.0, 1.0 / 3628800.0, -1.0 / 40320.0, 1.0 / 720.0, -1.0 / 24.0, 0.5};

// The polynomial with these coefficients at x, by Horner's rule (products and sums rounded apart).
template <class O, class V, int N>
inline V drapoHorner(V x, const double (&terms)[N]) {
    V p = O::splat(terms[0]);
    for (int i = 1; i < N; i++) p = p * x + O::splat(terms[i]);
    return p;
}

// a = k pi/2 + r with |r| <= pi/4: pi/2 in three parts of 33 bits, so that k times each part is
// exact for the small k here and r keeps its relative precision next to a multiple of pi/2.
template <class L, class V>
inline void drapoQuickPair(V a, V& sine, V& cosine) {
    using O = drapoQuickOps<L>;
    const V k = O::nearest(a * O::splat(0.63661977236758134308));
    V r = a - k * O::splat(1.57079632673412561417e+00);
    r = r - k * O::splat(6.07710050630396597660e-11);
    r = r - k * O::splat(2.02226624871116645580e-21);
    const V r2 = r * r;
    // Taylor series to r^13 and r^14: on |r| <= pi/4 the next terms stay below 2^-45.
    const V sr = r + r * r2 * drapoHorner<O>(r2, drapoSineTerms);
    const V cr = O::splat(1.0) - r2 * drapoHorner<O>(r2, drapoCosineTerms);
    O::quadrant(k, sr, cr, sine, cosine);
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
template <class L>
__attribute__((noinline)) int drapoRefreshPairs(drapoAngleMemo& memo, int k, L angle, int changed) {
    using O = drapoQuickOps<L>;
    using V = typename O::V;
    constexpr int h = O::half, halfLanes = (1 << O::half) - 1;
    memo.rest[k] = 0;
    memo.changedGroups++;
    const auto a = ktWiden(angle);
    const int fresh = changed & (O::within(a.lo, drapoQuickLimit) | O::within(a.hi, drapoQuickLimit) << h);
    if (const int slow = changed & ~fresh) {
        alignas(64) float angles[16];
        ktStore(angles, angle);
        drapoRememberLanes(memo, k, angles, slow);
    }
    // Whole registers are stored, so that the caller's loads of them are forwarded from the stores.
    const V halves[2] = {a.lo, a.hi};
    for (int i = 0; i < 2; i++) {
        const int lanes = fresh >> (i * h) & halfLanes;
        if (lanes == 0) continue;
        V s, c;
        drapoQuickPair<L>(halves[i], s, c);
        double* sines = memo.s + k + i * h;
        double* cosines = memo.c + k + i * h;
        O::store(sines, O::merge(lanes, s, O::load(sines)));
        O::store(cosines, O::merge(lanes, c, O::load(cosines)));
    }
    ktStore(memo.key + k, angle);
    memo.hasQuick = memo.hasQuick || fresh != 0;
    const int quick = (drapoQuickLanes(memo, k, 2 * h) & ~changed) | fresh;
    drapoSetLaneBits(memo.quick, k, 2 * h, quick);
    return quick;
}

// The pairs of the group from knob k from its memo, and the lanes whose pairs are quick ones. A
// group whose angles have rested for drapoRestPasses passes gets the library's pairs for its quick
// ones.
template <class L, class D>
inline __attribute__((always_inline)) int drapoQuickPairsOf(drapoAngleMemo& memo, int k, L angle, D& sine,
                                                            D& cosine) {
    constexpr int w = ktLaneWidth<L>::value;
    const int changed = ~ktMaskBits(ktSameBits(angle, ktLoad<L>(memo.key + k))) & ((1 << w) - 1);
    int quick;
    if (changed != 0) {
        quick = drapoRefreshPairs(memo, k, angle, changed);
    } else if ((quick = drapoQuickLanes(memo, k, w)) != 0 && ++memo.rest[k] >= drapoRestPasses) {
        drapoRememberLanes(memo, k, memo.key + k, quick);
        quick = 0;
        memo.rest[k] = 0;
    }
    sine = ktLoad<D>(memo.s + k);
    cosine = ktLoad<D>(memo.c + k);
    return quick;
}

// Lanes whose vertex (products x, y, z and their floats) quick factors may have changed.
template <class L, class D>
inline int drapoQuickRiskyLanes(D x, D y, D z, L xf, L yf, L zf) {
    using O = drapoQuickOps<L>;
    const int lo = O::nearTie(x.lo) | O::nearTie(y.lo) | O::nearTie(z.lo);
    const int hi = O::nearTie(x.hi) | O::nearTie(y.hi) | O::nearTie(z.hi);
    return (lo | hi << O::half | O::outsideProof(xf) | O::outsideProof(yf) | O::outsideProof(zf)) &
           ((1 << ktLaneWidth<L>::value) - 1);
}

// Quick pairs of `count` angles within drapoQuickLimit of zero, `half` at a time: for the tests.
template <class L>
void drapoQuickPairsFor(const float* angles, int count, double* sines, double* cosines) {
    using O = drapoQuickOps<L>;
    for (int i = 0; i < count; i += O::half) {
        alignas(64) double a[O::half] = {}, s[O::half], c[O::half];
        const int n = count - i < O::half ? count - i : O::half;
        for (int l = 0; l < n; l++) a[l] = angles[i + l];
        typename O::V sv, cv;
        drapoQuickPair<L>(O::load(a), sv, cv);
        O::store(s, sv), O::store(c, cv);
        for (int l = 0; l < n; l++) sines[i + l] = s[l], cosines[i + l] = c[l];
    }
}

}  // namespace

#endif
