// Triangle-strip normals, run by run. A run is a stretch of entries that all name vertices, between
// entries that do not; its faces are the windows of three consecutive entries, face f negated when
// f is even. The face-by-face rule adds each face to its corners in turn. The gathered form below
// gives the same bits faster:
// - the run's positions are gathered into one array per coordinate, and the face normals computed
//   from them a group of faces at a time, one lane per face (the widest path the machine runs);
// - each entry's vertex then receives its (up to three) faces in face order with a single load and
//   store of its sum, four entries at a time. That is the face-by-face order as long as no vertex
//   occurs twice within four consecutive entries; a run where one does goes face by face instead.
//   (The mesh's strips never repeat a vertex.)
// - on AVX2 and AVX-512, sixteen entries that alternate between two runs of eight vertices (a grid's
//   strips) move their positions and sums as two packed runs (shapes/ktShapePassesKernel.h).
// The gathered arrays live in one scratch block sized to the longest run seen, kept between calls;
// when it cannot grow, the run goes face by face.
#include "shapes/ktShapeStripNormals.h"
#include "shapes/ktShapeFaces.h"

#include <cstdint>
#include <cstdlib>

#include "shapes/ktShapePassesKernel.h"
#include "shapes/ktShapePassesWide.h"

#if KT_LANES_SSE2
#include <emmintrin.h>
#endif

namespace {

// The gathered run: positions, face normals and (in vertex order) the vertex of each entry.
class StripScratch {
public:
    float *px = nullptr, *py = nullptr, *pz = nullptr;  // per entry
    float *nx = nullptr, *ny = nullptr, *nz = nullptr;  // per face
    int* vertex = nullptr;                              // per entry

    // Room for a run of `entries` entries; false (and the old block kept) when it cannot be had.
    bool reserve(int entries) {
        if (entries <= capacity) return true;
        // Whole 64-byte lines per array, so that every array starts aligned for any lane width.
        const size_t each = (static_cast<size_t>(entries) + 15) / 16 * 16;
        if (each > SIZE_MAX / (7 * sizeof(float))) return false;
        void* grown = std::malloc(7 * each * sizeof(float) + 64);
        if (grown == nullptr) return false;
        std::free(block);
        block = grown;
        float* f = reinterpret_cast<float*>((reinterpret_cast<uintptr_t>(grown) + 63) / 64 * 64);
        px = f, py = f + each, pz = f + 2 * each;
        nx = f + 3 * each, ny = f + 4 * each, nz = f + 5 * each;
        vertex = reinterpret_cast<int*>(f + 6 * each);
        capacity = static_cast<int>(each > INT32_MAX ? INT32_MAX : each);
        return true;
    }

private:
    void* block = nullptr;
    int capacity = 0;
};

// The library draws from one thread; the block is kept for the next frame.
StripScratch scratch;

// The per-row arrays of a grid's strips (gridStripNormals), sized to the widest grid seen.
class GridScratch {
public:
    // Room for a grid `columns` wide; null when it cannot be had.
    void* reserve(int columns) {
        if (columns <= capacity) return aligned;
        const size_t floats = gridScratchFloats(columns);
        if (floats > (SIZE_MAX - 64) / sizeof(float)) return nullptr;
        void* grown = std::malloc(floats * sizeof(float) + 64);
        if (grown == nullptr) return nullptr;
        std::free(block);
        block = grown;
        aligned = reinterpret_cast<void*>((reinterpret_cast<uintptr_t>(grown) + 63) / 64 * 64);
        capacity = columns;
        return aligned;
    }

private:
    void* block = nullptr;
    void* aligned = nullptr;
    int capacity = 0;
};

GridScratch gridScratch;

// The entry of a run: indices[first + k], or first + k in vertex order.
inline int runEntry(const int* indices, int first, int k) {
    return indices != nullptr ? indices[first + k] : first + k;
}

// The face-by-face rule on one run of `length` >= 3 named entries.
void stripRunFaceByFace(const int* indices, int first, int length, const ktVec3f* pos, ktVec3f* normals,
                        int* counts) {
    for (int f = 0; f + 2 < length; f++) {
        const int a = runEntry(indices, first, f), b = runEntry(indices, first, f + 1),
                  c = runEntry(indices, first, f + 2);
        ktVec3f n = ktShapeFaceNormal(pos[a], pos[b], pos[c]);
        const bool even = f % 2 == 0;
        n.set(ktNegateIf(even, n.x), ktNegateIf(even, n.y), ktNegateIf(even, n.z));
        ktShapeAddFace(normals, counts, a, b, c, n);
    }
}

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
#if KT_LANES_SSE2
        // Integer lanes: the comparisons are exact for every index.
        const __m128i zero = _mm_setzero_si128(), last = _mm_set1_epi32(vertexCount - 1);
        __m128i close = zero;
        for (; end + 4 <= count; end += 4) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(indices + end));
            const __m128i unnamed = _mm_or_si128(_mm_cmplt_epi32(v, zero), _mm_cmpgt_epi32(v, last));
            if (_mm_movemask_epi8(unnamed) != 0) break;
            const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(indices + end - 1));
            const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(indices + end - 2));
            const __m128i b3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(indices + end - 3));
            close =
                _mm_or_si128(close, _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(v, b1), _mm_cmpeq_epi32(v, b2)),
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

