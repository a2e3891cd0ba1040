// Mesh shape: grid layout, index list, sizes at the edges and grid addressing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shapes/ktNiceShapes.h"

namespace {

std::vector<int> indicesOf(const ktShape& s) {
    return std::vector<int>(s.indexList, s.indexList + s.indexListLength);
}

TEST(MeshShape, SmallGridsHoldRowMajorVerticesAndZigzagStrips) {
    testing::internal::CaptureStdout();
    ktMeshShape m(2, 2);
    ktMeshShape tall(3, 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    ASSERT_EQ(m.listLength, 4);
    const float expected[4][3] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}};
    for (int v = 0; v < 4; v++) {
        EXPECT_EQ(m.vertexList[v].x, expected[v][0]);
        EXPECT_EQ(m.vertexList[v].y, expected[v][1]);
        EXPECT_EQ(m.vertexList[v].z, expected[v][2]);
        EXPECT_EQ(m.colorList[v].x, 1.0f);
        EXPECT_EQ(m.colorList[v].w, 1.0f);
        EXPECT_EQ(m.normalList[v].z, 1.0f);
        EXPECT_EQ(m.normalCountList[v], 0);
    }
    EXPECT_EQ(indicesOf(m), (std::vector<int>{0, 2, 1, 3, -1}));
    EXPECT_EQ(indicesOf(tall), (std::vector<int>{0, 2, 1, 3, -1, 2, 4, 3, 5, -1}));
    EXPECT_EQ(m.drawStyle, 5u);
    EXPECT_TRUE(m.enableVertexColors && m.enableVertexNormals && m.enableIndex);
    EXPECT_FALSE(m.enableVertexTextureCoords);
    EXPECT_EQ(m.transformOrder, kt_T_R_S);
    EXPECT_TRUE(m.enablePicking);
    EXPECT_EQ(m.getTypeID(), 0x73686170u);
}

TEST(MeshShape, SizesAtTheEdges) {
    struct Case {
        int n, m, vertices, indices;
    };
    const Case cases[] = {
        {100, 100, 10000, 19899},
        {1, 5, 5, 0},
        {0, 4, 0, 0},
        {4, 0, 0, 3},  // three empty strips: only separators
        {0, 0, 0, 0},
        {-2, -3, 0, 0},  // negative sizes make no grid, whatever their product
        {-2, 3, 0, 0},
        {70000, 70000, 0, 0},  // too many vertices to address with an int
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " x " << c.m);
        ktMeshShape mesh(c.n, c.m);
        EXPECT_EQ(mesh.N, c.n);
        EXPECT_EQ(mesh.M, c.m);
        EXPECT_EQ(mesh.listLength, c.vertices);
        ASSERT_EQ(mesh.indexListLength, c.indices);
        if (c.m == 0) {
            for (int k = 0; k < c.indices; k++) EXPECT_EQ(mesh.indexList[k], -1);
        }
    }
}

TEST(MeshShape, GridAddressingIsUncheckedButSettersAreNot) {
    ktMeshShape m(3, 4);
    EXPECT_EQ(m.getVertexIndex(2, 3), 11);
    EXPECT_EQ(m.getVertexIndex(0, 4), m.getVertexIndex(1, 0));

    // Column M aliases the first vertex of the next row, silently.
    testing::internal::CaptureStdout();
    m.setMeshVertex(0, 4, 7, 8, 9);
    m.setMeshVertexColor(1, 1, 0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(m.vertexList[4].x, 7.0f);
    EXPECT_EQ(m.vertexList[4].z, 9.0f);
    EXPECT_EQ(m.colorList[5].y, 0.2f);

    testing::internal::CaptureStdout();
    m.setMeshVertex(3, 0, 1, 1, 1);
    m.setMeshVertex(0, -1, 1, 1, 1);
    m.setMeshVertexColor(3, 0, 0, 0, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "setVertex: index is out of bounds\nsetVertex: index is out of bounds\n"
              "setVertexColor: index is out of bounds\n");
    EXPECT_EQ(m.vertexList[0].x, 0.0f);
    EXPECT_EQ(m.vertexList[11].x, 2.0f);
    EXPECT_EQ(m.colorList[11].x, 1.0f);
}

}  // namespace
