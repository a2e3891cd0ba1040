// Picking against window positions written straight into screenVertexList, as a draw would leave
// them: tolerance bands, primitive walking with separators, both triangle windings, depth
// rejection, and the rectangle and circle modes with their borders.
#include <gtest/gtest.h>

#include <vector>

#include "shapes/ktShape.h"

namespace {

struct Pos {
    float x, y, z = 0.5f;
};

// A shape of the given primitive whose vertices sit at the given window positions, drawn through
// `indices` when that list is not empty.
ktShape pickShape(uint32_t style, const std::vector<Pos>& screen, const std::vector<int>& indices = {}) {
    ktShape shape(false, false, !indices.empty());
    for (const Pos& p : screen) {
        int v = shape.addPoint();
        shape.screenVertexList[v].set(p.x, p.y, p.z);
    }
    testing::internal::CaptureStdout();  // out-of-range indices are reported by addIndex
    for (int index : indices) shape.addIndex(index);
    testing::internal::GetCapturedStdout();
    shape.drawStyle = style;
    return shape;
}

struct Probe {
    float x, y;
    bool hit;
};

ktVec3f at(float x, float y, float z = 0.5f) { return ktVec3f(x, y, z); }

}  // namespace

TEST(PickPoint, EveryPrimitiveWalksItsEntries) {
    const std::vector<Pos> bigCorner = {{0, 0}, {100, 0}, {100, 100}},
                           bigSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    const std::vector<Pos> corner = {{0, 0}, {10, 0}, {0, 10}}, square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const struct {
        const char* name;
        uint32_t style;
        std::vector<Pos> screen;
        std::vector<int> indices;
        std::vector<Probe> probes;
        bool picking = true;
    } cases[] = {
        // clang-format off
        // (103, 104) lies exactly 5 pixels away: the comparison is strict.
        {"points within the tolerance", 0, {{100, 100}, {300, 300}}, {},
         {{103, 103, true}, {103, 104, false}, {95.1f, 100, true}, {300, 304.9f, true}, {200, 200, false}}},
        // No round caps beyond the ends; on the perpendicular at an end is inside.
        {"strip band of strict width", 3, {{0, 0}, {100, 0}}, {},
         {{50, 4.9f, true}, {50, -4.9f, true}, {50, 5, false}, {-1, 0, false}, {101, 0, false},
          {0, 3, true}, {100, -3, true}}},
        // 3 pixels off the diagonal in each axis is 4.24 away; 4 is 5.66 away.
        {"perpendicular distance to a diagonal", 3, {{0, 0}, {100, 100}}, {},
         {{53, 47, true}, {54, 46, false}, {50, 50, true}}},
        {"line loop without its closing segment", 2, bigCorner, {},
         {{50, 50, false}, {50, 2, true}, {98, 50, true}}},
        {"lines pair entries: 1-2 is no segment", 1, bigSquare, {},
         {{50, 0, true}, {100, 50, false}, {50, 100, true}}},
        {"lines around a separator", 1, bigSquare, {0, 1, -1, 2, 3},
         {{50, 0, true}, {100, 50, false}, {50, 100, true}}},
        {"line pairs restart after a separator", 1, bigCorner, {0, -1, 1, 2},
         {{50, 0, false}, {100, 50, true}}},
        {"strip broken by a separator", 3, bigCorner, {0, 1, -1, 2}, {{50, 0, true}, {100, 50, false}}},
        {"strip resumed after a separator", 3, bigCorner, {0, 1, -1, 2, 1}, {{50, 0, true}, {100, 50, true}}},
        {"zero-length segment as a point", 3, {{20, 20}, {20, 20}}, {},
         {{23, 23, true}, {23, 24, false}, {20, 20, true}}},
        {"separate triangles skip a separator entry by entry", 4,
         {{0, 0}, {10, 0}, {0, 10}, {100, 0}, {110, 0}, {100, 10}}, {0, 1, 2, -1, 3, 4, 5},
         {{2, 2, true}, {102, 2, true}, {50, 3, false}}},
        // The second triangle is wound the other way.
        {"zigzag strip of both windings", 5, {{0, 0}, {0, 10}, {10, 0}, {10, 10}, {20, 0}}, {},
         {{2, 2, true}, {8, 8, true}, {12, 2, true}, {19, 9, false}, {-1, 5, false}}},
        {"picking off", 5, {{0, 0}, {0, 10}, {10, 0}}, {}, {{2, 2, false}}, false},
        // (0,1,2), then around hub 3: (3,3,4) and (3,4,5); (50, 50) would lie in (0,4,5) had the hub
        // stayed 0.
        {"fan restarts at the entry after a separator", 6,
         {{0, 0}, {10, 0}, {0, 10}, {100, 100}, {110, 100}, {100, 110}}, {0, 1, 2, -1, 3, 4, 5},
         {{2, 2, true}, {102, 102, true}, {50, 50, false}, {105, 100, true}}},
        // (5, 1) lies only in triangle (0, 1, 2), (2, 8) in (0, 2, 3).
        {"fan opening with a separator: no hub until the restart", 6, square, {-1, 0, 1, 2, -1, 0, 2, 3},
         {{5, 1, false}, {2, 8, true}}},
        {"fan with an out-of-range hub", 6, square, {9, 0, 1, 2, -1, 0, 2, 3}, {{5, 1, false}, {2, 8, true}}},
        // The hub is -1 for one step, then vertex 1: (1, 1, 2), (1, 2, 3).
        {"fan restarting onto a second separator", 6, square, {0, -1, -1, 1, 2, 3},
         {{2, 2, false}, {8, 8, true}}},
        {"polygon as a fan around its first entry", 9, square, {},
         {{1, 9, true}, {9, 1, true}, {5, 5, true}, {11, 5, false}}},
        {"polygon of two entries", 9, {{0, 0}, {10, 0}}, {}, {{5, 0, false}}},
        // Entries that name no vertex are skipped like separators (under AddressSanitizer this also
        // proves that no window position is read through them).
        {"points past unnamed entries", 0, corner, {7, -2, 1}, {{10, 0, true}}},
        {"only unnamed points", 0, corner, {7, -2}, {{0, 0, false}}},
        {"line pairs restart after an unnamed entry", 1, corner, {0, 3, 1, 2}, {{5, 5, true}, {2, 0, false}}},
        {"strip broken by an unnamed entry", 3, corner, {0, 1, 1000, 2}, {{5, 6, false}}},
        {"triangles skip an unnamed entry", 4, corner, {0, 5, 0, 1, 2}, {{2, 2, true}}},
        {"strip starting on an unnamed entry", 5, corner, {-7, 0, 1, 2, 3}, {{2, 2, true}}},
        {"strip ending on an unnamed entry", 5, corner, {0, 1, 3}, {{2, 2, false}}},
        {"quads never hit", 7, square, {}, {{5, 5, false}, {0, 0, false}}},
        {"quad strip never hits", 8, square, {}, {{5, 5, false}, {0, 0, false}}},
        {"unknown mode 10", 10, square, {}, {{5, 5, false}, {0, 0, false}}},
        {"unknown mode 0xFFFFFFFF", 0xFFFFFFFFu, square, {}, {{5, 5, false}, {0, 0, false}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ktShape shape = pickShape(c.style, c.screen, c.indices);
        shape.enablePicking = c.picking;
        for (const Probe& p : c.probes)
            EXPECT_EQ(shape.pointInside(p.x, p.y), p.hit) << "at (" << p.x << ", " << p.y << ")";
    }
}

TEST(PointInTriangle, BothWindingsEdgesIncluded) {
    struct Case {
        float x, y;
        bool inside;
    } cases[] = {{2, 2, true},  {0, 0, true},      {5, 5, true},      {10, 0, true},
                 {6, 6, false}, {-0.1f, 0, false}, {2, -0.1f, false}, {11, 0, false}};
    ktVec3f a = at(0, 0), b = at(10, 0), c = at(0, 10);
    for (const Case& k : cases) {
        EXPECT_EQ(pointInTriangle(k.x, k.y, a, b, c), k.inside) << "ccw (" << k.x << ", " << k.y << ")";
        EXPECT_EQ(pointInTriangle(k.x, k.y, a, c, b), k.inside) << "cw (" << k.x << ", " << k.y << ")";
    }
}

TEST(PointInTriangle, CornerBehindNearPlaneRejects) {
    for (int behind = 0; behind < 3; behind++) {
        ktVec3f corners[3] = {at(0, 0), at(10, 0), at(0, 10)};
        corners[behind].z = -0.1f;
        EXPECT_FALSE(pointInTriangle(2, 2, corners[0], corners[1], corners[2])) << "corner " << behind;
    }
    // z exactly 0 (on the near plane) is still in front.
    ktVec3f a = at(0, 0, 0.0f), b = at(10, 0), c = at(0, 10);
    EXPECT_TRUE(pointInTriangle(2, 2, a, b, c));
}

TEST(PointInTriangle, TriangleWithoutAreaCoversOnlyItsCorners) {
    // Coinciding corners: only that one position is covered, not the whole window.
    ktVec3f p = at(5, 5);
    EXPECT_TRUE(pointInTriangle(5, 5, p, p, p));
    EXPECT_FALSE(pointInTriangle(300, 40, p, p, p));
    // Collinear corners: the span between them, not the line beyond.
    ktVec3f a = at(0, 0), b = at(10, 0), c = at(20, 0);
    EXPECT_TRUE(pointInTriangle(15, 0, a, b, c));
    EXPECT_TRUE(pointInTriangle(15, 0, a, c, b));
    EXPECT_FALSE(pointInTriangle(25, 0, a, b, c));
    EXPECT_FALSE(pointInTriangle(-1, 0, a, b, c));
    EXPECT_FALSE(pointInTriangle(15, 1, a, b, c));
}

TEST(PickRegion, RectangleModesAndBorders) {
    // A vertex on any of the four borders is not strictly inside, but is inside for every-vertex.
    for (Pos border : {Pos{0, 5}, Pos{10, 5}, Pos{5, 0}, Pos{5, 10}}) {
        ktShape shape = pickShape(0, {border});
        EXPECT_FALSE(shape.shapeInRect(0, 0, 10, 10, true)) << border.x << ", " << border.y;
        EXPECT_TRUE(shape.shapeInRect(0, 0, 10, 10, false)) << border.x << ", " << border.y;
    }
    ktShape one = pickShape(0, {{10, 5}});
    EXPECT_TRUE(one.shapeInRect(0, 0, 10.5f, 10, true));
    EXPECT_FALSE(one.shapeInRect(10, 10, 0, 0, true));  // bounds are not reordered
    EXPECT_FALSE(one.shapeInRect(10.5f, 0, 20, 10, false));

    ktShape two = pickShape(0, {{5, 5}, {50, 5}});
    EXPECT_TRUE(two.shapeInRect(0, 0, 10, 10, true));
    EXPECT_FALSE(two.shapeInRect(0, 0, 10, 10, false));
    // Picking off and the primitive do not matter.
    two.enablePicking = false;
    two.drawStyle = 7;
    EXPECT_TRUE(two.shapeInRect(0, 0, 60, 10, false));

    // Only the vertices the index list names count; separators are skipped.
    ktShape indexed = pickShape(4, {{5, 5}, {50, 5}}, {0, -1, 0});
    EXPECT_TRUE(indexed.shapeInRect(0, 0, 10, 10, false));
}

TEST(PickRegion, CircleModesAndEdge) {
    ktShape edgeAndCentre = pickShape(0, {{3, 4}, {0, 0}});
    EXPECT_TRUE(edgeAndCentre.shapeInCircle(0, 0, 5, false));
    ktShape edge = pickShape(0, {{3, 4}});
    EXPECT_FALSE(edge.shapeInCircle(0, 0, 5, true));
    EXPECT_TRUE(edge.shapeInCircle(0, 0, 5.01f, true));
    EXPECT_FALSE(edge.shapeInCircle(0, 0, 4.99f, false));
    EXPECT_TRUE(edgeAndCentre.shapeInCircle(0, 0, 1, true));
}

TEST(PickRegion, ShapeWithoutEntriesIsInEveryRegionOnlyForAllMode) {
    ktShape empty;
    EXPECT_TRUE(empty.shapeInRect(0, 0, 1, 1, false));
    EXPECT_FALSE(empty.shapeInRect(0, 0, 1, 1, true));
    EXPECT_TRUE(empty.shapeInCircle(0, 0, 1, false));
    EXPECT_FALSE(empty.shapeInCircle(0, 0, 1, true));
    EXPECT_FALSE(empty.pointInside(0, 0));
    // Likewise with entries that name no vertex.
    ktShape unnamed = pickShape(0, {{50, 50}}, {4, -9, 1});
    EXPECT_TRUE(unnamed.shapeInRect(0, 0, 1, 1, false));
    EXPECT_FALSE(unnamed.shapeInCircle(50, 50, 10, true));
}
