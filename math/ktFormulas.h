/// @file
/// The framework's per-point arithmetic, each formula written once.
///
/// Every formula here is a template over a value type L: `float` (one point at a time) or one of the
/// library's internal lane types, which hold several floats and perform in every lane the same IEEE
/// single-precision operation that `float` performs. Written once and run in the same order, a
/// formula therefore gives the same bits for a point whether it is computed alone or in a lane of a
/// wide loop. That needs every float operation to be rounded to float on its own: no fused
/// multiply-add (the library builds with -ffp-contract=off), no reassociation (no -ffast-math) and no
/// excess precision, which the check below makes a compile error. Where a formula forms a value in
/// double, it widens each float exactly (ktWiden) and rounds the result once to float (ktNarrow), as
/// static_cast does; lane types do the same in double lanes.
///
/// A lane type L provides: construction from a float (every lane the same), + - * / and unary -,
/// == giving a mask, ktSqrt(L), ktSelect(mask, a, b) (a where the mask holds), ktWiden(L) to a double
/// lane type with + and *, and ktNarrow back.
#ifndef KT_MATH_KTFORMULAS_H
#define KT_MATH_KTFORMULAS_H

#include <cfloat>
#include <cmath>

static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must be evaluated in float precision");

/// The correctly rounded square root (the lane operation for one float).
inline float ktSqrt(float v) { return std::sqrt(v); }
/// `a` when `take` holds, else `b` (the lane operation for one float).
inline float ktSelect(bool take, float a, float b) { return take ? a : b; }
/// The float as a double, exactly.
inline double ktWiden(float v) { return static_cast<double>(v); }
/// The double rounded to the nearest float, as static_cast rounds it.
inline float ktNarrow(double v) { return static_cast<float>(v); }

/// ((m0 x + m1 y) + m2 z) + m3: one row of an affine point transform (w = 1).
template <class L>
inline L ktAffineRow(const float* m, L x, L y, L z) {
    return ((L(m[0]) * x + L(m[1]) * y) + L(m[2]) * z) + L(m[3]);
}

/// ((m0 x + m1 y) + m2 z) + m3 w: one row of a 4-component product.
template <class L>
inline L ktProjectiveRow(const float* m, L x, L y, L z, L w) {
    return ((L(m[0]) * x + L(m[1]) * y) + L(m[2]) * z) + L(m[3]) * w;
}

/// float(((q + 1) · size) · 0.5 + origin), formed in double: a normalised device coordinate q to
/// window pixels along an axis of `size` pixels starting at `origin`.
template <class L, class D>
inline L ktWindowCoord(L q, D size, D origin) {
    return ktNarrow((ktWiden(q) + D(1.0)) * size * D(0.5) + origin);
}

/// float((1 + c) · 0.5), formed in double: the window depth of clip z, without the division by w.
template <class L>
inline L ktWindowDepth(L c) {
    using D = decltype(ktWiden(c));
    return ktNarrow((D(1.0) + ktWiden(c)) * D(0.5));
}

/// Window position (wx, wy, wz) of the world point (x, y, z) with the camera matrix (row-major) and
/// the viewport (x, y, width, height): x and y divided by the clip w, z not.
template <class L>
inline void ktWindowPosition(const float (&camera)[4][4], const int (&viewport)[4], L x, L y, L z, L& wx, L& wy,
                             L& wz) {
    using D = decltype(ktWiden(x));
    const L one(1.0f);
    const L c0 = ktProjectiveRow(camera[0], x, y, z, one);
    const L c1 = ktProjectiveRow(camera[1], x, y, z, one);
    const L c2 = ktProjectiveRow(camera[2], x, y, z, one);
    const L c3 = ktProjectiveRow(camera[3], x, y, z, one);
    wx = ktWindowCoord(c0 / c3, D(viewport[2]), D(viewport[0]));
    wy = ktWindowCoord(c1 / c3, D(viewport[3]), D(viewport[1]));
    wz = ktWindowDepth(c2);
}

/// (x² + y²) + z².
template <class L>
inline L ktSquaredLength(L x, L y, L z) {
    return (x * x + y * y) + z * z;
}

/// √((x² + y²) + z²).
template <class L>
inline L ktLength(L x, L y, L z) {
    return ktSqrt(ktSquaredLength(x, y, z));
}

/// Scales (x, y, z) to unit length; a vector whose float length is 0 (including one whose squared
/// length underflows) stays as it is, so the result is never NaN for a finite input.
template <class L>
inline void ktNormalizeSafe(L& x, L& y, L& z) {
    const L len = ktLength(x, y, z);
    const auto flat = len == L(0.0f);
    x = ktSelect(flat, x, x / len);
    y = ktSelect(flat, y, y / len);
    z = ktSelect(flat, z, z / len);
}

/// The right-handed cross product c = a × b.
template <class L>
inline void ktCross(L ax, L ay, L az, L bx, L by, L bz, L& cx, L& cy, L& cz) {
    cx = ay * bz - az * by;
    cy = az * bx - ax * bz;
    cz = ax * by - ay * bx;
}

/// Unit normal n of the triangle (a, b, c), facing a viewer who sees a, b, c counter-clockwise:
/// (b − a) × (c − a), normalised; a triangle of zero area gives the zero vector.
template <class L>
inline void ktFaceNormal(L ax, L ay, L az, L bx, L by, L bz, L cx, L cy, L cz, L& nx, L& ny, L& nz) {
    ktCross(bx - ax, by - ay, bz - az, cx - ax, cy - ay, cz - az, nx, ny, nz);
    ktNormalizeSafe(nx, ny, nz);
}

/// −v where `flip` holds, else v: only the sign bit changes.
template <class L, class M>
inline L ktNegateIf(M flip, L v) {
    return ktSelect(flip, -v, v);
}

#endif
