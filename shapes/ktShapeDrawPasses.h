// Internal to the shapes module and its benchmarks: the per-vertex CPU passes of ktShape::draw,
// run over packed lists without allocation or OpenGL calls.
#ifndef KT_SHAPES_KTSHAPEDRAWPASSES_H
#define KT_SHAPES_KTSHAPEDRAWPASSES_H

#include "math/ktVec3f.h"
#include "math/ktVec4f.h"
#include "shapes/ktShape.h"

#if defined(__SSE2__)
#include <xmmintrin.h>

// Four packed vertices are the 12 floats m0 = (x0 y0 z0 x1), m1 = (y1 z1 x2 y2), m2 = (z2 x3 y3 z3).
// These move them between that layout and one register per coordinate (lane l = vertex l) with
// shuffles only, so the values are moved, never changed.
inline void ktLoadVertices4(const ktVec3f* v, __m128& x, __m128& y, __m128& z) {
    const float* f = &v->x;
    const __m128 m0 = _mm_loadu_ps(f), m1 = _mm_loadu_ps(f + 4), m2 = _mm_loadu_ps(f + 8);
    x = _mm_shuffle_ps(_mm_shuffle_ps(m0, m0, _MM_SHUFFLE(3, 3, 0, 0)), _mm_shuffle_ps(m1, m2, _MM_SHUFFLE(1, 1, 2, 2)),
                       _MM_SHUFFLE(2, 0, 2, 0));
    y = _mm_shuffle_ps(_mm_shuffle_ps(m0, m1, _MM_SHUFFLE(0, 0, 1, 1)), _mm_shuffle_ps(m1, m2, _MM_SHUFFLE(2, 2, 3, 3)),
                       _MM_SHUFFLE(2, 0, 2, 0));
    z = _mm_shuffle_ps(_mm_shuffle_ps(m0, m1, _MM_SHUFFLE(1, 1, 2, 2)), _mm_shuffle_ps(m2, m2, _MM_SHUFFLE(3, 3, 0, 0)),
                       _MM_SHUFFLE(2, 0, 2, 0));
}

inline void ktStoreVertices4(ktVec3f* v, __m128 x, __m128 y, __m128 z) {
    float* f = &v->x;
    const __m128 xyLow = _mm_unpacklo_ps(x, y), xyHigh = _mm_unpackhi_ps(x, y);
    _mm_storeu_ps(f, _mm_shuffle_ps(xyLow, _mm_shuffle_ps(z, x, _MM_SHUFFLE(1, 1, 0, 0)), _MM_SHUFFLE(2, 0, 1, 0)));
    _mm_storeu_ps(f + 4,
                  _mm_shuffle_ps(_mm_shuffle_ps(y, z, _MM_SHUFFLE(1, 1, 1, 1)), xyHigh, _MM_SHUFFLE(1, 0, 2, 0)));
    _mm_storeu_ps(f + 8, _mm_shuffle_ps(_mm_shuffle_ps(z, xyHigh, _MM_SHUFFLE(2, 2, 2, 2)),
                                        _mm_shuffle_ps(xyHigh, z, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0)));
}
#endif

// Applies Translation, Rotation and Scale to the top of the software stack in the order `order`
// names, as draw does before it computes world positions.
void ktShapeApplyTransforms(xformOrder order, const ktVec3f& t, const ktVec4f& r, const ktVec3f& s);

// world[i] = own[i] through the top of the software transform stack, as ktTransformToReal gives it.
void ktShapeWorldPositions(const ktVec3f* own, ktVec3f* world, int count);

// Sends a drawn shape (its world positions, normals, colours and texture coordinates) to OpenGL;
// ktShape::draw calls it last. Defined by the framework's OpenGL layer (shapes/ktShapeDrawGL.cpp).
// Weak, so a program without that layer links and draw there computes everything and sends nothing.
extern "C" void ktShapeSendGL(const ktShape& shape) __attribute__((weak));

// window[i] = window position of world[i] with the captured camera, as ktTransformRealToScreen
// gives it.
void ktShapeWindowPositions(const ktVec3f* world, ktVec3f* window, int count);

#endif
