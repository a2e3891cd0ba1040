// Internal to the shapes module: the face normals of triangle strips and their sums at the corners,
// the part of ktShape::calculateNormals that the mesh draw spends its time in.
#ifndef KT_SHAPES_KTSHAPESTRIPNORMALS_H
#define KT_SHAPES_KTSHAPESTRIPNORMALS_H

#include "math/ktSimd.h"
#include "math/ktVec3f.h"

// Adds the unit normal of every face of the strip to the sums of its three corners, in face order,
// and counts it at each corner. The entries are indices[0 .. count), or the vertices 0 .. count - 1
// in order when indices is null; an entry outside [0, vertexCount) names no vertex and restarts the
// strip. OpenGL alternates the winding of a strip's faces, so the first, third, fifth ... face since
// the last restart is negated, which puts every normal of the strip on the same side. `path` picks
// the instruction set (at most ktSimdBest()); every path gives the same bits.
void ktShapeStripNormals(ktSimdPath path, const int* indices, int count, int vertexCount, const ktVec3f* pos,
                         ktVec3f* normals, int* counts);

#endif
