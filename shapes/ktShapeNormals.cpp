// ktShape::calculateNormals: per-vertex unit normals averaged from the faces that the shape's
// primitive forms, computed from the world positions in absVertexList. Every face contributes its
// unit normal once to each of its corners, so faces weigh equally whatever their area. An entry
// that names no vertex (the separator -1, or any index outside the vertex list) never forms a
// face: no position is read and no normal or count is written through it.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "shapes/ktPrimitive.h"
#include "shapes/ktShape.h"
#include "math/ktLanes.h"
#include "shapes/ktShapeDrawPasses.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Unit normal of triangle (a, b, c), pointing towards a viewer who sees a, b, c counter-clockwise.
// A triangle of zero area gives the zero vector.
inline ktVec3f faceNormal(const ktVec3f& a, const ktVec3f& b, const ktVec3f& c) {
    ktVec3f n;
    ktFaceNormal(a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z, n.x, n.y, n.z);
    return n;
}

inline void addFace(ktVec3f* normals, int* counts, int a, int b, int c, ktVec3f n) {
    normals[a] += n;
    normals[b] += n;
    normals[c] += n;
    counts[a]++;
    counts[b]++;
    counts[c]++;
}

// The entries of the primitive: the index list, or the vertices in order. named(e) is false for
// the separator and for any index the vertex list does not hold.
struct Entries {
    const int* indices;  // null when the shape is drawn in vertex order
    int vertexCount;

    int operator[](int k) const { return indices != nullptr ? indices[k] : k; }
    bool named(int e) const { return static_cast<unsigned>(e) < static_cast<unsigned>(vertexCount); }
};

// Separate triangles (step 3) and triangle strips (step 1). A window of three entries slides along
// the list; when it holds an entry that names no vertex, a triangle list moves on by one entry
// only, so that counting in threes restarts just after the separator, and a strip restarts its
// face parity. OpenGL alternates the winding of a strip's faces; negating the first, third, fifth
// ... face since the last restart puts every normal of the strip on the same side.
void gatherTriangles(const Entries& e, int count, bool strip, const ktVec3f* pos, ktVec3f* normals,
                     int* counts) {
    const int step = strip ? 1 : 3;
    int k = 0;  // faces since the start or the last separator
    for (int i = 0; i + 2 < count; i += step) {
        const int a = e[i], b = e[i + 1], c = e[i + 2];
        if (!e.named(a) || !e.named(b) || !e.named(c)) {
            if (!strip) i -= 2;
            k = 0;
            continue;
        }
        ktVec3f n = faceNormal(pos[a], pos[b], pos[c]);
        if (strip && k % 2 == 0) n.set(-n.x, -n.y, -n.z);
        addFace(normals, counts, a, b, c, n);
        k++;
    }
}

// Triangle strips, run by run. A run is a stretch of entries that all name vertices, between
// separators (or unnamed entries); its faces are the windows of three consecutive entries, face f
// negated when f is even, exactly the faces gatherTriangles forms. Two things make it faster and
// leave every bit as it was:
// - face normals are computed four at a time, one SSE lane per face, from the run's positions
//   gathered into separate x, y and z arrays; each lane performs the scalar operations of
//   faceNormal in the same order;
// - each entry's vertex then receives its (up to three) faces in face order with a single load and
//   store of its sum, four entries at a time. That is the order of the face-by-face loop as long as
//   no vertex occurs twice within four consecutive entries; a run where one does is handed to that
//   loop instead. (The mesh's strips never repeat a vertex.)
const int stripChunk = 256;  // faces per chunk; a multiple of 4, so a chunk starts at an even face

struct StripBuffers {
    float px[stripChunk + 2 + 4], py[stripChunk + 2 + 4], pz[stripChunk + 2 + 4];  // chunk's entries
    float nx[stripChunk + 2 + 4], ny[stripChunk + 2 + 4], nz[stripChunk + 2 + 4];  // faces, 2 carried
};

