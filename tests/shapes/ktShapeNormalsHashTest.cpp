// The strip normals that the cloth's mesh draw uses, checked bit for bit against the face-by-face
// rule (every face's unit normal added to its corners in face order, every odd face of a strip
// since its start or last break negated, then averaged and normalised) on strips the mesh never
// has: longer than one batch of faces, with separators and unnamed entries, and with a vertex
// repeated close by. Then every instruction-set path this machine runs against the scalar one, on the
// world positions, window positions and normals of shapes whose sizes fill no whole lane group.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "math/ktSimd.h"
#include "math/ktTransforms.h"
#include "shapes/ktNiceShapes.h"
#include "shapes/ktShape.h"
#include "shapes/ktShapeDrawPasses.h"
#include "support/ktShapeReference.h"

namespace {

struct StripCase {
    const char* name;
    int vertices;
    std::vector<int> indices;  // empty: vertex order
};

// The index list of a grid mesh's strips (ktMeshShape's layout): strip i alternates between rows
// i and i + 1, then a separator.
std::vector<int> gridStrips(int rows, int columns) {
    std::vector<int> e;
    for (int i = 0; i + 1 < rows; i++) {
        for (int j = 0; j < columns; j++) e.push_back(i * columns + j), e.push_back((i + 1) * columns + j);
        e.push_back(-1);
    }
    return e;
}

TEST(DrapoHashNormals, StripNormalsMatchTheFaceByFaceRule) {
    // Grid strips as the mesh has them, and lists that start like them and then differ.
    std::vector<int> lastStripDiffers = gridStrips(6, 37);
    std::swap(lastStripDiffers[lastStripDiffers.size() - 4], lastStripDiffers[lastStripDiffers.size() - 6]);
    std::vector<int> separatorNamed = gridStrips(6, 37);
    separatorNamed[2 * 2 * 37 + 1] = 5;
    std::vector<int> longWithBreaks;
    for (int k = 0; k < 1500; k++) longWithBreaks.push_back(k % 97 == 96 ? -1 : (k * 7) % 1000);
    std::vector<int> repeats = {0, 1, 2, 3, 4, 4, 5, 6, 5, 7, 8, 9, 10, 8, 11, 12, 13, 14, 15};
    std::vector<int> unnamed = {0, 1, 2, 3, 2000, 4, 5, 6, 7, -5, 8, 9, 10, 11, 12, 13, -1, -1, 14, 15, 16};
    const StripCase cases[] = {
        {"one run over several batches", 1203, {}},
        {"long runs with breaks", 1000, longWithBreaks},
        {"vertex repeated within a few entries", 16, repeats},
        {"entries naming no vertex", 17, unnamed},
        {"grid strips, vertices past the grid", 6 * 37 + 3, gridStrips(6, 37)},
        {"grid strips, two columns", 6, gridStrips(3, 2)},
        {"grid strips, five columns", 20, gridStrips(4, 5)},
        {"grid strips, one strip of 100 columns", 200, gridStrips(2, 100)},
        {"grid strips, the last strip differs", 6 * 37, lastStripDiffers},
        {"grid strips, a separator names a vertex", 6 * 37, separatorNamed},
    };
    for (const StripCase& c : cases) {
        SCOPED_TRACE(c.name);
        ktShape shape(false, true, !c.indices.empty());
        shape.drawStyle = 5;  // triangle strip
        uint32_t state = 7u;
        auto next = [&state]() {
            state = state * 1664525u + 1013904223u;
            return static_cast<float>(state >> 8) / 16777216.0f;
        };
        testing::internal::CaptureStdout();  // addIndex warns of the entries outside the list
        for (int v = 0; v < c.vertices; v++) shape.addPoint(0.1f * v + next(), next() * 3.0f, next());
        for (int e : c.indices) shape.addIndex(e);
        testing::internal::GetCapturedStdout();
        for (int v = 0; v < shape.listLength; v++) shape.absVertexList[v] = shape.vertexList[v];
        // One exactly flat face pair, so that a zero-length face normal is among them.
        if (c.vertices > 12) shape.absVertexList[11] = shape.absVertexList[10];

        std::vector<ktVec3f> normals;
        std::vector<int> counts;
        ktReferenceNormals(shape, shape.absVertexList, shape.indexList, normals, counts);
        shape.calculateNormals();
        int mismatches = 0;
        for (int v = 0; v < shape.listLength; v++) {
            if (std::memcmp(&shape.normalList[v], &normals[v], sizeof(ktVec3f)) != 0 ||
                shape.normalCountList[v] != counts[v])
                mismatches++;
        }
        EXPECT_EQ(mismatches, 0);
    }
}

// A perspective camera 15 units from the origin, looking down -z at a 640 x 480 viewport, with a
// rotation on the software stack.
void setCameraAndStack() {
    const float f = 1.0f / std::tan(25.0f * 3.14159265f / 180.0f), n = 0.5f, far = 100.0f;
    const float p[4][4] = {{f * 0.75f, 0, 0, 0},
                           {0, f, 0, 0},
                           {0, 0, (far + n) / (n - far), 2 * far * n / (n - far)},
                           {0, 0, -1, 0}};
    cameraMatrix.set(p);
    view[0] = 3, view[1] = 5, view[2] = 640, view[3] = 480;
    ktTransformsInit();
    ktTranslatef(0, 0, -15);
    ktRotatef(30, 1, 1, 0);
}

struct PathResult {
    std::vector<ktVec3f> world, window, normals;
    std::vector<int> counts;
};

PathResult runPath(ktSimdPath path, ktShape& s) {
    const int n = s.listLength;
    PathResult r;
    r.window.resize(n);
    ktShapeWorldPositionsOn(path, s.vertexList, s.absVertexList, n);
    ktShapeWindowPositionsOn(path, s.absVertexList, r.window.data(), n);
    ktShapeNormalsOn(path, s);
    r.world.assign(s.absVertexList, s.absVertexList + n);
    r.normals.assign(s.normalList, s.normalList + n);
    r.counts.assign(s.normalCountList, s.normalCountList + n);
    return r;
}

int differences(const std::vector<ktVec3f>& a, const std::vector<ktVec3f>& b) {
    int d = 0;
    for (size_t i = 0; i < a.size(); i++) d += !ktSameBits(a[i], b[i]);
    return d;
}

TEST(DrapoHashNormals, EveryPathGivesTheScalarBits) {
    setCameraAndStack();
    uint32_t state = 11u;
    auto next = [&state]() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    };
    // 37 points: subnormal, huge, signed-zero and repeated coordinates among ordinary ones.
    ktShape points(false, true, false);
    points.drawStyle = 5;
    for (int v = 0; v < 37; v++) points.addPoint(4 * next(), 4 * next(), next());
    points.vertexList[3].set(1e-40f, -1e-39f, 0.0f);
    points.vertexList[5].set(3e38f, -3e38f, 1e30f);
    points.vertexList[8].set(-0.0f, 0.0f, -0.0f);
    points.vertexList[12] = points.vertexList[11];  // zero-area faces
    points.vertexList[20].set(1e-30f, 2e-30f, 0.0f);
    points.vertexList[21].set(2e-30f, 1e-30f, 0.0f);  // a face whose squared normal underflows

