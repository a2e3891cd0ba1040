// ktMeshShape: a ktShape whose N x M vertices form a grid, grid position (i, j) at vertex
// i * M + j, drawn as one triangle strip per pair of neighbouring rows with per-vertex colours
// and normals.
#ifndef KT_SHAPES_KTNICESHAPES_H
#define KT_SHAPES_KTNICESHAPES_H

#include "shapes/ktShape.h"

class ktMeshShape : public ktShape {
public:
    int N;  // rows: i runs 0 .. N - 1
    int M;  // columns: j runs 0 .. M - 1

    ktMeshShape(int N, int M);

    // i * M + j, unchecked. Worked out in unsigned arithmetic so that any i and j give the wrapped
    // 32-bit result instead of an overflow; the setters then report any index outside the list.
    int getVertexIndex(int i, int j) {
        return static_cast<int>(static_cast<unsigned>(i) * static_cast<unsigned>(M) +
                                static_cast<unsigned>(j));
    }
    void setMeshVertex(int i, int j, float x, float y, float z) { setVertex(getVertexIndex(i, j), x, y, z); }
    void setMeshVertexColor(int i, int j, float r, float g, float b, float a) {
        setVertexColor(getVertexIndex(i, j), r, g, b, a);
    }
};

#endif