#if defined(__SSE2__)
// Faces 0 .. faces - 1 of the gathered entries (face f = entries f, f + 1, f + 2) into n[2 + f].
// Lanes past the last face compute from padding and are never read.
void stripFaceNormals(StripBuffers& b, int faces) {
    const __m128 negateEven = _mm_castsi128_ps(_mm_setr_epi32(INT32_MIN, 0, INT32_MIN, 0));
    const __m128 zero = _mm_setzero_ps();
    for (int f = 0; f < faces; f += 4) {
        const __m128 ax = _mm_loadu_ps(b.px + f), ay = _mm_loadu_ps(b.py + f), az = _mm_loadu_ps(b.pz + f);
        const __m128 ux = _mm_sub_ps(_mm_loadu_ps(b.px + f + 1), ax);
        const __m128 uy = _mm_sub_ps(_mm_loadu_ps(b.py + f + 1), ay);
        const __m128 uz = _mm_sub_ps(_mm_loadu_ps(b.pz + f + 1), az);
        const __m128 wx = _mm_sub_ps(_mm_loadu_ps(b.px + f + 2), ax);
        const __m128 wy = _mm_sub_ps(_mm_loadu_ps(b.py + f + 2), ay);
        const __m128 wz = _mm_sub_ps(_mm_loadu_ps(b.pz + f + 2), az);
        const __m128 cx = _mm_sub_ps(_mm_mul_ps(uy, wz), _mm_mul_ps(uz, wy));
        const __m128 cy = _mm_sub_ps(_mm_mul_ps(uz, wx), _mm_mul_ps(ux, wz));
        const __m128 cz = _mm_sub_ps(_mm_mul_ps(ux, wy), _mm_mul_ps(uy, wx));
        const __m128 sq = _mm_add_ps(_mm_add_ps(_mm_mul_ps(cx, cx), _mm_mul_ps(cy, cy)), _mm_mul_ps(cz, cz));
        const __m128 len = _mm_sqrt_ps(sq);
        // A zero length leaves the vector as it is (normalize's rule).
        const __m128 keep = _mm_cmpeq_ps(len, zero);
        const __m128 ox = _mm_or_ps(_mm_and_ps(keep, cx), _mm_andnot_ps(keep, _mm_div_ps(cx, len)));
        const __m128 oy = _mm_or_ps(_mm_and_ps(keep, cy), _mm_andnot_ps(keep, _mm_div_ps(cy, len)));
        const __m128 oz = _mm_or_ps(_mm_and_ps(keep, cz), _mm_andnot_ps(keep, _mm_div_ps(cz, len)));
        _mm_storeu_ps(b.nx + 2 + f, _mm_xor_ps(ox, negateEven));
        _mm_storeu_ps(b.ny + 2 + f, _mm_xor_ps(oy, negateEven));
        _mm_storeu_ps(b.nz + 2 + f, _mm_xor_ps(oz, negateEven));
    }
}
#else
void stripFaceNormals(StripBuffers& b, int faces) {
    for (int f = 0; f < faces; f++) {
        const ktVec3f a(b.px[f], b.py[f], b.pz[f]);
        ktVec3f n = faceNormal(a, ktVec3f(b.px[f + 1], b.py[f + 1], b.pz[f + 1]),
                              ktVec3f(b.px[f + 2], b.py[f + 2], b.pz[f + 2]));
        if (f % 2 == 0) n.set(-n.x, -n.y, -n.z);
        b.nx[2 + f] = n.x;
        b.ny[2 + f] = n.y;
        b.nz[2 + f] = n.z;
    }
}
#endif

// The end of the run of named entries that starts at `first`, and whether some vertex occurs
// twice within four consecutive entries of it (in one pass over the index list; with SSE2 four
// entries at a time once three are behind).
int scanRun(const int* indices, int first, int count, int vertexCount, bool& repeat) {
    int p1 = -1, p2 = -1, p3 = -1;  // the previous three entries; -1 equals no named entry
    bool found = false;
    int end = first;
    auto scalarScan = [&](int limit) {
        for (; end < limit; end++) {
            const int v = indices[end];
            if (static_cast<unsigned>(v) >= static_cast<unsigned>(vertexCount)) return false;
            found |= (v == p1) | (v == p2) | (v == p3);
            p3 = p2;
            p2 = p1;
            p1 = v;
        }
        return true;
    };
    if (scalarScan(first + 3 < count ? first + 3 : count)) {
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128(), last = _mm_set1_epi32(vertexCount - 1);
        __m128i close = zero;
        for (; end + 4 <= count; end += 4) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(indices + end));
            const __m128i unnamed = _mm_or_si128(_mm_cmplt_epi32(v, zero), _mm_cmpgt_epi32(v, last));
            if (_mm_movemask_epi8(unnamed) != 0) break;
            const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(indices + end - 1));
            const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(indices + end - 2));
            const __m128i b3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(indices + end - 3));
            close = _mm_or_si128(close, _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(v, b1), _mm_cmpeq_epi32(v, b2)),
                                                     _mm_cmpeq_epi32(v, b3)));
        }
        found |= _mm_movemask_epi8(close) != 0;
        p1 = indices[end - 1];
        p2 = indices[end - 2];
        p3 = indices[end - 3];
#endif
        scalarScan(count);
    }
    repeat = found;
    return end;
}