// Entry j's faces max(0, j - 2) .. min(j, faces - 1) added to its vertex in face order.
inline void finishEntry(const StripRun& r, const int* vertex, int faces, int j, ktVec3f* normals,
                        int* counts) {
    const int v = vertex[j];
    const int lo = j - 2 > 0 ? j - 2 : 0;
    const int hi = j < faces - 1 ? j : faces - 1;
    ktVec3f sum = normals[v];
    for (int f = lo; f <= hi; f++) sum += ktVec3f(r.nx[f], r.ny[f], r.nz[f]);
    normals[v] = sum;
    counts[v] += hi - lo + 1;
}

// Face normals of the run's faces [0, faces) on the given path, the widest groups first.
void runFaceNormals(ktSimdPath path, const StripRun& r, int faces) {
    int f = 0;
    switch (path) {
#if KT_SIMD_WIDE
        case ktSimdAvx512:
            f = ktShapeStripFacesAvx512(r.px, r.py, r.pz, r.nx, r.ny, r.nz, faces);
            break;
        case ktSimdAvx2:
            f = ktShapeStripFacesAvx2(r.px, r.py, r.pz, r.nx, r.ny, r.nz, faces);
            break;
#endif
        default:
            break;
    }
    // The wide groups end on a multiple of their width, so the next group starts at an even face.
    if (path != ktSimdScalar) f = stripFaceGroups<ktFloat4>(r, f, faces);
    stripFaceGroups<float>(r, f, faces);
}

