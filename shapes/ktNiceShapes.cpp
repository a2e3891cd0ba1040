// ktMeshShape construction: N * M vertices on a unit grid in the plane z = 0 and an index list of
// N - 1 triangle strips, each zigzagging between rows i and i + 1 and ended by -1.
#include "shapes/ktNiceShapes.h"

#include <climits>

namespace {

// A grid whose vertex or index count an int cannot hold, or with a negative dimension, has no
// vertices: its addressing would overflow, and N * M of two negative sizes is no grid at all.
bool gridFits(int rows, int columns) {
    if (rows < 0 || columns < 0) return false;
    const long long vertices = static_cast<long long>(rows) * columns;
    const long long indices = rows > 1 ? (static_cast<long long>(rows) - 1) * (2LL * columns + 1) : 0;
    return vertices <= INT_MAX && indices <= INT_MAX;
}

}  // namespace

ktMeshShape::ktMeshShape(int rows, int columns) : ktShape(true, true, true), N(rows), M(columns) {
    drawStyle = 5;  // GL_TRIANGLE_STRIP
    if (!gridFits(N, M)) return;
    // The lists are sized once for the whole grid: the result is what N * M calls of addPoint and
    // (N - 1) * (2M + 1) calls of addIndex leave, without growing every list one entry at a time.
    // When memory runs out (reported by the shape), the grid keeps what it had: no vertices, or
    // its vertices without an index list, every list consistent with its count.
    if (!addPoints(N * M)) return;
    for (int i = 0; i < N; i++) {
        for (int j = 0; j < M; j++) {
            setVertex(getVertexIndex(i, j), static_cast<float>(i), static_cast<float>(j), 0.0f);
            setVertexColor(getVertexIndex(i, j), 1.0f, 1.0f, 1.0f, 1.0f);
        }
    }
    if (N < 2) return;
    int* index = appendIndexSlots((N - 1) * (2 * M + 1));
    if (index == nullptr) return;
    for (int i = 0; i + 1 < N; i++) {
        for (int j = 0; j < M; j++) {
            *index++ = getVertexIndex(i, j);
            *index++ = getVertexIndex(i + 1, j);
        }
        *index++ = -1;
    }
}