// One run of `length` >= 3 named entries from `first` (indices null: vertex order).
void gatherStripRun(const int* indices, int first, int length, const ktVec3f* pos, ktVec3f* normals,
                    int* counts, StripBuffers& b) {
    const int faces = length - 2;
    int vertex[stripChunk + 2];
    // Entry j (0-based in the run) touches faces max(0, j - 2) .. min(j, faces - 1), which sit in
    // slots f - chunkStart + 2 of the buffers.
    auto finishEntry = [&](int j, int chunkStart) {
        const int v = vertex[j - chunkStart];
        const int lo = j - 2 > 0 ? j - 2 : 0;
        const int hi = j < faces - 1 ? j : faces - 1;
        ktVec3f sum = normals[v];
        for (int f = lo; f <= hi; f++) {
            const int slot = f - chunkStart + 2;
            sum += ktVec3f(b.nx[slot], b.ny[slot], b.nz[slot]);
        }
        normals[v] = sum;
        counts[v] += hi - lo + 1;
    };
    for (int start = 0; start < faces; start += stripChunk) {
        const int chunkFaces = faces - start < stripChunk ? faces - start : stripChunk;
        if (start > 0) {
            // Carry the previous chunk's last two faces into slots 0 and 1.
            b.nx[0] = b.nx[stripChunk], b.ny[0] = b.ny[stripChunk], b.nz[0] = b.nz[stripChunk];
            b.nx[1] = b.nx[stripChunk + 1], b.ny[1] = b.ny[stripChunk + 1], b.nz[1] = b.nz[stripChunk + 1];
        }
        const int entries = chunkFaces + 2;
        const int base = first + start;
        for (int j = 0; j < entries; j++) {
            const int v = indices != nullptr ? indices[base + j] : base + j;
            vertex[j] = v;
            b.px[j] = pos[v].x;
            b.py[j] = pos[v].y;
            b.pz[j] = pos[v].z;
        }
        for (int j = entries; j < entries + 4; j++) b.px[j] = b.py[j] = b.pz[j] = 0.0f;
        stripFaceNormals(b, chunkFaces);

        int j = start;
        for (; j < start + chunkFaces && j < 2; j++) finishEntry(j, start);
        // Entries with all three faces: the previous two and their own, in face order; with SSE2
        // four entries at a time (their vertices differ, as no vertex recurs within four entries).
#if defined(__SSE2__)
        for (; j + 4 <= start + chunkFaces; j += 4) {
            const int slot = j - start;
            const int* v = vertex + slot;
            ktVec3f* n0 = normals + v[0];
            ktVec3f* n1 = normals + v[1];
            ktVec3f* n2 = normals + v[2];
            ktVec3f* n3 = normals + v[3];
            __m128 x = _mm_setr_ps(n0->x, n1->x, n2->x, n3->x);
            __m128 y = _mm_setr_ps(n0->y, n1->y, n2->y, n3->y);
            __m128 z = _mm_setr_ps(n0->z, n1->z, n2->z, n3->z);
            for (int f = 0; f < 3; f++) {
                x = _mm_add_ps(x, _mm_loadu_ps(b.nx + slot + f));
                y = _mm_add_ps(y, _mm_loadu_ps(b.ny + slot + f));
                z = _mm_add_ps(z, _mm_loadu_ps(b.nz + slot + f));
            }
            alignas(16) float fx[4], fy[4], fz[4];
            _mm_store_ps(fx, x);
            _mm_store_ps(fy, y);
            _mm_store_ps(fz, z);
            n0->set(fx[0], fy[0], fz[0]);
            n1->set(fx[1], fy[1], fz[1]);
            n2->set(fx[2], fy[2], fz[2]);
            n3->set(fx[3], fy[3], fz[3]);
            counts[v[0]] += 3;
            counts[v[1]] += 3;
            counts[v[2]] += 3;
            counts[v[3]] += 3;
        }
#endif
        for (; j < start + chunkFaces; j++) {
            const int slot = j - start;
            const int v = vertex[slot];
            ktVec3f& n = normals[v];
            n.x = ((n.x + b.nx[slot]) + b.nx[slot + 1]) + b.nx[slot + 2];
            n.y = ((n.y + b.ny[slot]) + b.ny[slot + 1]) + b.ny[slot + 2];
            n.z = ((n.z + b.nz[slot]) + b.nz[slot + 1]) + b.nz[slot + 2];
            counts[v] += 3;
        }
        if (start + chunkFaces == faces) {
            finishEntry(faces, start);
            finishEntry(faces + 1, start);
        }
    }
}

