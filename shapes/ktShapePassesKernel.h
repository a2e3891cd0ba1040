// Internal to the shapes module: the per-vertex loops of drawing (world positions, window positions)
// and of the normals (a strip run's face normals and entry sums, the final averaging), written once
// as templates over a value type L: float for one point at a time, or a lane type (ktFloat4, and
// the wider types in the instruction-set files that include this header).
//
// Every loop runs whole groups of L's width over [begin, end) and returns where it stopped, so a
// caller finishes the remainder with a narrower L. A lane performs the scalar formula's operations
// in the scalar order, so the point it computes gets the bits that L = float gives it.
//
// Everything here is in an unnamed namespace (or a template over such a type): an instruction-set
// file that includes this header keeps private copies, and baseline code never links to one.
#ifndef KT_SHAPES_KTSHAPEPASSESKERNEL_H
#define KT_SHAPES_KTSHAPEPASSESKERNEL_H

#include <cstddef>
#include <cstring>

#include "math/ktFormulas.h"
#include "math/ktLanes.h"
#include "math/ktVec3f.h"

namespace {

// Lanes that hold an even face of a strip, for a group whose first face is even: a mask for a lane
// type, a bool for float (whose "group" is face f itself).
template <class L>
struct StripParity {
    static auto evenFaces(int) {
        alignas(64) static const float alternating[16] = {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
        static_assert(L::width <= 16, "the parity pattern covers 16 lanes");
        return L::load(alternating) == L(1.0f);
    }
};
template <>
struct StripParity<float> {
    static bool evenFaces(int f) { return f % 2 == 0; }
};

// world[i] = own[i] through the affine matrix m (row-major), for i in [begin, end).
template <class L>
inline int worldPositionGroups(const float (&m)[4][4], const ktVec3f* own, ktVec3f* world, int begin,
                               int end) {
    constexpr int w = ktLaneWidth<L>::value;
    int i = begin;
    for (; i + w <= end; i += w) {
        L x, y, z;
        ktLoadVertices(own + i, x, y, z);
        ktStoreVertices(world + i, ktAffineRow(m[0], x, y, z), ktAffineRow(m[1], x, y, z),
                        ktAffineRow(m[2], x, y, z));
    }
    return i;
}

// window[i] = window position of world[i] with the camera matrix and the viewport.
template <class L>
inline int windowPositionGroups(const float (&camera)[4][4], const int (&viewport)[4], const ktVec3f* world,
                                ktVec3f* window, int begin, int end) {
    constexpr int w = ktLaneWidth<L>::value;
    int i = begin;
    for (; i + w <= end; i += w) {
        L x, y, z, wx, wy, wz;
        ktLoadVertices(world + i, x, y, z);
        ktWindowPosition(camera, viewport, x, y, z, wx, wy, wz);
        ktStoreVertices(window + i, wx, wy, wz);
    }
    return i;
}

// A normal sum (x, y, z) of `count` faces (as a float) divided by the count and brought to unit
// length, stored at `to`; (0, 0, 1) where no face counted. A caller whose counts are never 0 (a
// grid's vertices) passes MayBeEmpty = false, and those lanes are not looked for.
template <class L, bool MayBeEmpty = true>
inline void finishNormal(ktVec3f* to, L x, L y, L z, L count) {
    x = x / count;
    y = y / count;
    z = z / count;
    ktNormalizeSafe(x, y, z);
    if constexpr (MayBeEmpty) {
        const auto none = count == L(0.0f);
        ktStoreVertices(to, ktSelect(none, L(0.0f), x), ktSelect(none, L(0.0f), y),
                        ktSelect(none, L(1.0f), z));
    } else {
        ktStoreVertices(to, x, y, z);
    }
}

// Each normal sum finished in place (finishNormal).
template <class L>
inline int finishNormalGroups(ktVec3f* normals, const int* counts, int begin, int end) {
    constexpr int w = ktLaneWidth<L>::value;
    int v = begin;
    for (; v + w <= end; v += w) {
        L x, y, z, count;
        ktLoadVertices(normals + v, x, y, z);
        ktLoadInts(counts + v, count);
        finishNormal(normals + v, x, y, z, count);
    }
    return v;
}

// One run of a triangle strip, gathered: entry j of the run is the vertex at (px, py, pz)[j]; face
// f is the triangle of entries f, f + 1, f + 2, and its unit normal goes to (nx, ny, nz)[f],
// negated when f is even (OpenGL alternates the winding of a strip's faces; the negation puts all
// of them on the side of the odd ones).
struct StripRun {
    const float *px, *py, *pz;
    float *nx, *ny, *nz;
};

// Faces [begin, end) of the run; begin is even unless L is float.
template <class L>
inline int stripFaceGroups(const StripRun& r, int begin, int end) {
    constexpr int w = ktLaneWidth<L>::value;
    int f = begin;
    for (; f + w <= end; f += w) {
        L nx, ny, nz;
        ktFaceNormal(ktLoad<L>(r.px + f), ktLoad<L>(r.py + f), ktLoad<L>(r.pz + f),
                     ktLoad<L>(r.px + f + 1), ktLoad<L>(r.py + f + 1), ktLoad<L>(r.pz + f + 1),
                     ktLoad<L>(r.px + f + 2), ktLoad<L>(r.py + f + 2), ktLoad<L>(r.pz + f + 2), nx,
                     ny, nz);
        const auto even = StripParity<L>::evenFaces(f);
        ktStore(r.nx + f, ktNegateIf(even, nx));
        ktStore(r.ny + f, ktNegateIf(even, ny));
        ktStore(r.nz + f, ktNegateIf(even, nz));
    }
    return f;
}

// The vertices base[index[0]], base[index[1]], ... into one value per coordinate (lane l = vertex
// index[l]), and back. Values are moved, never changed.
template <class L>
inline void gatherVertices(const ktVec3f* base, const int* index, L& x, L& y, L& z) {
    constexpr int w = ktLaneWidth<L>::value;
    alignas(64) float fx[w], fy[w], fz[w];
    for (int l = 0; l < w; l++) {
        const float* p = &base[index[l]].x;
        fx[l] = p[0];
        fy[l] = p[1];
        fz[l] = p[2];
    }
    x = ktLoad<L>(fx);
    y = ktLoad<L>(fy);
    z = ktLoad<L>(fz);
}
template <class L>
inline void scatterVertices(ktVec3f* base, const int* index, L x, L y, L z) {
    constexpr int w = ktLaneWidth<L>::value;
    alignas(64) float fx[w], fy[w], fz[w];
    ktStore(fx, x);
    ktStore(fy, y);
    ktStore(fz, z);
    for (int l = 0; l < w; l++) {
        float* p = &base[index[l]].x;
        p[0] = fx[l];
        p[1] = fy[l];
        p[2] = fz[l];
    }
}

#if KT_LANES_SSE2
// One vertex as (x, y, z, 0): its x, y pair and its z, never read past its own three floats.
inline __m128 loadVertex(const ktVec3f* base, int i) {
    const float* p = &base[i].x;
    const __m128 xy =
        _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(p));  // 4-byte aligned is enough
    return _mm_movelh_ps(xy, _mm_load_ss(p + 2));
}

// Four vertices, transposed.
template <>
inline void gatherVertices<ktFloat4>(const ktVec3f* base, const int* index, ktFloat4& x, ktFloat4& y,
                                     ktFloat4& z) {
    const __m128 r0 = loadVertex(base, index[0]), r1 = loadVertex(base, index[1]);
    const __m128 r2 = loadVertex(base, index[2]), r3 = loadVertex(base, index[3]);
    const __m128 xy01 = _mm_unpacklo_ps(r0, r1), xy23 = _mm_unpacklo_ps(r2, r3);  // x0 x1 y0 y1, x2 x3 y2 y3
    x.v = _mm_movelh_ps(xy01, xy23);
    y.v = _mm_movehl_ps(xy23, xy01);
    z.v = _mm_movelh_ps(_mm_unpackhi_ps(r0, r1), _mm_unpackhi_ps(r2, r3));
}
template <>
inline void scatterVertices<ktFloat4>(ktVec3f* base, const int* index, ktFloat4 x, ktFloat4 y, ktFloat4 z) {
    const __m128 xy01 = _mm_unpacklo_ps(x.v, y.v),
                 xy23 = _mm_unpackhi_ps(x.v, y.v);  // x0 y0 x1 y1, x2 y2 x3 y3
    float* p0 = &base[index[0]].x;
    float* p1 = &base[index[1]].x;
    float* p2 = &base[index[2]].x;
    float* p3 = &base[index[3]].x;
    _mm_storel_pi(reinterpret_cast<__m64*>(p0), xy01);
    _mm_store_ss(p0 + 2, z.v);
    _mm_storeh_pi(reinterpret_cast<__m64*>(p1), xy01);
    _mm_store_ss(p1 + 2, _mm_shuffle_ps(z.v, z.v, _MM_SHUFFLE(1, 1, 1, 1)));
    _mm_storel_pi(reinterpret_cast<__m64*>(p2), xy23);
    _mm_store_ss(p2 + 2, _mm_movehl_ps(z.v, z.v));
    _mm_storeh_pi(reinterpret_cast<__m64*>(p3), xy23);
    _mm_store_ss(p3 + 2, _mm_shuffle_ps(z.v, z.v, _MM_SHUFFLE(3, 3, 3, 3)));
}
#endif

// Positions of run entries [begin, end) into (px, py, pz); vertex[j] is entry j's vertex.
template <class L>
inline int stripGatherGroups(const ktVec3f* pos, const int* vertex, float* px, float* py, float* pz,
                             int begin, int end) {
    constexpr int w = ktLaneWidth<L>::value;
    int j = begin;
    for (; j + w <= end; j += w) {
        L x, y, z;
        gatherVertices(pos, vertex + j, x, y, z);
        ktStore(px + j, x);
        ktStore(py + j, y);
        ktStore(pz + j, z);
    }
    return j;
}

// Run entries [begin, end) that have all three faces j - 2, j - 1 and j (2 <= begin, end <= faces):
// each vertex's sum receives them in face order with one load and store, and its count rises by 3.
// The vertices of a group must differ.
template <class L>
inline int stripEntryGroups(const StripRun& r, const int* vertex, ktVec3f* normals, int* counts, int begin,
                            int end) {
    constexpr int w = ktLaneWidth<L>::value;
    int j = begin;
    for (; j + w <= end; j += w) {
        L x, y, z;
        gatherVertices(normals, vertex + j, x, y, z);
        x = ((x + ktLoad<L>(r.nx + j - 2)) + ktLoad<L>(r.nx + j - 1)) + ktLoad<L>(r.nx + j);
        y = ((y + ktLoad<L>(r.ny + j - 2)) + ktLoad<L>(r.ny + j - 1)) + ktLoad<L>(r.ny + j);
        z = ((z + ktLoad<L>(r.nz + j - 2)) + ktLoad<L>(r.nz + j - 1)) + ktLoad<L>(r.nz + j);
        scatterVertices(normals, vertex + j, x, y, z);
        for (int l = 0; l < w; l++) counts[vertex[j + l]] += 3;
    }
    return j;
}

#ifdef KT_MATH_KTLANESAVX2_H
// Sixteen entries of a strip that alternate between two ascending runs of vertices, as the strips
// of a grid mesh do: entry 2 i is vertex a + i and entry 2 i + 1 vertex b + i (i = 0 ... 7), the runs
// at least 8 apart so that no vertex occurs twice. Their positions and sums then move as two
// packed runs of eight, with no per-vertex loads. (Where a + i would pass the int range, the sum
// wraps to a negative number, which no entry of a run equals.)
inline bool stripPairedRuns(const int* vertex, int& a, int& b) {
    a = vertex[0];
    b = vertex[1];
    const __m256i low = _mm256_add_epi32(_mm256_blend_epi32(_mm256_set1_epi32(a), _mm256_set1_epi32(b), 0xaa),
                                         _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3));
    const __m256i high = _mm256_add_epi32(low, _mm256_set1_epi32(4));
    const __m256i same =
        _mm256_and_si256(_mm256_cmpeq_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(vertex)), low),
                         _mm256_cmpeq_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(vertex + 8)), high));
    if (_mm256_movemask_epi8(same) != -1) return false;
    return a - b >= 8 || b - a >= 8;  // both are vertices, so the differences cannot overflow
}

