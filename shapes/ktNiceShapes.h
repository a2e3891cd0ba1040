/// @file
/// ktMeshShape: an N × M grid shape.
#ifndef KT_SHAPES_KTNICESHAPES_H
#define KT_SHAPES_KTNICESHAPES_H

#include "shapes/ktShape.h"

/// A ktShape whose N × M vertices form a grid, grid position (i, j) at vertex i · M + j, drawn as one
/// triangle strip per pair of neighbouring rows (strips separated by ::ktIndexSeparator in the index
/// list) with per-vertex colours and normals.
class ktMeshShape : public ktShape {
public:
    int N;  ///< rows: i runs 0 .. N - 1
    int M;  ///< columns: j runs 0 .. M - 1

    /// Builds the grid: vertex (i, j) at position (i, j, 0), white, with per-vertex colours, normals
    /// and the strip index list, and draw style ::kt_TRIANGLE_STRIP.
    ktMeshShape(int N, int M);

    /// Vertex number i · M + j of grid position (i, j). Unchecked: (0, M) names (1, 0). Worked out
    /// in unsigned arithmetic, so any i and j give the wrapped 32-bit result instead of an overflow.
    int getVertexIndex(int i, int j) {
        return static_cast<int>(static_cast<unsigned>(i) * static_cast<unsigned>(M) +
                                static_cast<unsigned>(j));
    }
    /// setVertex() on grid position (i, j); a vertex number outside the list prints
    /// "setVertex: index is out of bounds" and changes nothing.
    void setMeshVertex(int i, int j, float x, float y, float z) { setVertex(getVertexIndex(i, j), x, y, z); }
    /// setVertexColor() on grid position (i, j), with its checks and messages.
    void setMeshVertexColor(int i, int j, float r, float g, float b, float a) {
        setVertexColor(getVertexIndex(i, j), r, g, b, a);
    }
};

#endif
