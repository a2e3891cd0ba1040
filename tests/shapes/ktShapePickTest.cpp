// Picking against window positions written straight into screenVertexList, as a draw would leave
// them: tolerance bands, primitive walking with separators, both triangle windings, depth
// rejection, and the rectangle and circle modes with their borders.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "shapes/ktShape.h"

namespace {

struct Pos {
    float x, y, z;
};

// A shape of the given primitive whose vertices sit at the given window positions, drawn through
// `indices` when that list is not empty.
ktShape pickShape(uint32_t style, std::initializer_list<Pos> screen, const std::vector<int>& indices = {}) {
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

void expectProbes(ktShape& shape, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes) {
        EXPECT_EQ(shape.pointInside(p.x, p.y), p.hit) << "at (" << p.x << ", " << p.y << ")";
    }
}

ktVec3f at(float x, float y, float z = 0.5f) { return ktVec3f(x, y, z); }

}  // namespace

TEST(PickPoints, HitWithinToleranceStrictly) {
    ktShape shape = pickShape(0, {{100, 100, 0.5f}, {300, 300, 0.5f}});
    // (103, 104) lies exactly 5 pixels away: the comparison is strict.
    expectProbes(
        shape,
        {{103, 103, true}, {103, 104, false}, {95.1f, 100, true}, {300, 304.9f, true}, {200, 200, false}});
}

TEST(PickLines, StripBandHasNoCapsAndStrictWidth) {
    ktShape shape = pickShape(3, {{0, 0, 0.5f}, {100, 0, 0.5f}});
    expectProbes(shape, {{50, 4.9f, true},
                         {50, -4.9f, true},
                         {50, 5, false},
                         {-1, 0, false},  // beyond the end: no round cap
                         {101, 0, false},
                         {0, 3, true},  // on the perpendicular at an end
                         {100, -3, true}});
}

TEST(PickLines, DiagonalSegmentMeasuresPerpendicularDistance) {
    ktShape shape = pickShape(3, {{0, 0, 0.5f}, {100, 100, 0.5f}});
    // 3 pixels off the diagonal in each axis is 4.24 away; 4 is 5.66 away.
    expectProbes(shape, {{53, 47, true}, {54, 46, false}, {50, 50, true}});
}

TEST(PickLines, LineLoopLeavesClosingSegmentOut) {
    ktShape shape = pickShape(2, {{0, 0, 0.5f}, {100, 0, 0.5f}, {100, 100, 0.5f}});
    expectProbes(shape, {{50, 50, false}, {50, 2, true}, {98, 50, true}});
}

TEST(PickLines, SeparatorsAndPairing) {
    // Lines pair entries (0,1), (2,3): the gap 1-2 is no segment.
    ktShape lines = pickShape(1, {{0, 0, 0.5f}, {100, 0, 0.5f}, {100, 100, 0.5f}, {0, 100, 0.5f}});
    expectProbes(lines, {{50, 0, true}, {100, 50, false}, {50, 100, true}});

    // 0, 1, -1, 2, 3: segments 0-1 and 2-3 only.
    ktShape separated =
        pickShape(1, {{0, 0, 0.5f}, {100, 0, 0.5f}, {100, 100, 0.5f}, {0, 100, 0.5f}}, {0, 1, -1, 2, 3});
    expectProbes(separated, {{50, 0, true}, {100, 50, false}, {50, 100, true}});

    // After a separator the pairs start again at the next entry: 0, -1, 1, 2 draws 1-2.
    ktShape restarted = pickShape(1, {{0, 0, 0.5f}, {100, 0, 0.5f}, {100, 100, 0.5f}}, {0, -1, 1, 2});
    expectProbes(restarted, {{50, 0, false}, {100, 50, true}});

    // A strip broken by a separator loses the segment across it.
    ktShape strip = pickShape(3, {{0, 0, 0.5f}, {100, 0, 0.5f}, {100, 100, 0.5f}}, {0, 1, -1, 2, 1});
    expectProbes(strip, {{50, 0, true}, {100, 50, true}});
    ktShape brokenStrip = pickShape(3, {{0, 0, 0.5f}, {100, 0, 0.5f}, {100, 100, 0.5f}}, {0, 1, -1, 2});
    expectProbes(brokenStrip, {{50, 0, true}, {100, 50, false}});
}