// The sixteen entries of one coordinate from the runs' values (even entries from `even`), in
// registers of L, and back.
inline void stripInterleave(ktFloat8 even, ktFloat8 odd, ktFloat8 (&parts)[2]) {
    const __m256 low = _mm256_unpacklo_ps(even.v, odd.v), high = _mm256_unpackhi_ps(even.v, odd.v);
    parts[0].v = _mm256_permute2f128_ps(low, high, 0x20);
    parts[1].v = _mm256_permute2f128_ps(low, high, 0x31);
}
inline void stripDeinterleave(const ktFloat8 (&parts)[2], ktFloat8& even, ktFloat8& odd) {
    // Per 128-bit half: two values of each part, so the pairs of values come out as 0 2 1 3.
    const __m256 e = _mm256_shuffle_ps(parts[0].v, parts[1].v, _MM_SHUFFLE(2, 0, 2, 0));
    const __m256 o = _mm256_shuffle_ps(parts[0].v, parts[1].v, _MM_SHUFFLE(3, 1, 3, 1));
    even.v = _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(e), _MM_SHUFFLE(3, 1, 2, 0)));
    odd.v = _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(o), _MM_SHUFFLE(3, 1, 2, 0)));
}
#ifdef KT_MATH_KTLANESAVX512_H
inline void stripInterleave(ktFloat8 even, ktFloat8 odd, ktFloat16 (&parts)[1]) {
    const __m512i from = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    parts[0].v = _mm512_permutex2var_ps(_mm512_castps256_ps512(even.v), from, _mm512_castps256_ps512(odd.v));
}
inline void stripDeinterleave(const ktFloat16 (&parts)[1], ktFloat8& even, ktFloat8& odd) {
    const __m512 split = _mm512_permutexvar_ps(_mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15),
                                               parts[0].v);
    even.v = _mm512_castps512_ps256(split);
    odd.v = _mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(split), 1));
}
#endif

