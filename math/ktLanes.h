// Internal to the library: the 4-lane value types that run the formulas of math/ktFormulas.h over four
// points at once, and the moves between packed ktVec3f arrays and one value per coordinate.
//
// ktFloat4 holds four floats and performs in every lane exactly the IEEE single-precision operation
// that float performs (SSE2 where the target has it, a plain array otherwise or when KT_LANES_PLAIN
// is defined), so a formula gives every lane the bits the scalar code gives that point. ktDouble4 is
// its double-precision partner for the steps that are formed in double; ktMask4 is the result of a
// comparison. Wider types (8 and 16 lanes) offer the same operations under the same names, so the
// formulas and the loops written over a lane type L take them unchanged.
//
// Everything here has internal linkage: a source file compiled for a wider instruction set than the
// rest of the program keeps its own copies, and the linker can never hand one to baseline code.
#ifndef KT_MATH_KTLANES_H
#define KT_MATH_KTLANES_H

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "math/ktFormulas.h"
#include "math/ktVec3f.h"

#if defined(__SSE2__) && !defined(KT_LANES_PLAIN)
#define KT_LANES_SSE2 1
#include <emmintrin.h>
#else
#define KT_LANES_SSE2 0
#endif

// The packed layout that the vertex moves rely on.
static_assert(sizeof(ktVec3f) == 3 * sizeof(float), "ktVec3f must be three packed floats");

namespace {

// The scalar operations beside the lane ones, so that code in this namespace finds both.
using ::ktNarrow;
using ::ktSelect;
using ::ktSqrt;
using ::ktWiden;

// Lanes per value: 1 for float, L::width for a lane type.
template <class L>
struct ktLaneWidth {
    static constexpr int value = L::width;
};
template <>
struct ktLaneWidth<float> {
    static constexpr int value = 1;
};

#if KT_LANES_SSE2

struct ktMask4 {
    __m128 v;  // all bits set in a lane where the comparison holds
};

struct ktDouble4 {
    __m128d lo, hi;  // lanes 0, 1 and 2, 3
    ktDouble4() = default;
    ktDouble4(__m128d l, __m128d h) : lo(l), hi(h) {}
    explicit ktDouble4(double s) : lo(_mm_set1_pd(s)), hi(lo) {}
    static ktDouble4 load(const double* p) { return ktDouble4(_mm_loadu_pd(p), _mm_loadu_pd(p + 2)); }
};

struct ktFloat4 {
    static constexpr int width = 4;
    __m128 v;
    ktFloat4() = default;
    explicit ktFloat4(__m128 a) : v(a) {}
    explicit ktFloat4(float s) : v(_mm_set1_ps(s)) {}

    static ktFloat4 load(const float* p) { return ktFloat4(_mm_loadu_ps(p)); }
    void store(float* p) const { _mm_storeu_ps(p, v); }
    // Four ints converted as static_cast<float> converts them (rounded to nearest).
    static ktFloat4 fromInts(const int* p) {
        return ktFloat4(_mm_cvtepi32_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
    }
};

inline ktFloat4 operator+(ktFloat4 a, ktFloat4 b) { return ktFloat4(_mm_add_ps(a.v, b.v)); }
inline ktFloat4 operator-(ktFloat4 a, ktFloat4 b) { return ktFloat4(_mm_sub_ps(a.v, b.v)); }
inline ktFloat4 operator*(ktFloat4 a, ktFloat4 b) { return ktFloat4(_mm_mul_ps(a.v, b.v)); }
inline ktFloat4 operator/(ktFloat4 a, ktFloat4 b) { return ktFloat4(_mm_div_ps(a.v, b.v)); }
// The sign bit flipped, as float negation does (NaN and zero included).
inline ktFloat4 operator-(ktFloat4 a) { return ktFloat4(_mm_xor_ps(a.v, _mm_set1_ps(-0.0f))); }
inline ktMask4 operator==(ktFloat4 a, ktFloat4 b) { return ktMask4{_mm_cmpeq_ps(a.v, b.v)}; }
inline ktMask4 operator<(ktFloat4 a, ktFloat4 b) { return ktMask4{_mm_cmplt_ps(a.v, b.v)}; }
inline ktMask4 operator>=(ktFloat4 a, ktFloat4 b) { return ktMask4{_mm_cmpge_ps(a.v, b.v)}; }
inline ktMask4 operator&(ktMask4 a, ktMask4 b) { return ktMask4{_mm_and_ps(a.v, b.v)}; }
inline ktMask4 operator|(ktMask4 a, ktMask4 b) { return ktMask4{_mm_or_ps(a.v, b.v)}; }
// Lane l of the result is lane l of `a` where the mask holds there, else of `b`.
inline ktFloat4 ktSelect(ktMask4 m, ktFloat4 a, ktFloat4 b) {
    return ktFloat4(_mm_or_ps(_mm_and_ps(m.v, a.v), _mm_andnot_ps(m.v, b.v)));
}
// Bit l set where the mask holds in lane l.
inline int ktMaskBits(ktMask4 m) { return _mm_movemask_ps(m.v); }
// Lanes whose bit patterns are equal (unlike ==, -0 differs from +0 and a NaN can match itself).
inline ktMask4 ktSameBits(ktFloat4 a, ktFloat4 b) {
    return ktMask4{_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_castps_si128(a.v), _mm_castps_si128(b.v)))};
}
inline ktFloat4 ktSqrt(ktFloat4 a) { return ktFloat4(_mm_sqrt_ps(a.v)); }

