// Shape model: construction defaults, list growth, messages and the enable operations.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "shapes/ktShape.h"

namespace {

std::string captured(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

void expectVec(const ktVec3f& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

void expectColor(const ktVec4f& c, float r, float g, float b, float a) {
    EXPECT_EQ(c.x, r);
    EXPECT_EQ(c.y, g);
    EXPECT_EQ(c.z, b);
    EXPECT_EQ(c.w, a);
}

TEST(ShapeModel, ConstructorDefaultsAndFlagOrder) {
    ktShape s(true, false, true);  // colours, normals, index
    EXPECT_EQ(s.drawStyle, 3u);
    EXPECT_EQ(s.transformOrder, kt_T_R_S);
    expectVec(s.Normal, 0, 0, 1);
    expectColor(s.Color, 1, 1, 1, 1);
    expectVec(s.Translation, 0, 0, 0);
    expectVec(s.Scale, 1, 1, 1);
    expectColor(s.Rotation, 0, 0, 1, 0);
    EXPECT_TRUE(s.enablePicking);
    EXPECT_TRUE(s.enableVertexColors);
    EXPECT_FALSE(s.enableVertexNormals);
    EXPECT_TRUE(s.enableIndex);
    EXPECT_FALSE(s.enableVertexTextureCoords);
    EXPECT_EQ(s.listLength, 0);
    EXPECT_EQ(s.indexListLength, 0);
    EXPECT_EQ(s.vertexList, nullptr);
    EXPECT_EQ(s.absVertexList, nullptr);
    EXPECT_EQ(s.screenVertexList, nullptr);
    EXPECT_EQ(s.normalList, nullptr);
    EXPECT_EQ(s.normalCountList, nullptr);
    EXPECT_EQ(s.colorList, nullptr);
    EXPECT_EQ(s.textureCoordList, nullptr);
    EXPECT_EQ(s.indexList, nullptr);
}

TEST(ShapeModel, AddPointGrowsOnlyTheListsThatAreOn) {
    ktShape plain;
    EXPECT_EQ(plain.addPoint(), 0);
    EXPECT_EQ(plain.addPoint(4, 5, 6), 1);
    EXPECT_EQ(plain.listLength, 2);
    expectVec(plain.vertexList[0], 0, 0, 0);
    expectVec(plain.vertexList[1], 4, 5, 6);
    expectVec(plain.absVertexList[1], 0, 0, 0);
    expectVec(plain.screenVertexList[1], 0, 0, 0);
    EXPECT_EQ(plain.normalList, nullptr);
    EXPECT_EQ(plain.normalCountList, nullptr);
    EXPECT_EQ(plain.colorList, nullptr);
    EXPECT_EQ(plain.textureCoordList, nullptr);

    ktShape full(true, true, false);
    full.enablePerVertexTextureCoords();
    for (int k = 0; k < 3; k++) EXPECT_EQ(full.addPoint(float(k), 1, 2), k);
    // Earlier entries survive each exact-size resize.
    for (int k = 0; k < 3; k++) {
        expectVec(full.vertexList[k], float(k), 1, 2);
        expectVec(full.normalList[k], 0, 0, 1);
        EXPECT_EQ(full.normalCountList[k], 0);
        expectColor(full.colorList[k], 1, 1, 1, 1);
        expectVec(full.textureCoordList[k], 0, 0, 0);
    }
}

TEST(ShapeModel, MessagesAreExactAndBadCallsChangeNothing) {
    ktShape s(true, false, true);
    s.addPoint(1, 2, 3);
    s.addPoint(4, 5, 6);
    s.setVertexColor(1, 0.5f, 0.5f, 0.5f, 0.5f);

    EXPECT_EQ(captured([&] { s.addIndex(-1); }), "");
    EXPECT_EQ(captured([&] { s.addIndex(1); }), "");
    // Out-of-range indices are reported and stored all the same.
    EXPECT_EQ(captured([&] { s.addIndex(2); }), ktMsgAddIndexOutOfBounds);
    EXPECT_EQ(captured([&] { s.addIndex(-2); }), ktMsgAddIndexOutOfBounds);
    EXPECT_STREQ(ktMsgAddIndexOutOfBounds, "addIndex warning: added index is outside of bounds\n");
    ASSERT_EQ(s.indexListLength, 4);
    EXPECT_EQ(s.indexList[0], -1);
    EXPECT_EQ(s.indexList[1], 1);
    EXPECT_EQ(s.indexList[2], 2);
    EXPECT_EQ(s.indexList[3], -2);

    for (int bad : {-1, 2}) {
        EXPECT_EQ(captured([&] { s.setVertex(bad, 9, 9, 9); }), "setVertex: index is out of bounds\n");
        EXPECT_EQ(captured([&] { s.setVertexColor(bad, 0, 0, 0, 0); }),
                  "setVertexColor: index is out of bounds\n");
    }
    expectVec(s.vertexList[0], 1, 2, 3);
    expectVec(s.vertexList[1], 4, 5, 6);
    expectColor(s.colorList[0], 1, 1, 1, 1);
    expectColor(s.colorList[1], 0.5f, 0.5f, 0.5f, 0.5f);

    ktShape bare;
    bare.addPoint();
    EXPECT_EQ(captured([&] { bare.addIndex(0); }), "addIndex: index list is not enable in shape\n");
    EXPECT_EQ(bare.indexListLength, 0);
    EXPECT_EQ(bare.indexList, nullptr);
    // The disabled list is reported before the index is looked at.
    for (int index : {-5, 0, 7}) {
        EXPECT_EQ(captured([&] { bare.setVertexColor(index, 0, 0, 0, 0); }),
                  "setVertexColor: vertex color is not enabled in shape\n");
    }
}

TEST(ShapeModel, EnableOperationsSizeListsToTheVertexCount) {
    ktShape s;
    for (int k = 0; k < 3; k++) s.addPoint();
    s.enablePerVertexColors();
    s.enablePerVertexNormals();
    s.enablePerVertexTextureCoords();
    for (int k = 0; k < 3; k++) {
        expectColor(s.colorList[k], 1, 1, 1, 1);
        expectVec(s.normalList[k], 0, 0, 1);
        EXPECT_EQ(s.normalCountList[k], 0);
        expectVec(s.textureCoordList[k], 0, 0, 0);
    }
    // Enabling a list that is on keeps its entries.
    s.setVertexColor(2, 0.25f, 0, 0, 1);
    s.enablePerVertexColors();
    expectColor(s.colorList[2], 0.25f, 0, 0, 1);

    // A caller that changes the vertex count under a list that is on (as reading a record does)
    // relies on the enable operation to resize it.
    ktShape grown(true, true, false);
    grown.addPoint();
    const int n = 1000;
    grown.listLength = n;
    grown.vertexList =
        static_cast<ktVec3f*>(std::realloc(static_cast<void*>(grown.vertexList), n * sizeof(ktVec3f)));
    grown.enablePerVertexColors();
    grown.enablePerVertexNormals();
    ASSERT_GE(malloc_usable_size(grown.colorList), n * sizeof(ktVec4f));
    ASSERT_GE(malloc_usable_size(grown.normalList), n * sizeof(ktVec3f));
    ASSERT_GE(malloc_usable_size(grown.normalCountList), n * sizeof(int));
    grown.colorList[n - 1].set(0, 0, 0, 0);
    grown.normalList[n - 1].set(0, 0, 0);
    grown.normalCountList[n - 1] = 0;

    // An empty shape ends with null lists.
    ktShape empty;
    empty.enablePerVertexColors();
    EXPECT_TRUE(empty.enableVertexColors);
    EXPECT_EQ(empty.colorList, nullptr);
}

struct KeepsDefault : ktObject {};

TEST(ShapeModel, TypeIdentifiers) {
    ktShape shape;
    KeepsDefault plain;
    ktObject* objects[] = {&shape, &plain};
    EXPECT_EQ(objects[0]->getTypeID(), 0x73686170u);  // "shap"
    EXPECT_EQ(objects[1]->getTypeID(), 0x6E6F6E65u);  // "none"
}

}  // namespace