// The sixteen entries of a paired group (runs from a and from b) read from base, per coordinate.
template <class L, int P>
inline void stripLoadPairs(const ktVec3f* base, int a, int b, L (&x)[P], L (&y)[P], L (&z)[P]) {
    ktFloat8 ax, ay, az, bx, by, bz;
    ktLoadVertices(base + a, ax, ay, az);
    ktLoadVertices(base + b, bx, by, bz);
    stripInterleave(ax, bx, x);
    stripInterleave(ay, by, y);
    stripInterleave(az, bz, z);
}

// stripGatherGroups sixteen entries at a time: paired groups as two runs (in registers of L), any
// other group four entries at a time.
template <class L>
inline int stripGatherPairs(const ktVec3f* pos, const int* vertex, float* px, float* py, float* pz, int begin,
                            int end) {
    constexpr int w = ktLaneWidth<L>::value, parts = 16 / w;
    int j = begin;
    for (; j + 16 <= end; j += 16) {
        int a, b;
        if (!stripPairedRuns(vertex + j, a, b)) {
            stripGatherGroups<ktFloat4>(pos, vertex, px, py, pz, j, j + 16);
            continue;
        }
        L x[parts], y[parts], z[parts];
        stripLoadPairs(pos, a, b, x, y, z);
#pragma GCC unroll 2
        for (int p = 0; p < parts; p++) {
            ktStore(px + j + w * p, x[p]);
            ktStore(py + j + w * p, y[p]);
            ktStore(pz + j + w * p, z[p]);
        }
    }
    return j;
}