// One run of `length` >= 3 named entries from `first`, no vertex twice within four entries.
void stripRun(ktSimdPath path, const int* indices, int first, int length, const ktVec3f* pos,
              ktVec3f* normals, int* counts) {
    if (!scratch.reserve(length)) {
        stripRunFaceByFace(indices, first, length, pos, normals, counts);
        return;
    }
    const int faces = length - 2;
    const int* vertex = indices + first;
    if (indices == nullptr) {
        for (int j = 0; j < length; j++) scratch.vertex[j] = first + j;
        vertex = scratch.vertex;
    }
    const StripRun r{scratch.px, scratch.py, scratch.pz, scratch.nx, scratch.ny, scratch.nz};
    const bool lanes = path != ktSimdScalar;
    int j = 0;
#if KT_SIMD_WIDE
    if (path == ktSimdAvx512) j = ktShapeStripGatherAvx512(pos, vertex, scratch.px, scratch.py, scratch.pz, length);
    if (path == ktSimdAvx2) j = ktShapeStripGatherAvx2(pos, vertex, scratch.px, scratch.py, scratch.pz, length);
#endif
    if (lanes) j = stripGatherGroups<ktFloat4>(pos, vertex, scratch.px, scratch.py, scratch.pz, j, length);
    stripGatherGroups<float>(pos, vertex, scratch.px, scratch.py, scratch.pz, j, length);
    runFaceNormals(path, r, faces);

    // Entries in order: the first two and the last two have fewer than three faces.
    const int inner = faces > 2 ? faces : 2;
    finishEntry(r, vertex, faces, 0, normals, counts);
    finishEntry(r, vertex, faces, 1, normals, counts);
    j = 2;
#if KT_SIMD_WIDE
    if (path == ktSimdAvx512)
        j = ktShapeStripEntriesAvx512(scratch.nx, scratch.ny, scratch.nz, vertex, normals, counts, j, inner);
    if (path == ktSimdAvx2)
        j = ktShapeStripEntriesAvx2(scratch.nx, scratch.ny, scratch.nz, vertex, normals, counts, j, inner);
#endif
    if (lanes) j = stripEntryGroups<ktFloat4>(r, vertex, normals, counts, j, inner);
    stripEntryGroups<float>(r, vertex, normals, counts, j, inner);
    for (j = inner; j < length; j++) finishEntry(r, vertex, faces, j, normals, counts);
}

}  // namespace

void ktShapeStripNormals(ktSimdPath path, const int* indices, int count, int vertexCount, const ktVec3f* pos,
                         ktVec3f* normals, int* counts) {
    if (indices == nullptr) {
        // Vertex order: one run of distinct vertices.
        if (count >= 3) stripRun(path, nullptr, 0, count, pos, normals, counts);
        return;
    }
    int k = 0;
    while (k < count) {
        bool repeat = false;
        const int end = scanRun(indices, k, count, vertexCount, repeat);
        const int length = end - k;
        if (length >= 3) {
            if (repeat) {
                stripRunFaceByFace(indices, k, length, pos, normals, counts);
            } else {
                stripRun(path, indices, k, length, pos, normals, counts);
            }
        }
        k = end + 1;  // past the entry that names no vertex
    }
}

bool ktShapeGridStripNormals(ktSimdPath path, const int* indices, int count, int vertexCount,
                             const ktVec3f* pos, ktVec3f* normals, int* counts) {
    // One column at a time (no lanes) the grid pass is slower than the run-by-run passes, whose
    // simple loops the compiler vectorises.
    if (path == ktSimdScalar) return false;
    // The layout ktMeshShape builds: the first strip starts 0, columns, 1, columns + 1, ...
    if (indices == nullptr || count < 3 || indices[0] != 0) return false;
    const int columns = indices[1];
    // From five columns every range of columns the pass works on holds a group of four lanes.
    if (columns < 5) return false;
    const long long period = 2LL * columns + 1;
    if (count % period != 0) return false;
    const long long strips = count / period;
    const long long gridVertices = (strips + 1) * columns;
    if (gridVertices > vertexCount) return false;
    void* block = gridScratch.reserve(columns);
    if (block == nullptr) return false;
    const int s = static_cast<int>(strips);
    bool done = false;
    switch (path) {
#if KT_SIMD_WIDE
        case ktSimdAvx512:
            done = ktShapeGridNormalsAvx512(indices, columns, s, vertexCount, pos, normals, counts, block);
            break;
        case ktSimdAvx2:
            done = ktShapeGridNormalsAvx2(indices, columns, s, vertexCount, pos, normals, counts, block);
            break;
#endif
        default:
            done = gridStripNormals<ktFloat4>(indices, columns, s, vertexCount, pos, normals, counts, block);
            break;
    }
    if (!done) return false;
    // Vertices past the grid take part in no face.
    for (int v = static_cast<int>(gridVertices); v < vertexCount; v++) {
        normals[v].x = 0.0f;
        normals[v].y = 0.0f;
        normals[v].z = 1.0f;
        counts[v] = 0;
    }
    return true;
}
