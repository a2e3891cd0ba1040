// Per-vertex normals on small shapes whose face normals are known by hand. The world positions are
// set directly, as a draw would leave them.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "shapes/ktNiceShapes.h"
#include "shapes/ktShape.h"
#include "support/ktTestMath.h"

namespace {

// A shape with per-vertex normals whose world positions are `points`, drawn through `indices`
// when `indexed`.
void build(ktShape& s, GLenum style, const std::vector<ktVec3f>& points, const std::vector<int>& indices,
           bool indexed) {
    s.drawStyle = style;
    for (const ktVec3f& p : points) {
        int v = s.addPoint(p.x, p.y, p.z);
        s.absVertexList[v].set(p.x, p.y, p.z);
    }
    if (indexed) {
        testing::internal::CaptureStdout();  // out-of-range entries warn; that is not under test here
        for (int i : indices) s.addIndex(i);
        testing::internal::GetCapturedStdout();
    }
}

const float r = std::sqrt(0.5f);

struct Case {
    const char* name;
    GLenum style;
    std::vector<ktVec3f> points;
    bool indexed;
    std::vector<int> indices;
    std::vector<ktVec3f> normals;
    std::vector<int> counts;
};

const ktVec3f up(0, 0, 1), down(0, 0, -1), zero(0, 0, 0);

TEST(ShapeNormals, HandCheckedShapes) {
    const std::vector<ktVec3f> triangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const std::vector<ktVec3f> square = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    // Triangle 0-1-2 turns counter-clockwise seen from +z, triangle 3-4-5 clockwise.
    const std::vector<ktVec3f> twoTriangles = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0},
                                               {0, 0, 5}, {0, 1, 5}, {1, 0, 5}};
    const std::vector<ktVec3f> star = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};
    // Faces 0-1-2 (normal +z) and 0-2-3 (normal +x) share the edge 0-2.
    const std::vector<ktVec3f> hinge = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    // clang-format off
    const std::vector<Case> cases = {
        {"triangle", GL_TRIANGLES, triangle, false, {}, {up, up, up}, {1, 1, 1}},
        {"triangle as strip", GL_TRIANGLE_STRIP, triangle, false, {}, {down, down, down}, {1, 1, 1}},
        {"four-vertex strip", GL_TRIANGLE_STRIP, square, false, {}, {down, down, down, down}, {1, 2, 2, 1}},
        {"triangles skip a separator one entry at a time", GL_TRIANGLES, twoTriangles, true,
         {0, 1, 2, -1, 3, 4, 5}, {up, up, up, down, down, down}, {1, 1, 1, 1, 1, 1}},
        {"strip parity restarts after a separator", GL_TRIANGLE_STRIP, twoTriangles, true,
         {0, 1, 2, -1, 3, 4, 5}, {down, down, down, up, up, up}, {1, 1, 1, 1, 1, 1}},
        {"fan keeps its hub across separators", GL_TRIANGLE_FAN, star, true, {0, 1, 2, -1, 3, 4},
         {up, up, up, up, up}, {2, 1, 1, 1, 1}},
        {"polygon normal reaches every vertex", GL_POLYGON, {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {7, 7, 7}},
         true, {0, 1, 2}, {{0, -1, 0}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0}}, {1, 1, 1, 1}},
        {"faces at right angles", GL_TRIANGLES, hinge, true, {0, 1, 2, 0, 2, 3},
         {{r, 0, r}, up, {r, 0, r}, {1, 0, 0}}, {2, 1, 2, 1}},
        {"quads form no faces", GL_QUADS, square, false, {}, {up, up, up, up}, {0, 0, 0, 0}},
        {"two entries are too few", GL_TRIANGLES, triangle, true, {0, 1}, {zero, zero, zero}, {0, 0, 0}},
        {"zero-area face", GL_TRIANGLES, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, false, {}, {zero, zero, zero},
         {1, 1, 1}},
        // Entries that name no vertex act as separators and are never read or written through.
        {"out-of-range triangle entry", GL_TRIANGLES, twoTriangles, true, {0, 1, 2, 9, 3, 4, 5},
         {up, up, up, down, down, down}, {1, 1, 1, 1, 1, 1}},
        {"out-of-range strip entry", GL_TRIANGLE_STRIP, square, true, {-7, 0, 1, 2, 3, 4},
         {down, down, down, down}, {1, 2, 2, 1}},
        {"fan with a separator for a hub", GL_TRIANGLE_FAN, star, true, {-1, 1, 2, 3, 4},
         {up, up, up, up, up}, {0, 0, 0, 0, 0}},
        {"polygon with a separator among its first entries", GL_POLYGON, square, true, {0, -1, 2, 3},
         {up, up, up, up}, {0, 0, 0, 0}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ktShape s(false, true, c.indexed);
        build(s, c.style, c.points, c.indices, c.indexed);
        testing::internal::CaptureStdout();
        s.calculateNormals();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        for (size_t v = 0; v < c.points.size(); v++) {
            SCOPED_TRACE(testing::Message() << "vertex " << v);
            expectVecNear(s.normalList[v], c.normals[v], 1e-6f);
            EXPECT_EQ(s.normalCountList[v], c.counts[v]);
        }
    }
}

TEST(ShapeNormals, DisabledNormalsReportAndKeepTheLists) {
    ktShape s(false, true, false);
    build(s, GL_TRIANGLES, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {}, false);
    s.normalList[1].set(5, 6, 7);
    s.normalCountList[1] = 42;
    s.enableVertexNormals = false;
    testing::internal::CaptureStdout();
    s.calculateNormals();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "calculateNormals: vertex normals are not enabled\n");
    EXPECT_EQ(s.normalList[1].x, 5.0f);
    EXPECT_EQ(s.normalCountList[1], 42);
}

TEST(ShapeNormals, FlatMeshStripsFaceDownEverywhere) {
    ktMeshShape mesh(100, 100);
    ASSERT_EQ(mesh.indexListLength, 19899);
    for (int v = 0; v < mesh.listLength; v++) mesh.absVertexList[v] = mesh.vertexList[v];
    mesh.calculateNormals();
    long long faces = 0;
    for (int v = 0; v < mesh.listLength; v++) {
        const ktVec3f& n = mesh.normalList[v];
        ASSERT_TRUE(n.x == 0.0f && n.y == 0.0f && n.z == -1.0f) << v;
        faces += mesh.normalCountList[v];
    }
    // 99 strips of 198 triangles, three corners each; an inner vertex touches six faces.
    EXPECT_EQ(faces, 3LL * 99 * 198);
    EXPECT_EQ(mesh.normalCountList[mesh.getVertexIndex(0, 0)], 1);
    EXPECT_EQ(mesh.normalCountList[mesh.getVertexIndex(0, 99)], 2);
    EXPECT_EQ(mesh.normalCountList[mesh.getVertexIndex(50, 50)], 6);
}

}  // namespace