// stripEntryGroups sixteen entries at a time, likewise.
template <class L>
inline int stripEntryPairs(const StripRun& r, const int* vertex, ktVec3f* normals, int* counts, int begin,
                           int end) {
    constexpr int w = ktLaneWidth<L>::value, parts = 16 / w;
    int j = begin;
    for (; j + 16 <= end; j += 16) {
        int a, b;
        if (!stripPairedRuns(vertex + j, a, b)) {
            stripEntryGroups<ktFloat4>(r, vertex, normals, counts, j, j + 16);
            continue;
        }
        L x[parts], y[parts], z[parts];
        stripLoadPairs(normals, a, b, x, y, z);
#pragma GCC unroll 2
        for (int p = 0; p < parts; p++) {
            const int e = j + w * p;
            x[p] = ((x[p] + ktLoad<L>(r.nx + e - 2)) + ktLoad<L>(r.nx + e - 1)) + ktLoad<L>(r.nx + e);
            y[p] = ((y[p] + ktLoad<L>(r.ny + e - 2)) + ktLoad<L>(r.ny + e - 1)) + ktLoad<L>(r.ny + e);
            z[p] = ((z[p] + ktLoad<L>(r.nz + e - 2)) + ktLoad<L>(r.nz + e - 1)) + ktLoad<L>(r.nz + e);
        }
        ktFloat8 ax, ay, az, bx, by, bz;
        stripDeinterleave(x, ax, bx);
        stripDeinterleave(y, ay, by);
        stripDeinterleave(z, az, bz);
        ktStoreVertices(normals + a, ax, ay, az);
        ktStoreVertices(normals + b, bx, by, bz);
        // A plain array: an initializer list's members, emitted out of line by an unoptimised
        // build, would be wide-target copies that the linker could hand to baseline code.
        const __m256i three = _mm256_set1_epi32(3);
        int* const runs[2] = {counts + a, counts + b};
        for (int* c : runs) {
            __m256i* const eight = reinterpret_cast<__m256i*>(c);
            _mm256_storeu_si256(eight, _mm256_add_epi32(_mm256_loadu_si256(eight), three));
        }
    }
    return j;
}
#endif

