// The primitives export writes, at their edges: separators ending a primitive, entries outside the
// vertex list left out as draw leaves them out, leftovers, empty lists and styles that draw nothing.
// (Each mode against Mesa's own rasterisation: ktShapePrimitivesGLTest.cpp.)
#include <gtest/gtest.h>

#include <vector>

#include "io/ktShapePrimitives.h"
#include "shapes/ktPrimitive.h"

namespace {

struct Case {
    const char* name;
    unsigned style;
    int vertices;
    std::vector<int> index;  // empty: the shape has no index list and draws its vertices in order
    bool indexed;
    int corners;
    std::vector<int> expected;
};

TEST(Primitives, FormedAsOpenGLDrawsEachMode) {
    // clang-format off
    const Case cases[] = {
        {"strip restarts at separator", kt_TRIANGLE_STRIP, 7, {0, 1, 2, 3, -1, 4, 5, 6}, true, 3,
         {0, 1, 2, 2, 1, 3, 4, 5, 6}},
        // Draw sends nothing for 9, so 1 and 2 are neighbours in the strip.
        {"strip skips out-of-range entry", kt_TRIANGLE_STRIP, 4, {0, 1, 9, 2, 3}, true, 3,
         {0, 1, 2, 2, 1, 3}},
        {"strip parity restarts after separator", kt_TRIANGLE_STRIP, 8, {0, 1, 2, 3, -1, 4, 5, 6, 7}, true, 3,
         {0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}},
        {"triangles count again after separator", kt_TRIANGLES, 7, {0, 1, 2, -1, 3, 4, 5, 6}, true, 3,
         {0, 1, 2, 3, 4, 5}},
        {"negative index other than separator skipped", kt_TRIANGLES, 3, {0, -5, 1, 2}, true, 3, {0, 1, 2}},
        {"lines drop odd end", kt_LINES, 5, {}, false, 2, {0, 1, 2, 3}},
        {"line loop closes each primitive", kt_LINE_LOOP, 5, {0, 1, 2, -1, 3, 4}, true, 2,
         {0, 1, 1, 2, 2, 0, 3, 4, 4, 3}},
        {"points", kt_POINTS, 3, {0, -1, 7, 2}, true, 1, {0, 2}},
        {"too few for a triangle", kt_TRIANGLE_STRIP, 2, {}, false, 3, {}},
        {"empty index list", kt_TRIANGLES, 3, {}, true, 3, {}},
        {"not a primitive mode", 12, 3, {}, false, 0, {}},
    };
    // clang-format on
    testing::internal::CaptureStdout();  // out-of-range indices are reported by addIndex
    for (const Case& c : cases) {
        ktShape shape(false, false, c.indexed);
        shape.drawStyle = c.style;
        for (int v = 0; v < c.vertices; v++) shape.addPoint(static_cast<float>(v), 0.0f, 0.0f);
        for (int i : c.index) shape.addIndex(i);
        const ktShapePrimitives formed = ktFormPrimitives(shape);
        EXPECT_EQ(formed.corners, c.corners) << c.name;
        EXPECT_EQ(formed.indices, c.expected) << c.name;
    }
    testing::internal::GetCapturedStdout();
}

}  // namespace
