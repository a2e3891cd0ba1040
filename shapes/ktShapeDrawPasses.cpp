// The per-vertex CPU passes of ktShape::draw: the shape's transforms on the software stack, world
// positions through the top of the stack, and window positions with the captured camera. No OpenGL
// calls; ktShape::draw sends their results.
#include "shapes/ktShapeDrawPasses.h"

#include "math/ktTransforms.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Pushes the shape's transforms in the given order. Each call post-multiplies the top of the
// stack, so the transform called last acts on the vertex first. Unknown orders apply nothing.
void ktShapeApplyTransforms(xformOrder order, const ktVec3f& t, const ktVec4f& r, const ktVec3f& s) {
    switch (order) {
        case kt_T_S_R:
            ktTranslatef(t.x, t.y, t.z);
            ktScalef(s.x, s.y, s.z);
            ktRotatef(r.x, r.y, r.z, r.w);
            break;
        case kt_T_R_S:
            ktTranslatef(t.x, t.y, t.z);
            ktRotatef(r.x, r.y, r.z, r.w);
            ktScalef(s.x, s.y, s.z);
            break;
        case kt_R_S_T:
            ktRotatef(r.x, r.y, r.z, r.w);
            ktScalef(s.x, s.y, s.z);
            ktTranslatef(t.x, t.y, t.z);
            break;
        case kt_R_T_S:
            ktRotatef(r.x, r.y, r.z, r.w);
            ktTranslatef(t.x, t.y, t.z);
            ktScalef(s.x, s.y, s.z);
            break;
        case kt_S_R_T:
            ktScalef(s.x, s.y, s.z);
            ktRotatef(r.x, r.y, r.z, r.w);
            ktTranslatef(t.x, t.y, t.z);
            break;
        case kt_S_T_R:
            ktScalef(s.x, s.y, s.z);
            ktTranslatef(t.x, t.y, t.z);
            ktRotatef(r.x, r.y, r.z, r.w);
            break;
        default:
            break;
    }
}

namespace {

#if defined(__SSE2__)
// ((m0 * x + m1 * y) + m2 * z) + m3 lane by lane: one row of transform3.
inline __m128 affineRow(const float* m, __m128 x, __m128 y, __m128 z) {
    return _mm_add_ps(
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(m[0]), x), _mm_mul_ps(_mm_set1_ps(m[1]), y)),
                   _mm_mul_ps(_mm_set1_ps(m[2]), z)),
        _mm_set1_ps(m[3]));
}

// ((m0 * x + m1 * y) + m2 * z) + m3 * w lane by lane: one row of transform4.
inline __m128 projectiveRow(const float* m, __m128 x, __m128 y, __m128 z, __m128 w) {
    return _mm_add_ps(
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(m[0]), x), _mm_mul_ps(_mm_set1_ps(m[1]), y)),
                   _mm_mul_ps(_mm_set1_ps(m[2]), z)),
        _mm_mul_ps(_mm_set1_ps(m[3]), w));
}

// float((q + 1.0) * size * 0.5 + origin), formed in double, for four lanes.
inline __m128 toWindow(__m128 q, __m128d size, __m128d origin) {
    const __m128d one = _mm_set1_pd(1.0), half = _mm_set1_pd(0.5);
    const __m128d low =
        _mm_add_pd(_mm_mul_pd(_mm_mul_pd(_mm_add_pd(_mm_cvtps_pd(q), one), size), half), origin);
    const __m128d high = _mm_add_pd(
        _mm_mul_pd(_mm_mul_pd(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(q, q)), one), size), half), origin);
    return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
}

// float((1.0 + c) * 0.5), formed in double, for four lanes.
inline __m128 toDepth(__m128 c) {
    const __m128d one = _mm_set1_pd(1.0), half = _mm_set1_pd(0.5);
    const __m128d low = _mm_mul_pd(_mm_add_pd(one, _mm_cvtps_pd(c)), half);
    const __m128d high = _mm_mul_pd(_mm_add_pd(one, _mm_cvtps_pd(_mm_movehl_ps(c, c))), half);
    return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
}
#endif

}  // namespace

// World positions: every vertex through the top of the stack. The matrix is copied into a local
// first so that it stays in registers while the loop stores floats (which could otherwise alias the
// global stack); the arithmetic is ktTransformToReal's own, so the results are bit-identical.
void ktShapeWorldPositions(const ktVec3f* own, ktVec3f* world, int count) {
    const ktMatrix4f top = *getCurrentMatrix();
    int i = 0;
#if defined(__SSE2__)
    // Four vertices at a time, one lane each, with transform3's operations in its order.
    for (; i + 4 <= count; i += 4) {
        __m128 x, y, z;
        ktLoadVertices4(own + i, x, y, z);
        ktStoreVertices4(world + i, affineRow(top.m[0], x, y, z), affineRow(top.m[1], x, y, z),
                         affineRow(top.m[2], x, y, z));
    }
#endif
    for (; i < count; i++) top.transform3(&own[i], &world[i]);
}

// Window positions of world points with the captured camera: the same operations, in the same
// order and precision, as ktTransformRealToScreen, with the camera held in locals for the loop.
void ktShapeWindowPositions(const ktVec3f* world, ktVec3f* window, int count) {
    const ktMatrix4f camera = cameraMatrix;
    const int vx = view[0], vy = view[1], vw = view[2], vh = view[3];
    int i = 0;
#if defined(__SSE2__)
    // Four points at a time, one lane each: the same single-precision products, sums and
    // quotients, then the same double-precision steps two lanes at a time.
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128d width = _mm_set1_pd(vw), height = _mm_set1_pd(vh), left = _mm_set1_pd(vx),
                  bottom = _mm_set1_pd(vy);
    for (; i + 4 <= count; i += 4) {
        __m128 x, y, z;
        ktLoadVertices4(world + i, x, y, z);
        const __m128 c0 = projectiveRow(camera.m[0], x, y, z, one);
        const __m128 c1 = projectiveRow(camera.m[1], x, y, z, one);
        const __m128 c2 = projectiveRow(camera.m[2], x, y, z, one);
        const __m128 c3 = projectiveRow(camera.m[3], x, y, z, one);
        ktStoreVertices4(window + i, toWindow(_mm_div_ps(c0, c3), width, left),
                         toWindow(_mm_div_ps(c1, c3), height, bottom), toDepth(c2));
    }
#endif
    for (; i < count; i++) {
        const float v[4] = {world[i].x, world[i].y, world[i].z, 1.0f};
        float c[4];
        camera.transform4(v, c);
        window[i].x = static_cast<float>((c[0] / c[3] + 1.0) * vw * 0.5 + vx);
        window[i].y = static_cast<float>((c[1] / c[3] + 1.0) * vh * 0.5 + vy);
        window[i].z = static_cast<float>((1.0 + c[2]) * 0.5);
    }
}
