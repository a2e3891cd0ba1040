// Drawing shapes whose state is damaged or hostile, in a real OpenGL context: indices outside the
// vertex list, unknown primitive codes and transform orders, NaN and infinite values, a record read
// into a mesh whose grid it does not fit. Nothing may crash or read outside a list (the sanitizer
// build runs this too), and what reaches OpenGL (captured in feedback mode) names only existing
// vertices: drawn as points, the stream is exactly the valid entries in order; drawn in the
// shape's own primitive, every vertex OpenGL reports is one of the shape's world positions.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "fuzz/ktRecordCheck.h"
#include "math/ktTransforms.h"
#include "shapes/ktNiceShapes.h"
#include "shapes/ktShape.h"
#include "support/ktTestWindow.h"

namespace {

const int viewSize = 200;

struct Sent {
    std::vector<float> x, y;  // window position of every vertex OpenGL reported
    int points = 0;           // point tokens among them
    bool overflow = false;
};

// Draws with an orthographic camera that maps object coordinates onto window pixels, in feedback
// mode (GL_2D: window x and y per vertex).
Sent drawCaptured(ktShape& shape, std::string& printed) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    testing::internal::CaptureStdout();
    shape.draw();
    printed = testing::internal::GetCapturedStdout();
    const GLint used = glRenderMode(GL_RENDER);
    Sent sent;
    sent.overflow = used < 0;
    for (GLint k = 0; k < used;) {
        const GLenum token = static_cast<GLenum>(buffer[k++]);
        int n = 0;
        if (token == GL_POINT_TOKEN) {
            n = 1;
            sent.points++;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            n = 2;
        } else if (token == GL_POLYGON_TOKEN) {
            n = static_cast<int>(buffer[k++]);
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        for (int i = 0; i < n; i++, k += 2) {
            sent.x.push_back(buffer[k]);
            sent.y.push_back(buffer[k + 1]);
        }
    }
    return sent;
}

bool inView(const ktVec3f& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && p.x >= 0 && p.x <= viewSize &&
           p.y >= 0 && p.y <= viewSize && std::fabs(p.z) < 10;
}

// Six vertices with per-vertex colours and normals, drawn through `indices`.
void fill(ktShape& s, const std::vector<int>& indices, uint32_t style) {
    for (int k = 0; k < 6; k++) s.addPoint(20.0f + 25 * k, 20.0f + 30 * (k % 3), 0.0f);
    for (int i : indices) s.addIndex(i);
    s.drawStyle = style;
}

// A shape of those six vertices, changed further by `change` when there is one; or, without
// indices, the shape `change` makes. Shapes are made on the heap and never destroyed, as in the
// program (their lists are released). Messages are not under test here.
struct Case {
    const char* name;
    std::vector<int> indices;
    uint32_t style;
    std::function<void(ktShape*&)> change;
};

// clang-format off
const Case cases[] = {
    {"indices outside the list among valid ones", {0, INT_MIN, 1, 6, -2, INT_MAX, 2, -1, 5, 3, 4, 1000000, 0},
     GL_TRIANGLES, nullptr},
    {"a strip whose runs repeat vertices and break on bad entries",
     {0, 1, 2, 0, 1, 2, 3, -7, 3, 4, 5, 4, 3, 9, 2, 1, 0, 1, 2, 3, 4, 5}, GL_TRIANGLE_STRIP, nullptr},
    {"a fan whose hub names no vertex", {-1, 0, 1, 2, 3, 4}, GL_TRIANGLE_FAN, nullptr},
    {"a polygon with a bad first entry", {7, 0, 1, 2, 3}, GL_POLYGON, nullptr},
    {"lines, loop and quads over bad entries", {0, 1, 8, 2, 3, -1, 4, 5, -3, 0}, GL_QUADS, nullptr},
    {"primitive code of four billion", {0, 1, 2, 3}, 4000000000u, nullptr},
    {"primitive code 0x7FFF", {0, 1, 2, 3}, 0x7FFF, nullptr},
    {"transform order 200", {0, 1, 2}, GL_TRIANGLES, [](ktShape*& s) {
         s->transformOrder = static_cast<xformOrder>(200);
         s->Translation.set(1e30f, 0, 0);
     }},
    {"non-finite positions, colours and normals", {0, 1, 2, 3, 4, 5}, GL_TRIANGLE_STRIP, [](ktShape*& s) {
         s->setVertex(1, NAN, 0, 0);
         s->setVertex(3, INFINITY, -INFINITY, 0);
         s->setVertexColor(2, NAN, INFINITY, -1, 2);
         s->Normal.set(NAN, NAN, NAN);
         s->Color.set(INFINITY, 0, 0, NAN);
     }},
    {"NaN transforms", {0, 1, 2}, GL_TRIANGLES, [](ktShape*& s) {
         s->Rotation.set(NAN, 0, 0, 1);
         s->Scale.set(INFINITY, 1, 1);
     }},
    {"texture coordinates without normals, vertex order", {}, 0, [](ktShape*& s) {
         s = new ktShape(false, false, false);
         for (int k = 0; k < 5; k++) s->addPoint(30.0f + 20 * k, 50.0f + 10 * k, 0.0f);
         s->enablePerVertexTextureCoords();
         s->drawStyle = GL_LINE_LOOP;
     }},
    {"a record of another shape read into a mesh", {}, 0, [](ktShape*& s) {
         ktShape source(true, true, true);
         fill(source, {0, 1, 5, 9, -1, 2}, GL_TRIANGLE_STRIP);
         std::vector<unsigned char> bytes = ktShapeRecordBytes(source);
         ktReleaseShapeLists(source);
         ktMeshShape* mesh = new ktMeshShape(3, 3);
         mesh->Translation.set(10, 10, 0);
         FILE* in = fmemopen(bytes.data(), bytes.size(), "rb");
         mesh->readFromFile(in);
         std::fclose(in);
         // The grid (3 x 3) no longer fits the six vertices read: these report or land elsewhere.
         mesh->setMeshVertex(2, 2, 1, 1, 1);
         mesh->setMeshVertexColor(1, 1, 0, 1, 0, 1);
         s = mesh;
     }},
};
// clang-format on

class HostileDraw : public testing::Test {
protected:
    void SetUp() override { ktTestPixelView(viewSize); }
};

// Entries the shape walks that name a vertex, in drawing order.
std::vector<int> validEntries(const ktShape& s) {
    std::vector<int> out;
    const int count = s.enableIndex ? s.indexListLength : s.listLength;
    for (int k = 0; k < count; k++) {
        const int v = s.enableIndex ? s.indexList[k] : k;
        if (v >= 0 && v < s.listLength) out.push_back(v);
    }
    return out;
}

}  // namespace

