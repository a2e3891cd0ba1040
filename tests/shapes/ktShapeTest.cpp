// Shape model: defaults, list growth, messages and the enable operations.
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

TEST(ShapeModel, DefaultsAndGrowth) {
    ktShape s(true, false, true);  // colours, normals, index
    EXPECT_EQ(s.drawStyle, 3u);
    EXPECT_EQ(s.transformOrder, kt_T_R_S);
    EXPECT_TRUE(s.enablePicking && s.enableVertexColors && s.enableIndex);
    EXPECT_FALSE(s.enableVertexNormals || s.enableVertexTextureCoords);
    EXPECT_EQ(s.listLength + s.indexListLength, 0);
    EXPECT_TRUE(s.vertexList == nullptr && s.colorList == nullptr && s.indexList == nullptr);

    EXPECT_EQ(s.addPoint(), 0);
    EXPECT_EQ(s.addPoint(4, 5, 6), 1);
    s.enablePerVertexNormals();
    s.enablePerVertexTextureCoords();
    EXPECT_EQ(s.addPoint(7, 8, 9), 2);
    ASSERT_EQ(s.listLength, 3);
    // Earlier entries survive every exact-size resize; new ones take the defaults.
    EXPECT_EQ(s.vertexList[1].y, 5.0f);
    EXPECT_EQ(s.vertexList[2].z, 9.0f);
    for (int v = 0; v < 3; v++) {
        EXPECT_EQ(s.colorList[v].x + s.colorList[v].y + s.colorList[v].z + s.colorList[v].w, 4.0f);
        EXPECT_EQ(s.normalList[v].z, 1.0f);
        EXPECT_EQ(s.normalCountList[v], 0);
        EXPECT_EQ(s.textureCoordList[v].x, 0.0f);
    }
    ktShape plain;
    plain.addPoint();
    EXPECT_TRUE(plain.normalList == nullptr && plain.normalCountList == nullptr &&
                plain.colorList == nullptr);
}

TEST(ShapeModel, MessagesAreExactAndBadCallsChangeNothing) {
    ktShape s(true, false, true);
    s.addPoint(1, 2, 3);
    s.addPoint(4, 5, 6);
    EXPECT_EQ(captured([&] { s.addIndex(-1); }), "");
    // Out-of-range indices are reported and stored all the same.
    EXPECT_EQ(captured([&] { s.addIndex(2); }), "addIndex warning: added index is outside of bounds\n");
    EXPECT_EQ(captured([&] { s.addIndex(-2); }), "addIndex warning: added index is outside of bounds\n");
    ASSERT_EQ(s.indexListLength, 3);
    EXPECT_EQ(s.indexList[2], -2);
    for (int bad : {-1, 2}) {
        EXPECT_EQ(captured([&] { s.setVertex(bad, 9, 9, 9); }), "setVertex: index is out of bounds\n");
        EXPECT_EQ(captured([&] { s.setVertexColor(bad, 0, 0, 0, 0); }),
                  "setVertexColor: index is out of bounds\n");
    }
    EXPECT_EQ(s.vertexList[1].x, 4.0f);
    EXPECT_EQ(s.colorList[1].x, 1.0f);

    ktShape bare;
    bare.addPoint();
    EXPECT_EQ(captured([&] { bare.addIndex(0); }), "addIndex: index list is not enable in shape\n");
    EXPECT_EQ(bare.indexListLength, 0);
    // The disabled list is reported before the index is looked at.
    for (int index : {-5, 0}) {
        EXPECT_EQ(captured([&] { bare.setVertexColor(index, 0, 0, 0, 0); }),
                  "setVertexColor: vertex color is not enabled in shape\n");
    }
}

TEST(ShapeModel, EnableResizesAListThatIsAlreadyOn) {
    ktShape s(true, true, false);
    s.addPoint();
    s.setVertexColor(0, 0.25f, 0, 0, 1);
    // A caller that changes the vertex count under lists that are on (as reading a record does)
    // relies on the enable operations to resize them; existing entries are kept.
    const int n = 1000;
    s.listLength = n;
    s.vertexList = static_cast<ktVec3f*>(std::realloc(static_cast<void*>(s.vertexList), n * sizeof(ktVec3f)));
    s.enablePerVertexColors();
    s.enablePerVertexNormals();
    EXPECT_EQ(s.colorList[0].x, 0.25f);
    ASSERT_GE(malloc_usable_size(s.colorList), n * sizeof(ktVec4f));
    ASSERT_GE(malloc_usable_size(s.normalList), n * sizeof(ktVec3f));
    ASSERT_GE(malloc_usable_size(s.normalCountList), n * sizeof(int));
    s.colorList[n - 1].set(0, 0, 0, 0);  // the sanitizer build checks these stores
    s.normalList[n - 1].set(0, 0, 0);
    s.normalCountList[n - 1] = 0;
}

// A type code spells four characters, the first in the most significant byte.
TEST(ShapeModel, TypeIdentifiersSpellTheirNames) {
    auto spelled = [](ktObject& o) {
        const uint32_t id = o.getTypeID();
        std::string name;
        for (int shift = 24; shift >= 0; shift -= 8) name += static_cast<char>((id >> shift) & 0xffu);
        return name;
    };
    struct KeepsDefault : ktObject {};
    ktShape shape;
    KeepsDefault plain;
    EXPECT_EQ(spelled(shape), "shap");
    EXPECT_EQ(spelled(plain), "none");
}

}  // namespace