// A grid mesh's strips (ktMeshShape's index list): strip s of a grid `columns` wide alternates
// between rows A = s and B = s + 1, entry 2 j being vertex A_j = s * columns + j and entry 2 j + 1
// vertex B_j = (s + 1) * columns + j, and one entry that names no vertex ends it. Its face 2 j is
// (A_j, B_j, A_j+1), negated, and its face 2 j + 1 is (B_j, A_j+1, B_j+1), so vertex A_j receives
// faces 2 j - 2, 2 j - 1, 2 j and vertex B_j faces 2 j - 1, 2 j, 2 j + 1, those of them that exist.
// Row s receives faces from strip s - 1 and then from strip s only: once strip s is done its sums
// are whole, and the row is averaged and stored while its values are still in registers and L1.
// Positions, face normals and sums go by column through short per-row arrays, so a vertex is read
// once and its normal written once, and there is no separate averaging pass.

// The per-row arrays, carved from one scratch block (gridScratchFloats floats, 64-byte aligned):
// positions of rows A and B, the strip's even faces (negated) and odd faces by column j (face 2 j
// and 2 j + 1), the sums of rows A and B, and the face counts of a first, middle and last row.
// The face arrays also have the columns -1 and columns - 1, which hold -0: x + (-0) is x for
// every x, so a vertex at either end of a row adds them in place of the faces it does not have,
// and every column is summed the same way.
struct GridRows {
    float *a[3], *b[3], *even[3], *odd[3], *sumA[3], *sumB[3];
    int *countFirst, *countMiddle, *countLast;
};

