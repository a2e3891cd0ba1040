// Mesh shape: grid layout, index list, sizes at the edges and grid addressing.
#include <gtest/gtest.h>

#include <vector>

#include "shapes/ktNiceShapes.h"

namespace {

std::vector<int> indicesOf(const ktShape& s) {
    return std::vector<int>(s.indexList, s.indexList + s.indexListLength);
}

TEST(MeshShape, RowMajorVerticesAndZigzagStrips) {
    testing::internal::CaptureStdout();
    ktMeshShape m(2, 2);
    ktMeshShape tall(3, 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(m.listLength, 4);
    const float expected[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (int v = 0; v < 4; v++) {
        const ktVec3f& p = m.vertexList[v];
        EXPECT_TRUE(p.x == expected[v][0] && p.y == expected[v][1] && p.z == 0.0f) << v;
    }
    EXPECT_EQ(indicesOf(m), (std::vector<int>{0, 2, 1, 3, -1}));
    EXPECT_EQ(indicesOf(tall), (std::vector<int>{0, 2, 1, 3, -1, 2, 4, 3, 5, -1}));
    EXPECT_EQ(m.drawStyle, 5u);
    EXPECT_TRUE(m.enableVertexColors && m.enableVertexNormals && m.enableIndex);
    // Every other list as a new point leaves it: white, normal up, nothing world- or window-placed.
    for (int v = 0; v < tall.listLength; v++) {
        SCOPED_TRACE(v);
        const ktVec4f c = tall.colorList[v];
        EXPECT_TRUE(c.x == 1.0f && c.y == 1.0f && c.z == 1.0f && c.w == 1.0f);
        EXPECT_TRUE(tall.normalList[v].x == 0.0f && tall.normalList[v].y == 0.0f &&
                    tall.normalList[v].z == 1.0f);
        EXPECT_EQ(tall.normalCountList[v], 0);
        EXPECT_EQ(tall.absVertexList[v].length(), 0.0f);
        EXPECT_EQ(tall.screenVertexList[v].length(), 0.0f);
    }
    EXPECT_EQ(tall.textureCoordList, nullptr);
}

TEST(MeshShape, SizesAtTheEdges) {
    const struct {
        int n, m, vertices, indices;
    } cases[] = {
        {30, 20, 600, 29 * 41}, {1, 5, 5, 0},   {0, 4, 0, 0},
        {4, 0, 0, 3},           {-2, -3, 0, 0},  // negative sizes make no grid, whatever their product
        {70000, 70000, 0, 0},                    // more vertices than an int can count
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " x " << c.m);
        ktMeshShape mesh(c.n, c.m);
        EXPECT_EQ(mesh.listLength, c.vertices);
        ASSERT_EQ(mesh.indexListLength, c.indices);
        if (c.m == 0) {
            EXPECT_EQ(indicesOf(mesh), std::vector<int>(c.indices, -1));
        }
    }
}

TEST(MeshShape, GridAddressingIsUncheckedButSettersAreNot) {
    ktMeshShape m(3, 4);
    EXPECT_EQ(m.getVertexIndex(0, 4), m.getVertexIndex(1, 0));
    testing::internal::CaptureStdout();
    m.setMeshVertex(0, 4, 7, 8, 9);  // column M aliases the next row's first vertex, silently
    m.setMeshVertex(3, 0, 1, 1, 1);
    m.setMeshVertexColor(3, 0, 0, 0, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "setVertex: index is out of bounds\nsetVertexColor: index is out of bounds\n");
    EXPECT_EQ(m.vertexList[4].x, 7.0f);
    EXPECT_EQ(m.vertexList[11].x, 2.0f);
    EXPECT_EQ(m.colorList[11].x, 1.0f);
}

}  // namespace
