// Internal to the shapes module: one face of the normals' rules, for the face-by-face passes of
// shapes/ktShapeNormals.cpp and shapes/ktShapeStripNormals.cpp.
#ifndef KT_SHAPES_KTSHAPEFACES_H
#define KT_SHAPES_KTSHAPEFACES_H

#include "math/ktFormulas.h"
#include "math/ktVec3f.h"

namespace {

// Unit normal of triangle (a, b, c), pointing towards a viewer who sees a, b, c counter-clockwise.
// A triangle of zero area gives the zero vector.
inline ktVec3f ktShapeFaceNormal(const ktVec3f& a, const ktVec3f& b, const ktVec3f& c) {
    ktVec3f n;
    ktFaceNormal(a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z, n.x, n.y, n.z);
    return n;
}

// Adds the face normal n to each corner's sum and counts the face once at each corner.
inline void ktShapeAddFace(ktVec3f* normals, int* counts, int a, int b, int c, ktVec3f n) {
    normals[a] += n;
    normals[b] += n;
    normals[c] += n;
    counts[a]++;
    counts[b]++;
    counts[c]++;
}

}  // namespace

#endif