// Floats per array: whole 64-byte lines, with room for column -1.
inline size_t gridStride(int columns) { return (static_cast<size_t>(columns) + 16) / 16 * 16; }
inline size_t gridScratchFloats(int columns) { return 21 * gridStride(columns); }

inline GridRows gridCarve(void* block, int columns) {
    const size_t stride = gridStride(columns);
    float* f = static_cast<float*>(block);
    GridRows r;
    float** const arrays[6] = {r.a, r.b, r.even, r.odd, r.sumA, r.sumB};
    for (float** array : arrays)
        for (int c = 0; c < 3; c++, f += stride) array[c] = f + 1;
    int* n = reinterpret_cast<int*>(f);
    r.countFirst = n;
    r.countMiddle = n + stride;
    r.countLast = n + 2 * stride;
    return r;
}

// The next narrower lane type: 16 to 8 to 4 lanes.
template <class L>
struct GridNarrower;
#ifdef KT_MATH_KTLANESAVX2_H
template <>
struct GridNarrower<ktFloat8> {
    using type = ktFloat4;
};
#endif
#ifdef KT_MATH_KTLANESAVX512_H
template <>
struct GridNarrower<ktFloat16> {
    using type = ktFloat8;
};
#endif

// body(j, L()) for groups covering the columns [begin, end), end - lowest >= 4: whole groups of
// L, then the rest in narrower groups. A rest of more than half a group takes one more group of L,
// and a rest of fewer than four columns one group of four, moved back so as to end at `end` but to
// start no earlier than `lowest`: every body here computes a column the same way each time, so a
// column done twice gets the same values. No group is narrower than four lanes: a float
// instantiation of the formulas (global templates) in a wide kernel's object could be the copy
// that the linker keeps for baseline code.
template <class L, class Body>
inline void gridGroups(int lowest, int begin, int end, Body body) {
    constexpr int w = ktLaneWidth<L>::value;
    static_assert(w >= 4, "groups of four lanes at least");
    int j = begin;
    for (; j + w <= end; j += w) body(j, L());
    if (j == end) return;
    if constexpr (w == 4) {
        body(end - w, L());
    } else if (end - lowest >= w && 2 * (end - j) > w) {
        body(end - w, L());
    } else {
        gridGroups<typename GridNarrower<L>::type>(lowest, j, end, body);
    }
}
template <class L, class Body>
inline void gridGroups(int begin, int end, Body body) {
    gridGroups<L>(begin, begin, end, body);
}

// Whether entries e[0 .. 2 columns) are a, b, a + 1, b + 1, ..., a + columns - 1, b + columns - 1.
inline bool gridStripMatches(const int* e, int a, int b, int columns) {
#if defined(KT_MATH_KTLANESAVX512_H) || defined(KT_MATH_KTLANESAVX2_H) || KT_LANES_SSE2
    const int n = 2 * columns;
#endif
#if defined(KT_MATH_KTLANESAVX512_H)
    if (n >= 16) {
        const __m512i start =
            _mm512_add_epi32(_mm512_mask_blend_epi32(0xaaaa, _mm512_set1_epi32(a), _mm512_set1_epi32(b)),
                             _mm512_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7));
        auto differ = [&](int p) {
            return _mm512_cmpneq_epi32_mask(_mm512_loadu_si512(e + p),
                                            _mm512_add_epi32(start, _mm512_set1_epi32(p / 2)));
        };
        __mmask16 bad = differ(n - 16);
        for (int p = 0; p + 16 <= n; p += 16) bad |= differ(p);
        return bad == 0;
    }