    ktMeshShape mesh(7, 9);
    for (int i = 0; i < 7; i++)
        for (int j = 0; j < 9; j++)
            mesh.setMeshVertex(i, j, 0.5f * i, 0.5f * j, std::sin(1.3f * i + 0.7f * j));
    mesh.setMeshVertex(3, 4, 1.5f, 2.0f, 1e-41f);

    // Indexed runs long enough for every lane width, a vertex repeated within four entries,
    // separators and an entry past the list.
    ktShape indexed(false, true, true);
    indexed.drawStyle = 5;
    for (int v = 0; v < 60; v++) indexed.addPoint(4 * next(), 4 * next(), next());
    testing::internal::CaptureStdout();  // addIndex warns of the entry outside the list
    for (int e = 0; e < 41; e++) indexed.addIndex(e);
    for (int e : {-1, 41, 42, 43, 41, 44, 45, 46, 47, 99, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59})
        indexed.addIndex(e);
    testing::internal::GetCapturedStdout();

    // A strip that alternates between two runs of vertices, as a grid's rows do, but only four
    // apart: a vertex recurs seven entries on.
    ktShape close(false, true, true);
    close.drawStyle = 5;
    for (int v = 0; v < 16; v++) close.addPoint(4 * next(), 4 * next(), next());
    for (int i = 0; i < 12; i++) close.addIndex(i), close.addIndex(i + 4);

    ktShape empty(false, true, false);
    empty.drawStyle = 5;

    struct Case {
        const char* name;
        ktShape* shape;
    };
    const Case cases[] = {
        {"37 points", &points}, {"7 x 9 mesh", &mesh}, {"indexed strip", &indexed}, {"close runs", &close},
        {"no points", &empty}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PathResult scalar = runPath(ktSimdScalar, *c.shape);
        for (int p = ktSimdSse2; p <= ktSimdBest(); p++) {
            SCOPED_TRACE(ktSimdName(static_cast<ktSimdPath>(p)));
            const PathResult r = runPath(static_cast<ktSimdPath>(p), *c.shape);
            EXPECT_EQ(differences(r.world, scalar.world), 0);
            EXPECT_EQ(differences(r.window, scalar.window), 0);
            EXPECT_EQ(differences(r.normals, scalar.normals), 0);
            EXPECT_EQ(r.counts, scalar.counts);
        }
    }
}

}  // namespace
