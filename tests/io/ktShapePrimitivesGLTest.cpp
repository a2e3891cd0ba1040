// What export writes for strips, fans, polygons, quads and lines against what Mesa actually rasterises
// for the same shape: its draw is captured in OpenGL feedback mode, and every captured triangle or
// segment must be one that ktFormPrimitives forms, in the same order and with the same winding.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "io/ktShapePrimitives.h"
#include "math/ktTransforms.h"
#include "shapes/ktPrimitive.h"
#include "support/ktTestWindow.h"

namespace {

// Vertex k at (20 + 17 k, 30 + 23 (k^2 mod 11)): distinct window pixels under the projection below.
float vx(int k) { return 20.0f + 17.0f * k; }
float vy(int k) { return 30.0f + 23.0f * ((k * k) % 11); }

// Rotates a primitive so that its smallest index comes first; winding (cyclic order) is kept.
std::vector<int> canonical(std::vector<int> corners) {
    std::rotate(corners.begin(), std::min_element(corners.begin(), corners.end()), corners.end());
    return corners;
}

// The primitives OpenGL reports for the shape's draw, as vertex indices.
std::vector<std::vector<int>> fedBack(ktShape& shape) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    shape.draw();
    const GLint size = glRenderMode(GL_RENDER);
    auto vertexAt = [](float x, float y) {
        for (int k = 0; k < 64; k++)
            if (std::fabs(x - vx(k)) < 0.01f && std::fabs(y - vy(k)) < 0.01f) return k;
        return -1;
    };
    std::vector<std::vector<int>> primitives;
    for (GLint at = 0; at < size;) {
        const GLint token = static_cast<GLint>(buffer[at++]);
        int corners = 0;
        if (token == GL_POLYGON_TOKEN)
            corners = static_cast<int>(buffer[at++]);
        else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN)
            corners = 2;
        else if (token == GL_POINT_TOKEN)
            corners = 1;
        std::vector<int> p;
        for (int c = 0; c < corners; c++, at += 3) p.push_back(vertexAt(buffer[at], buffer[at + 1]));
        primitives.push_back(p);
    }
    return primitives;
}

TEST(FeedbackGL, ExportFormsWhatOpenGLDraws) {
    ktTestOpenWindow();
    ktTransformsInit();
    glViewport(0, 0, 300, 300);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 300, 0, 300, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    const struct {
        const char* name;
        unsigned style;
        int vertices;
        std::vector<int> index;
    } cases[] = {
        {"strip", kt_TRIANGLE_STRIP, 7, {}},
        {"strips with separator and skipped entry",
         kt_TRIANGLE_STRIP,
         9,
         {0, 1, 2, 3, 4, -1, 5, 6, 40, 7, 8}},
        {"fans", kt_TRIANGLE_FAN, 9, {0, 1, 2, 3, -1, 4, 5, 6, 7, 8}},
        {"polygons", kt_POLYGON, 9, {0, 1, 2, 3, 4, -1, 5, 6, 7, 8}},
        {"triangles", kt_TRIANGLES, 8, {0, 1, 2, -1, 3, 4, 5, 6, 7}},
        {"quads", kt_QUADS, 8, {}},
        {"quad strip", kt_QUAD_STRIP, 8, {}},
        {"line loops", kt_LINE_LOOP, 7, {0, 1, 2, 3, -1, 4, 5, 6}},
        {"line strip", kt_LINE_STRIP, 5, {}},
    };
    for (const auto& c : cases) {
        ktShape shape(false, false, !c.index.empty());
        shape.drawStyle = c.style;
        shape.enablePicking = false;
        for (int k = 0; k < c.vertices; k++) shape.addPoint(vx(k), vy(k), 0.0f);
        testing::internal::CaptureStdout();  // addIndex reports the out-of-range entry
        for (int i : c.index) shape.addIndex(i);
        testing::internal::GetCapturedStdout();
        const ktShapePrimitives formed = ktFormPrimitives(shape);
        std::vector<std::vector<int>> expected;
        for (size_t i = 0; i < formed.indices.size(); i += formed.corners)
            expected.push_back(canonical(
                std::vector<int>(formed.indices.begin() + i, formed.indices.begin() + i + formed.corners)));
        std::vector<std::vector<int>> drawn = fedBack(shape);
        // Mesa may report a polygon or quad whole; split it as a fan to compare triangle by triangle.
        std::vector<std::vector<int>> split;
        for (const std::vector<int>& p : drawn) {
            if (p.size() <= 3) split.push_back(canonical(p));
            for (size_t k = 1; p.size() > 3 && k + 1 < p.size(); k++)
                split.push_back(canonical({p[0], p[k], p[k + 1]}));
        }
        EXPECT_EQ(split, expected) << c.name;
    }
}

}  // namespace