#elif defined(KT_MATH_KTLANESAVX2_H)
    if (n >= 8) {
        const __m256i start =
            _mm256_add_epi32(_mm256_blend_epi32(_mm256_set1_epi32(a), _mm256_set1_epi32(b), 0xaa),
                             _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3));
        auto same = [&](int p) {
            return _mm256_cmpeq_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(e + p)),
                                      _mm256_add_epi32(start, _mm256_set1_epi32(p / 2)));
        };
        __m256i all = same(n - 8);
        for (int p = 0; p + 8 <= n; p += 8) all = _mm256_and_si256(all, same(p));
        return _mm256_movemask_epi8(all) == -1;
    }
#elif KT_LANES_SSE2
    if (n >= 4) {
        const __m128i start = _mm_setr_epi32(a, b, a + 1, b + 1);
        auto same = [&](int p) {
            return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(e + p)),
                                   _mm_add_epi32(start, _mm_set1_epi32(p / 2)));
        };
        __m128i all = same(n - 4);
        for (int p = 0; p + 4 <= n; p += 4) all = _mm_and_si128(all, same(p));
        return _mm_movemask_epi8(all) == 0xffff;
    }
#endif
    bool same = true;
    for (int j = 0; j < columns; j++) same &= (e[2 * j] == a + j) & (e[2 * j + 1] == b + j);
    return same;
}

// Row `row` (columns vertices) into per-coordinate arrays, the group of columns from j.
template <class L>
inline void gridLoadRow(const ktVec3f* row, float* const (&to)[3], int j) {
    L x, y, z;
    ktLoadVertices(row + j, x, y, z);
    ktStore(to[0] + j, x);
    ktStore(to[1] + j, y);
    ktStore(to[2] + j, z);
}

// The strip's faces 2 j (negated) and 2 j + 1 for the group of columns from j (j + 1 < columns).
// Always inlined: GCC otherwise leaves it a call in the loop.
template <class L>
inline __attribute__((always_inline)) void gridFaces(const GridRows& r, int j) {
    const L ax = ktLoad<L>(r.a[0] + j), ay = ktLoad<L>(r.a[1] + j), az = ktLoad<L>(r.a[2] + j);
    const L bx = ktLoad<L>(r.b[0] + j), by = ktLoad<L>(r.b[1] + j), bz = ktLoad<L>(r.b[2] + j);
    const L cx = ktLoad<L>(r.a[0] + j + 1), cy = ktLoad<L>(r.a[1] + j + 1), cz = ktLoad<L>(r.a[2] + j + 1);
    const L dx = ktLoad<L>(r.b[0] + j + 1), dy = ktLoad<L>(r.b[1] + j + 1), dz = ktLoad<L>(r.b[2] + j + 1);
    L nx, ny, nz;
    ktFaceNormal(ax, ay, az, bx, by, bz, cx, cy, cz, nx, ny, nz);
    ktStore(r.even[0] + j, -nx);
    ktStore(r.even[1] + j, -ny);
    ktStore(r.even[2] + j, -nz);
    ktFaceNormal(bx, by, bz, cx, cy, cz, dx, dy, dz, nx, ny, nz);
    ktStore(r.odd[0] + j, nx);
    ktStore(r.odd[1] + j, ny);
    ktStore(r.odd[2] + j, nz);
}

// finishNormal for a grid's vertices, every one of which has a face, so no count is 0.
template <class L>
inline void gridFinish(ktVec3f* to, L x, L y, L z, const int* count) {
    L n;
    ktLoadInts(count, n);
    finishNormal<L, false>(to, x, y, z, n);
}

// Row A's sums take faces 2 j - 2, 2 j - 1, 2 j and are finished into rowA (its vertices'
// normals) with the face counts `count`; row B's sums start from zero with faces 2 j - 1, 2 j,
// 2 j + 1. Faces a column does not have are the -0 at columns -1 and columns - 1.
template <class L>
inline void gridColumns(const GridRows& r, const int* count, ktVec3f* rowA, int j) {
    L s[3];
    for (int c = 0; c < 3; c++) {
        const L e0 = ktLoad<L>(r.even[c] + j - 1), o0 = ktLoad<L>(r.odd[c] + j - 1);
        const L e1 = ktLoad<L>(r.even[c] + j), o1 = ktLoad<L>(r.odd[c] + j);
        s[c] = ((ktLoad<L>(r.sumA[c] + j) + e0) + o0) + e1;
        ktStore(r.sumB[c] + j, ((L(0.0f) + o0) + e1) + o1);
    }
    gridFinish(rowA + j, s[0], s[1], s[2], count + j);
}