inline ktDouble4 operator+(ktDouble4 a, ktDouble4 b) {
    return ktDouble4(_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi));
}
inline ktDouble4 operator-(ktDouble4 a, ktDouble4 b) {
    return ktDouble4(_mm_sub_pd(a.lo, b.lo), _mm_sub_pd(a.hi, b.hi));
}
inline ktDouble4 operator*(ktDouble4 a, ktDouble4 b) {
    return ktDouble4(_mm_mul_pd(a.lo, b.lo), _mm_mul_pd(a.hi, b.hi));
}
inline ktDouble4 ktWiden(ktFloat4 a) { return ktDouble4(_mm_cvtps_pd(a.v), _mm_cvtps_pd(_mm_movehl_ps(a.v, a.v))); }
inline ktFloat4 ktNarrow(ktDouble4 a) { return ktFloat4(_mm_movelh_ps(_mm_cvtpd_ps(a.lo), _mm_cvtpd_ps(a.hi))); }

// Four packed vertices are the 12 floats m0 = (x0 y0 z0 x1), m1 = (y1 z1 x2 y2), m2 = (z2 x3 y3 z3).
// These move them between that layout and one value per coordinate (lane l = vertex l) with
// shuffles only, so the values are moved, never changed.
inline void ktLoadVertices(const ktVec3f* v, ktFloat4& x, ktFloat4& y, ktFloat4& z) {
    const float* f = &v->x;
    const __m128 m0 = _mm_loadu_ps(f), m1 = _mm_loadu_ps(f + 4), m2 = _mm_loadu_ps(f + 8);
    x.v = _mm_shuffle_ps(_mm_shuffle_ps(m0, m0, _MM_SHUFFLE(3, 3, 0, 0)),
                         _mm_shuffle_ps(m1, m2, _MM_SHUFFLE(1, 1, 2, 2)), _MM_SHUFFLE(2, 0, 2, 0));
    y.v = _mm_shuffle_ps(_mm_shuffle_ps(m0, m1, _MM_SHUFFLE(0, 0, 1, 1)),
                         _mm_shuffle_ps(m1, m2, _MM_SHUFFLE(2, 2, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0));
    z.v = _mm_shuffle_ps(_mm_shuffle_ps(m0, m1, _MM_SHUFFLE(1, 1, 2, 2)),
                         _mm_shuffle_ps(m2, m2, _MM_SHUFFLE(3, 3, 0, 0)), _MM_SHUFFLE(2, 0, 2, 0));
}

inline void ktStoreVertices(ktVec3f* v, ktFloat4 x, ktFloat4 y, ktFloat4 z) {
    float* f = &v->x;
    const __m128 xyLow = _mm_unpacklo_ps(x.v, y.v), xyHigh = _mm_unpackhi_ps(x.v, y.v);
    _mm_storeu_ps(f, _mm_shuffle_ps(xyLow, _mm_shuffle_ps(z.v, x.v, _MM_SHUFFLE(1, 1, 0, 0)), _MM_SHUFFLE(2, 0, 1, 0)));
    _mm_storeu_ps(f + 4, _mm_shuffle_ps(_mm_shuffle_ps(y.v, z.v, _MM_SHUFFLE(1, 1, 1, 1)), xyHigh,
                                        _MM_SHUFFLE(1, 0, 2, 0)));
    _mm_storeu_ps(f + 8, _mm_shuffle_ps(_mm_shuffle_ps(z.v, xyHigh, _MM_SHUFFLE(2, 2, 2, 2)),
                                        _mm_shuffle_ps(xyHigh, z.v, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0)));
}

#else  // the plain path: the same operations, one float (or double) per array element

struct ktMask4 {
    bool v[4];
};

// Four values of T (float for ktFloat4, double for ktDouble4).
template <class T>
struct ktPlain4 {
    static constexpr int width = 4;
    T v[4];
    ktPlain4() = default;
    explicit ktPlain4(T s) : v{s, s, s, s} {}

    static ktPlain4 load(const T* p) {
        ktPlain4 r;
        std::memcpy(r.v, p, sizeof r.v);
        return r;
    }
    void store(T* p) const { std::memcpy(p, v, sizeof v); }
    static ktPlain4 fromInts(const int* p) {
        ktPlain4 r;
        for (int l = 0; l < 4; l++) r.v[l] = static_cast<T>(p[l]);
        return r;
    }
};
using ktFloat4 = ktPlain4<float>;
using ktDouble4 = ktPlain4<double>;

// Applies `op` lane by lane.
template <class R, class A, class B, class Op>
inline R ktLanewise(const A& a, const B& b, Op op) {
    R r;
    for (int l = 0; l < 4; l++) r.v[l] = op(a.v[l], b.v[l]);
    return r;
}

template <class T>
inline ktPlain4<T> operator+(ktPlain4<T> a, ktPlain4<T> b) {
    return ktLanewise<ktPlain4<T>>(a, b, [](T p, T q) { return p + q; });
}
template <class T>
inline ktPlain4<T> operator-(ktPlain4<T> a, ktPlain4<T> b) {
    return ktLanewise<ktPlain4<T>>(a, b, [](T p, T q) { return p - q; });
}
template <class T>
inline ktPlain4<T> operator*(ktPlain4<T> a, ktPlain4<T> b) {
    return ktLanewise<ktPlain4<T>>(a, b, [](T p, T q) { return p * q; });
}
template <class T>
inline ktPlain4<T> operator/(ktPlain4<T> a, ktPlain4<T> b) {
    return ktLanewise<ktPlain4<T>>(a, b, [](T p, T q) { return p / q; });
}
template <class T>
inline ktPlain4<T> operator-(ktPlain4<T> a) {
    return ktLanewise<ktPlain4<T>>(a, a, [](T p, T) { return -p; });
}
template <class T>
inline ktMask4 operator==(ktPlain4<T> a, ktPlain4<T> b) {
    return ktLanewise<ktMask4>(a, b, [](T p, T q) { return p == q; });
}
template <class T>
inline ktMask4 operator<(ktPlain4<T> a, ktPlain4<T> b) {
    return ktLanewise<ktMask4>(a, b, [](T p, T q) { return p < q; });
}
template <class T>
inline ktMask4 operator>=(ktPlain4<T> a, ktPlain4<T> b) {
    return ktLanewise<ktMask4>(a, b, [](T p, T q) { return p >= q; });
}
inline ktMask4 operator&(ktMask4 a, ktMask4 b) {
    return ktLanewise<ktMask4>(a, b, [](bool p, bool q) { return p && q; });
}
inline ktMask4 operator|(ktMask4 a, ktMask4 b) {
    return ktLanewise<ktMask4>(a, b, [](bool p, bool q) { return p || q; });
}
inline ktFloat4 ktSelect(ktMask4 m, ktFloat4 a, ktFloat4 b) {
    ktFloat4 r;
    for (int l = 0; l < 4; l++) r.v[l] = m.v[l] ? a.v[l] : b.v[l];
    return r;
}
inline int ktMaskBits(ktMask4 m) { return m.v[0] | m.v[1] << 1 | m.v[2] << 2 | m.v[3] << 3; }
inline ktMask4 ktSameBits(ktFloat4 a, ktFloat4 b) {
    ktMask4 m;
    for (int l = 0; l < 4; l++) m.v[l] = std::memcmp(&a.v[l], &b.v[l], sizeof(float)) == 0;
    return m;
}
inline ktFloat4 ktSqrt(ktFloat4 a) {
    return ktLanewise<ktFloat4>(a, a, [](float p, float) { return ::ktSqrt(p); });
}
inline ktDouble4 ktWiden(ktFloat4 a) {
    return ktLanewise<ktDouble4>(a, a, [](float p, float) { return ::ktWiden(p); });
}
inline ktFloat4 ktNarrow(ktDouble4 a) {
    return ktLanewise<ktFloat4>(a, a, [](double p, double) { return ::ktNarrow(p); });
}

inline void ktLoadVertices(const ktVec3f* v, ktFloat4& x, ktFloat4& y, ktFloat4& z) {
    for (int l = 0; l < 4; l++) {
        x.v[l] = v[l].x;
        y.v[l] = v[l].y;
        z.v[l] = v[l].z;
    }
}

inline void ktStoreVertices(ktVec3f* v, ktFloat4 x, ktFloat4 y, ktFloat4 z) {
    for (int l = 0; l < 4; l++) {
        v[l].x = x.v[l];
        v[l].y = y.v[l];
        v[l].z = z.v[l];
    }
}

#endif

inline void ktLoadInts(const int* p, ktFloat4& out) { out = ktFloat4::fromInts(p); }

// Scattered floats: lane l is base[index[l]] where the mask holds and fallback's lane elsewhere, so
// an absent neighbour's address is never read. index holds whole numbers (below 2^24) as floats.
inline ktFloat4 ktGatherWhere(ktMask4 mask, ktFloat4 fallback, const float* base, ktFloat4 index) {
    alignas(16) float lanes[4], at[4];
    fallback.store(lanes);
    index.store(at);
    const int bits = ktMaskBits(mask);
    for (int l = 0; l < 4; l++)
        if (bits & (1 << l)) lanes[l] = base[static_cast<int>(at[l])];
    return ktFloat4::load(lanes);
}

// The scalar forms of the moves, so that a loop over L = float needs no special case.
inline void ktLoadInts(const int* p, float& out) { out = static_cast<float>(*p); }
inline int ktMaskBits(bool m) { return m ? 1 : 0; }
inline bool ktSameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
inline float ktGatherWhere(bool mask, float fallback, const float* base, float index) {
    return mask ? base[static_cast<int>(index)] : fallback;
}
inline void ktLoadVertices(const ktVec3f* v, float& x, float& y, float& z) {
    x = v->x;
    y = v->y;
    z = v->z;
}
// Member by member rather than through ktVec3f::set, whose out-of-line copy (in an unoptimised
// build) would otherwise be compiled for the wide target of a kernel file that calls this.
inline void ktStoreVertices(ktVec3f* v, float x, float y, float z) {
    v->x = x;
    v->y = y;
    v->z = z;
}

// Consecutive values (floats, or doubles for a double lane type), one per lane: L::load and store,
// and for a plain float or double the single value.
template <class L, class T>
inline L ktLoad(const T* p) {
    if constexpr (std::is_arithmetic<L>::value) {
        return *p;
    } else {
        return L::load(p);
    }
}
template <class L>
inline void ktStore(float* p, L v) {
    v.store(p);
}
template <>
inline void ktStore<float>(float* p, float v) {
    *p = v;
}

// Vertex at + l of every array in `to` = lane l of (x, y, z), for the lanes l whose bit is set in
// `lanes`, member by member (see ktStoreVertices); the other vertices are not touched. Lane types
// with masked stores have their own form.
template <class L, int N>
inline void ktStoreVerticesWhere(ktVec3f* const (&to)[N], int at, int lanes, L x, L y, L z) {
    alignas(64) float c[3][16];
    ktStore(c[0], x);
    ktStore(c[1], y);
    ktStore(c[2], z);
    for (; lanes != 0; lanes &= lanes - 1) {
        const int l = __builtin_ctz(static_cast<unsigned>(lanes));
        for (ktVec3f* v : to) {
            v[at + l].x = c[0][l];
            v[at + l].y = c[1][l];
            v[at + l].z = c[2][l];
        }
    }
}

// Runs body(i, L) over [begin, end): whole groups of L's width first, then the remainder one point
// at a time with L = float. The body is a generic lambda taking the index and a lane-type tag.
template <class L, class Body>
inline void ktForLanes(int begin, int end, Body body) {
    constexpr int w = ktLaneWidth<L>::value;
    int i = begin;
    for (; i + w <= end; i += w) body(i, L());
    for (; i < end; i++) body(i, 0.0f);
}

}  // namespace

#endif