TEST(PickLines, ZeroLengthSegmentIsMeasuredAsPoint) {
    ktShape shape = pickShape(3, {{20, 20, 0.5f}, {20, 20, 0.5f}});
    expectProbes(shape, {{23, 23, true}, {23, 24, false}, {20, 20, true}});
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

TEST(PickTriangles, SeparateTrianglesSkipSeparatorEntryByEntry) {
    // Two triangles; with the separator between them, entries 3..5 form the second one.
    ktShape shape = pickShape(
        4, {{0, 0, 0.5f}, {10, 0, 0.5f}, {0, 10, 0.5f}, {100, 0, 0.5f}, {110, 0, 0.5f}, {100, 10, 0.5f}},
        {0, 1, 2, -1, 3, 4, 5});
    expectProbes(shape, {{2, 2, true}, {102, 2, true}, {50, 3, false}});
}

TEST(PickTriangles, StripPicksEveryTriangleWhateverItsWinding) {
    // Zigzag strip (0,0) (0,10) (10,0) (10,10) (20,0): the second triangle is wound the other way.
    ktShape shape = pickShape(5, {{0, 0, 0.5f}, {0, 10, 0.5f}, {10, 0, 0.5f}, {10, 10, 0.5f}, {20, 0, 0.5f}});
    expectProbes(shape, {{2, 2, true}, {8, 8, true}, {12, 2, true}, {19, 9, false}, {-1, 5, false}});
    shape.enablePicking = false;
    expectProbes(shape, {{2, 2, false}});
}

TEST(PickFan, SeparatorRestartsFanAtNextEntry) {
    // Entries 0, 1, 2, -1, 3, 4, 5 test (0,1,2), then around hub 3: (3,3,4) and (3,4,5).
    ktShape shape = pickShape(
        6, {{0, 0, 0.5f}, {10, 0, 0.5f}, {0, 10, 0.5f}, {100, 100, 0.5f}, {110, 100, 0.5f}, {100, 110, 0.5f}},
        {0, 1, 2, -1, 3, 4, 5});
    // (105, 102) lies in (3,4,5); (50, 50) would lie in (0,4,5) had the hub stayed 0.
    expectProbes(shape, {{2, 2, true}, {102, 102, true}, {50, 50, false}, {105, 100, true}});
}

TEST(PickFan, HubThatNamesNoVertexSkipsUntilValidHub) {
    // Square (0,0) (10,0) (10,10) (0,10). (5, 1) lies only in triangle (0, 1, 2), (2, 8) in (0, 2, 3).
    const std::vector<int> cases[] = {
        {-1, 0, 1, 2, -1, 0, 2, 3},  // a fan opening with a separator has no hub until the restart
        {9, 0, 1, 2, -1, 0, 2, 3},   // an out-of-range hub likewise
    };
    for (const std::vector<int>& indices : cases) {
        ktShape shape = pickShape(6, {{0, 0, 0.5f}, {10, 0, 0.5f}, {10, 10, 0.5f}, {0, 10, 0.5f}}, indices);
        expectProbes(shape, {{5, 1, false}, {2, 8, true}});
    }
    // A restart onto a second separator: the hub is -1 for one step, then vertex 1; the fan is
    // (1, 1, 2), (1, 2, 3), so (2, 2) misses and (8, 8) hits.
    ktShape twice =
        pickShape(6, {{0, 0, 0.5f}, {10, 0, 0.5f}, {10, 10, 0.5f}, {0, 10, 0.5f}}, {0, -1, -1, 1, 2, 3});
    expectProbes(twice, {{2, 2, false}, {8, 8, true}});
}

TEST(PickFan, PolygonIsAFanAroundItsFirstEntry) {
    ktShape shape = pickShape(9, {{0, 0, 0.5f}, {10, 0, 0.5f}, {10, 10, 0.5f}, {0, 10, 0.5f}});
    expectProbes(shape, {{1, 9, true}, {9, 1, true}, {5, 5, true}, {11, 5, false}});
    // Fewer than three entries pick nothing.
    ktShape two = pickShape(9, {{0, 0, 0.5f}, {10, 0, 0.5f}});
    expectProbes(two, {{5, 0, false}});
}

TEST(PickAnyStyle, OutOfRangeIndicesAreSkippedLikeSeparators) {
    // Three vertices (0,0) (10,0) (0,10); every other index names no vertex. Under AddressSanitizer
    // this also proves that no window position is read through such an entry.
    struct Case {
        uint32_t style;
        std::vector<int> indices;
        Probe probe;
    } cases[] = {
        {0, {7, -2, 1}, {10, 0, true}},     {0, {7, -2}, {0, 0, false}},
        {1, {0, 3, 1, 2}, {5, 5, true}},  // pairs start again after 3: segment 1-2
        {1, {0, 3, 1, 2}, {2, 0, false}},   {3, {0, 1, 1000, 2}, {5, 6, false}},
        {4, {0, 5, 0, 1, 2}, {2, 2, true}}, {5, {-7, 0, 1, 2, 3}, {2, 2, true}},
        {5, {0, 1, 3}, {2, 2, false}},
    };
    for (const Case& c : cases) {
        ktShape shape = pickShape(c.style, {{0, 0, 0.5f}, {10, 0, 0.5f}, {0, 10, 0.5f}}, c.indices);
        EXPECT_EQ(shape.pointInside(c.probe.x, c.probe.y), c.probe.hit) << "style " << c.style;
    }
    // Regions skip them too: with no vertex named, every-vertex mode holds and any-vertex does not.
    ktShape unnamed = pickShape(0, {{50, 50, 0.5f}}, {4, -9, 1});
    EXPECT_TRUE(unnamed.shapeInRect(0, 0, 1, 1, false));
    EXPECT_FALSE(unnamed.shapeInCircle(50, 50, 10, true));
}

TEST(PickAnyStyle, QuadsAndUnknownModesNeverHit) {
    for (uint32_t style : {7u, 8u, 10u, 0xFFFFFFFFu}) {
        ktShape shape = pickShape(style, {{0, 0, 0.5f}, {10, 0, 0.5f}, {10, 10, 0.5f}, {0, 10, 0.5f}});
        EXPECT_FALSE(shape.pointInside(5, 5)) << "style " << style;
        EXPECT_FALSE(shape.pointInside(0, 0)) << "style " << style;
    }
}

TEST(PickRegion, RectangleModesAndBorders) {
    // A vertex on any of the four borders is not strictly inside, but is inside for every-vertex.
    for (Pos border : {Pos{0, 5, 0.5f}, Pos{10, 5, 0.5f}, Pos{5, 0, 0.5f}, Pos{5, 10, 0.5f}}) {
        ktShape shape = pickShape(0, {border});
        EXPECT_FALSE(shape.shapeInRect(0, 0, 10, 10, true)) << border.x << ", " << border.y;
        EXPECT_TRUE(shape.shapeInRect(0, 0, 10, 10, false)) << border.x << ", " << border.y;
    }
    ktShape one = pickShape(0, {{10, 5, 0.5f}});
    EXPECT_TRUE(one.shapeInRect(0, 0, 10.5f, 10, true));
    EXPECT_FALSE(one.shapeInRect(10, 10, 0, 0, true));  // bounds are not reordered
    EXPECT_FALSE(one.shapeInRect(10.5f, 0, 20, 10, false));

    ktShape two = pickShape(0, {{5, 5, 0.5f}, {50, 5, 0.5f}});
    EXPECT_TRUE(two.shapeInRect(0, 0, 10, 10, true));
    EXPECT_FALSE(two.shapeInRect(0, 0, 10, 10, false));
    // Picking off and the primitive do not matter.
    two.enablePicking = false;
    two.drawStyle = 7;
    EXPECT_TRUE(two.shapeInRect(0, 0, 60, 10, false));

    // Only the vertices the index list names count; separators are skipped.
    ktShape indexed = pickShape(4, {{5, 5, 0.5f}, {50, 5, 0.5f}}, {0, -1, 0});
    EXPECT_TRUE(indexed.shapeInRect(0, 0, 10, 10, false));
}

TEST(PickRegion, CircleModesAndEdge) {
    ktShape edgeAndCentre = pickShape(0, {{3, 4, 0.5f}, {0, 0, 0.5f}});
    EXPECT_TRUE(edgeAndCentre.shapeInCircle(0, 0, 5, false));
    ktShape edge = pickShape(0, {{3, 4, 0.5f}});
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
}