void gatherStrip(const Entries& e, int count, const ktVec3f* pos, ktVec3f* normals, int* counts) {
    StripBuffers b;
    if (e.indices == nullptr) {
        // Vertex order: one run of distinct vertices.
        if (count >= 3) gatherStripRun(nullptr, 0, count, pos, normals, counts, b);
        return;
    }
    int k = 0;
    while (k < count) {
        bool repeat = false;
        const int end = scanRun(e.indices, k, count, e.vertexCount, repeat);
        const int length = end - k;
        if (length >= 3) {
            if (repeat) {
                const Entries run{e.indices + k, e.vertexCount};
                gatherTriangles(run, length, true, pos, normals, counts);
            } else {
                gatherStripRun(e.indices, k, length, pos, normals, counts, b);
            }
        }
        k = end + 1;  // past the entry that names no vertex
    }
}

// A fan turns around its first entry for the whole list; an entry that names no vertex drops only
// the triangles that contain it. A hub that names no vertex forms no face at all.
void gatherFan(const Entries& e, int count, const ktVec3f* pos, ktVec3f* normals, int* counts) {
    const int hub = e[0];
    if (!e.named(hub)) return;
    for (int j = 1; j + 1 < count; j++) {
        const int b = e[j], c = e[j + 1];
        if (!e.named(b) || !e.named(c)) continue;
        addFace(normals, counts, hub, b, c, faceNormal(pos[hub], pos[b], pos[c]));
    }
}

// A polygon is taken to be planar: its first three entries decide one normal, which every vertex
// of the shape receives, named by the index list or not.
void gatherPolygon(const Entries& e, const ktVec3f* pos, ktVec3f* normals, int* counts) {
    const int a = e[0], b = e[1], c = e[2];
    if (!e.named(a) || !e.named(b) || !e.named(c)) return;
    const ktVec3f n = faceNormal(pos[a], pos[b], pos[c]);
    for (int v = 0; v < e.vertexCount; v++) {
        normals[v] += n;
        counts[v]++;
    }
}

// The final pass: each sum divided by its face count (as a float) and normalised; (0, 0, 1) where
// no face counted. Four vertices at a time, one lane each, and the remainder one at a time.
void finishNormals(ktVec3f* normals, const int* counts, int vertexCount) {
    ktForLanes<ktFloat4>(0, vertexCount, [&](int v, auto lane) {
        using L = decltype(lane);
        L x, y, z, count;
        ktLoadVertices(normals + v, x, y, z);
        ktLoadInts(counts + v, count);
        x = x / count;
        y = y / count;
        z = z / count;
        ktNormalizeSafe(x, y, z);
        const auto none = count == L(0.0f);
        ktStoreVertices(normals + v, ktSelect(none, L(0.0f), x), ktSelect(none, L(0.0f), y),
                        ktSelect(none, L(1.0f), z));
    });
}

}  // namespace

void ktShape::calculateNormals() {
    if (!enableVertexNormals) {
        std::fputs(ktMsgNormalsDisabled, stdout);
        return;
    }
    const int vertexCount = listLength;
    ktVec3f* normals = normalList;
    int* counts = normalCountList;
    const ktVec3f* pos = absVertexList;
    // All-zero bytes are +0.0f and 0, as setting each entry would leave them.
    if (vertexCount > 0) {
        std::memset(static_cast<void*>(normals), 0, sizeof(ktVec3f) * static_cast<size_t>(vertexCount));
        std::memset(counts, 0, sizeof(int) * static_cast<size_t>(vertexCount));
    }

    const Entries e{enableIndex ? indexList : nullptr, vertexCount};
    const int count = enableIndex ? indexListLength : listLength;
    switch (drawStyle) {
        case kt_POLYGON:
        case kt_TRIANGLES:
        case kt_TRIANGLE_STRIP:
        case kt_TRIANGLE_FAN:
            // Too few entries for a single face: the normals and counts stay zero.
            if (count < 3) return;
            break;
        default:
            break;
    }
    switch (drawStyle) {
        case kt_POLYGON:
            gatherPolygon(e, pos, normals, counts);
            break;
        case kt_TRIANGLES:
            gatherTriangles(e, count, false, pos, normals, counts);
            break;
        case kt_TRIANGLE_STRIP:
            gatherStrip(e, count, pos, normals, counts);
            break;
        case kt_TRIANGLE_FAN:
            gatherFan(e, count, pos, normals, counts);
            break;
        default:
            break;  // points, lines and quads form no faces
    }

    // Average the unit face normals and bring the result back to unit length; a vertex that no
    // face touches faces +z.
    finishNormals(normals, counts, vertexCount);
}