TEST_F(HostileDraw, NothingCrashesAndOpenGLHearsOnlyExistingVertices) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ktShape* shape = nullptr;
        testing::internal::CaptureStdout();
        if (!c.indices.empty()) {
            shape = new ktShape(true, true, true);
            fill(*shape, c.indices, c.style);
        }
        if (c.change) c.change(shape);
        testing::internal::GetCapturedStdout();
        ASSERT_NE(shape, nullptr);
        const bool knownStyle = shape->drawStyle <= GL_POLYGON;
        const uint32_t style = shape->drawStyle;
        std::string printed;

        // In the shape's own primitive: every reported vertex is one of the shape's world positions
        // (only checked when all of them lie in view, so that no clipping makes new ones).
        Sent sent = drawCaptured(*shape, printed);
        const GLenum error = glGetError();
        EXPECT_EQ(error,
                  knownStyle ? static_cast<GLenum>(GL_NO_ERROR) : static_cast<GLenum>(GL_INVALID_ENUM));
        while (glGetError() != GL_NO_ERROR) {
        }
        EXPECT_FALSE(sent.overflow);
        EXPECT_EQ(ktMatrixHeight, 0);
        bool allInView = true;
        for (int v = 0; v < shape->listLength; v++) allInView = allInView && inView(shape->absVertexList[v]);
        if (allInView) {
            for (size_t i = 0; i < sent.x.size(); i++) {
                bool named = false;
                for (int v = 0; v < shape->listLength && !named; v++)
                    named = std::fabs(sent.x[i] - shape->absVertexList[v].x) < 1e-3f &&
                            std::fabs(sent.y[i] - shape->absVertexList[v].y) < 1e-3f;
                EXPECT_TRUE(named) << "vertex at " << sent.x[i] << ", " << sent.y[i];
            }
        }

        // As points: exactly the valid entries, in order, each at its world position.
        shape->drawStyle = GL_POINTS;
        sent = drawCaptured(*shape, printed);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const std::vector<int> valid = validEntries(*shape);
        if (allInView) {
            ASSERT_EQ(sent.points, static_cast<int>(valid.size()));
            for (size_t i = 0; i < valid.size(); i++) {
                EXPECT_NEAR(sent.x[i], shape->absVertexList[valid[i]].x, 1e-3f) << i;
                EXPECT_NEAR(sent.y[i], shape->absVertexList[valid[i]].y, 1e-3f) << i;
            }
        } else {
            EXPECT_LE(sent.points, static_cast<int>(valid.size()));
        }
        shape->drawStyle = style;

        // Picking on what the draws left, before and after, stays within the lists.
        shape->pointInside(50, 50);
        shape->shapeInRect(0, 0, viewSize, viewSize, false);
        shape->shapeInCircle(50, 50, 30, true);
        ktReleaseShapeLists(*shape);
    }
}
