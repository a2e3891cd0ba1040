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
#include "shapes/ktShapeFaces.h"
#include "shapes/ktShapeDrawPasses.h"
#include "shapes/ktShapePassesKernel.h"
#include "shapes/ktShapePassesWide.h"
#include "shapes/ktShapeStripNormals.h"

namespace {

// The entries of the primitive: the index list, or the vertices in order. named(e) is false for
// the separator and for any index the vertex list does not hold.
struct Entries {
    const int* indices;  // null when the shape is drawn in vertex order
    int vertexCount;

    int operator[](int k) const { return indices != nullptr ? indices[k] : k; }
    bool named(int e) const { return static_cast<unsigned>(e) < static_cast<unsigned>(vertexCount); }
};

// Separate triangles. A window of three entries moves on by three; when it holds an entry that names
// no vertex it moves on by one entry only, so that counting in threes restarts just after it.
void gatherTriangles(const Entries& e, int count, const ktVec3f* pos, ktVec3f* normals, int* counts) {
    for (int i = 0; i + 2 < count; i += 3) {
        const int a = e[i], b = e[i + 1], c = e[i + 2];
        if (!e.named(a) || !e.named(b) || !e.named(c)) {
            i -= 2;
            continue;
        }
        ktShapeAddFace(normals, counts, a, b, c, ktShapeFaceNormal(pos[a], pos[b], pos[c]));
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
        ktShapeAddFace(normals, counts, hub, b, c, ktShapeFaceNormal(pos[hub], pos[b], pos[c]));
    }
}

// A polygon is taken to be planar: its first three entries decide one normal, which every vertex
// of the shape receives, named by the index list or not.
void gatherPolygon(const Entries& e, const ktVec3f* pos, ktVec3f* normals, int* counts) {
    const int a = e[0], b = e[1], c = e[2];
    if (!e.named(a) || !e.named(b) || !e.named(c)) return;
    const ktVec3f n = ktShapeFaceNormal(pos[a], pos[b], pos[c]);
    for (int v = 0; v < e.vertexCount; v++) {
        normals[v] += n;
        counts[v]++;
    }
}

// The final pass: each sum divided by its face count (as a float) and normalised; (0, 0, 1) where
// no face counted. The widest groups the path allows first, the remainder one vertex at a time.
void finishNormals(ktSimdPath path, ktVec3f* normals, const int* counts, int vertexCount) {
    int v = 0;
    switch (path) {
#if KT_SIMD_WIDE
        case ktSimdAvx512:
            v = ktShapeFinishNormalsAvx512(normals, counts, vertexCount);
            break;
        case ktSimdAvx2:
            v = ktShapeFinishNormalsAvx2(normals, counts, vertexCount);
            break;
#endif
        default:
            break;
    }
    if (path != ktSimdScalar) v = finishNormalGroups<ktFloat4>(normals, counts, v, vertexCount);
    finishNormalGroups<float>(normals, counts, v, vertexCount);
}

}  // namespace

void ktShape::calculateNormals() { ktShapeNormalsOn(ktSimdPathInUse(), *this); }

void ktShapeNormalsOn(ktSimdPath path, ktShape& shape) {
    if (!shape.enableVertexNormals) {
        std::fputs(ktMsgNormalsDisabled, stdout);
        return;
    }
    const int vertexCount = shape.listLength;
    ktVec3f* normals = shape.normalList;
    int* counts = shape.normalCountList;
    const ktVec3f* pos = shape.absVertexList;
    // A grid mesh's strips (the cloth's) are done in one pass, averaging included.
    if (shape.drawStyle == kt_TRIANGLE_STRIP && shape.enableIndex &&
        ktShapeGridStripNormals(path, shape.indexList, shape.indexListLength, vertexCount, pos, normals,
                                counts))
        return;
    // All-zero bytes are +0.0f and 0, as setting each entry would leave them.
    if (vertexCount > 0) {
        std::memset(static_cast<void*>(normals), 0, sizeof(ktVec3f) * static_cast<size_t>(vertexCount));
        std::memset(counts, 0, sizeof(int) * static_cast<size_t>(vertexCount));
    }

    const Entries e{shape.enableIndex ? shape.indexList : nullptr, vertexCount};
    const int count = shape.enableIndex ? shape.indexListLength : shape.listLength;
    // A style that forms faces but has too few entries for one leaves the normals and counts zero.
    const bool tooFew = count < 3;
    switch (shape.drawStyle) {
        case kt_POLYGON:
            if (tooFew) return;
            gatherPolygon(e, pos, normals, counts);
            break;
        case kt_TRIANGLES:
            if (tooFew) return;
            gatherTriangles(e, count, pos, normals, counts);
            break;
        case kt_TRIANGLE_STRIP:
            if (tooFew) return;
            ktShapeStripNormals(path, e.indices, count, vertexCount, pos, normals, counts);
            break;
        case kt_TRIANGLE_FAN:
            if (tooFew) return;
            gatherFan(e, count, pos, normals, counts);
            break;
        default:
            break;  // points, lines and quads form no faces
    }

    // Average the unit face normals and bring the result back to unit length; a vertex that no
    // face touches faces +z.
    finishNormals(path, normals, counts, vertexCount);
}
