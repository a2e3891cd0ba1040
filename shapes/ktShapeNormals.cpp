// ktShape::calculateNormals: per-vertex unit normals averaged from the faces that the shape's
// primitive forms, computed from the world positions in absVertexList. Every face contributes its
// unit normal once to each of its corners, so faces weigh equally whatever their area. An entry
// that names no vertex (the separator -1, or any index outside the vertex list) never forms a
// face: no position is read and no normal or count is written through it.
#include <GL/gl.h>

#include <cstdio>

#include "shapes/ktShape.h"

namespace {

// Unit normal of triangle (a, b, c), pointing towards a viewer who sees a, b, c counter-clockwise.
// A triangle of zero area gives the zero vector.
inline ktVec3f faceNormal(const ktVec3f& a, const ktVec3f& b, const ktVec3f& c) {
    ktVec3f n = (b - a).cross(c - a);
    n.normalize();
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
    for (int v = 0; v < vertexCount; v++) {
        normals[v].set(0.0f, 0.0f, 0.0f);
        counts[v] = 0;
    }

    const Entries e{enableIndex ? indexList : nullptr, vertexCount};
    const int count = enableIndex ? indexListLength : listLength;
    switch (drawStyle) {
        case GL_POLYGON:
        case GL_TRIANGLES:
        case GL_TRIANGLE_STRIP:
        case GL_TRIANGLE_FAN:
            // Too few entries for a single face: the normals and counts stay zero.
            if (count < 3) return;
            break;
        default:
            break;
    }
    switch (drawStyle) {
        case GL_POLYGON:
            gatherPolygon(e, pos, normals, counts);
            break;
        case GL_TRIANGLES:
            gatherTriangles(e, count, false, pos, normals, counts);
            break;
        case GL_TRIANGLE_STRIP:
            gatherTriangles(e, count, true, pos, normals, counts);
            break;
        case GL_TRIANGLE_FAN:
            gatherFan(e, count, pos, normals, counts);
            break;
        default:
            break;  // points, lines and quads form no faces
    }

    // Average the unit face normals and bring the result back to unit length; a vertex that no
    // face touches faces +z.
    for (int v = 0; v < vertexCount; v++) {
        if (counts[v] != 0) {
            normals[v] /= static_cast<float>(counts[v]);
            normals[v].normalize();
        } else {
            normals[v].set(0.0f, 0.0f, 1.0f);
        }
    }
}
