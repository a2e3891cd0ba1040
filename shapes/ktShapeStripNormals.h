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

// The whole normals pass (sums, counts, averaging) for the index list of a grid mesh's strips, as
// ktMeshShape builds it: strip s alternates between the vertices of rows s and s + 1 (s * columns
// + j and (s + 1) * columns + j for j = 0 .. columns - 1) and ends with an entry that names no
// vertex. Each row's normals are finished as soon as the two strips that touch it are done. The
// bits are those of ktShapeStripNormals followed by the averaging. False, with the normals and
// counts in no particular state, when the list has another layout, the grid fewer than five
// columns, or `path` is ktSimdScalar.
bool ktShapeGridStripNormals(ktSimdPath path, const int* indices, int count, int vertexCount,
                             const ktVec3f* pos, ktVec3f* normals, int* counts);

#endif