// A row whose sums (in `sum`) are whole, finished into `row`.
template <class L>
inline void gridFinishRow(float* const (&sum)[3], const int* count, ktVec3f* row, int j) {
    gridFinish(row + j, ktLoad<L>(sum[0] + j), ktLoad<L>(sum[1] + j), ktLoad<L>(sum[2] + j), count + j);
}

// The normals and counts of the grid's rows 0 .. strips (strips >= 1, columns >= 5, every vertex
// named) when indices holds its strips, each `2 columns` entries and an entry outside
// [0, vertexCount); false as soon as a strip differs, with the normals and counts partly written.
// `block` is scratch of gridScratchFloats(columns) floats. Groups of L, as wide as the path runs.
template <class L>
inline bool gridStripNormals(const int* indices, int columns, int strips, int vertexCount, const ktVec3f* pos,
                             ktVec3f* normals, int* counts, void* block) {
    GridRows r = gridCarve(block, columns);
    const int last = columns - 1;
    for (int j = 0; j < columns; j++) {
        // As rows A and B of a strip: faces 2 j - 2, 2 j - 1, 2 j and 2 j - 1, 2 j, 2 j + 1.
        const int asA = (j > 0 ? 2 : 0) + (j < last ? 1 : 0), asB = (j > 0 ? 1 : 0) + (j < last ? 2 : 0);
        r.countFirst[j] = asA;
        r.countMiddle[j] = asA + asB;
        r.countLast[j] = asB;
        for (int c = 0; c < 3; c++) r.sumA[c][j] = 0.0f;
    }
    for (int c = 0; c < 3; c++) {
        r.even[c][-1] = r.odd[c][-1] = -0.0f;
        r.even[c][last] = r.odd[c][last] = -0.0f;
    }
    gridGroups<L>(0, columns, [&](int j, auto lanes) { gridLoadRow<decltype(lanes)>(pos, r.a, j); });
    for (int s = 0; s < strips; s++) {
        const int* e = indices + static_cast<size_t>(s) * (2 * static_cast<size_t>(columns) + 1);
        const int a = s * columns, b = a + columns;
        if (!gridStripMatches(e, a, b, columns) ||
            static_cast<unsigned>(e[2 * columns]) < static_cast<unsigned>(vertexCount))
            return false;
        gridGroups<L>(0, columns, [&](int j, auto lanes) { gridLoadRow<decltype(lanes)>(pos + b, r.b, j); });
        gridGroups<L>(0, last, [&](int j, auto lanes) { gridFaces<decltype(lanes)>(r, j); });
        const int* count = s == 0 ? r.countFirst : r.countMiddle;
        ktVec3f* const rowA = normals + a;
        gridGroups<L>(0, columns,
                      [&](int j, auto lanes) { gridColumns<decltype(lanes)>(r, count, rowA, j); });
        std::memcpy(counts + a, count, sizeof(int) * static_cast<size_t>(columns));
        // Row B is the next strip's row A.
        for (int c = 0; c < 3; c++) {
            float* t = r.a[c];
            r.a[c] = r.b[c];
            r.b[c] = t;
            t = r.sumA[c];
            r.sumA[c] = r.sumB[c];
            r.sumB[c] = t;
        }
    }
    const int lastRow = strips * columns;
    gridGroups<L>(0, columns, [&](int j, auto lanes) {
        gridFinishRow<decltype(lanes)>(r.sumA, r.countLast, normals + lastRow, j);
    });
    std::memcpy(counts + lastRow, r.countLast, sizeof(int) * static_cast<size_t>(columns));
    return true;
}

}  // namespace

#endif
