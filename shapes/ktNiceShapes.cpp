// ktMeshShape construction: N * M vertices on a unit grid in the plane z = 0 and an index list of
// N - 1 triangle strips, each zigzagging between rows i and i + 1 and ended by -1.
#include "shapes/ktNiceShapes.h"

ktMeshShape::ktMeshShape(int rows, int columns) : ktShape(true, true, true), N(rows), M(columns) {
    for (int k = 0; k < N * M; k++) addPoint(0.0f, 0.0f, 0.0f);
    for (int i = 0; i < N; i++) {
        for (int j = 0; j < M; j++) {
            setVertex(getVertexIndex(i, j), static_cast<float>(i), static_cast<float>(j), 0.0f);
            setVertexColor(getVertexIndex(i, j), 1.0f, 1.0f, 1.0f, 1.0f);
        }
    }
    for (int i = 0; i + 1 < N; i++) {
        for (int j = 0; j < M; j++) {
            addIndex(getVertexIndex(i, j));
            addIndex(getVertexIndex(i + 1, j));
        }
        addIndex(-1);
    }
    drawStyle = 5;  // GL_TRIANGLE_STRIP
}
