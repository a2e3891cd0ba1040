// Shape drawing in a real OpenGL context. What a draw sends is captured in feedback mode under an
// orthographic camera that maps object coordinates onto window pixels, so feedback positions are
// the world positions the shape computed (offset by the caller's modelview where a test sets one).
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "math/ktTransforms.h"
#include "shapes/ktNiceShapes.h"
#include "shapes/ktShape.h"
#include "support/ktTestMath.h"
#include "support/ktTestWindow.h"

namespace {

struct FbVertex {
    float x, y, z, w;
    float r, g, b, a;
    float s, t;
};

struct FbPrimitive {
    GLenum token;
    std::vector<FbVertex> vertices;
};

const int kViewSize = 200;

class ShapeDraw : public testing::Test {
protected:
    void SetUp() override {
        ktTestPixelView(kViewSize);
        glDisable(GL_TEXTURE_2D);
        glColor4f(0, 0, 0, 0);
        glNormal3f(0, 0, 0);
        glTexCoord2f(0, 0);
    }

    // Draws the shape in feedback mode and returns what reached OpenGL, checking that every
    // glBegin was matched.
    std::vector<FbPrimitive> feedback(ktShape& shape) {
        std::vector<GLfloat> buffer(1 << 16);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_4D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        shape.draw();
        const GLint used = glRenderMode(GL_RENDER);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_GE(used, 0) << "feedback buffer overflow";
        std::vector<FbPrimitive> out;
        auto vertexAt = [&](GLint& k) {
            FbVertex v;
            std::memcpy(&v, &buffer[k], sizeof(FbVertex));  // x y z w, r g b a, s t
            k += 12;                                        // r and q of the texture coordinate
            return v;
        };
        for (GLint k = 0; k < used;) {
            const GLenum token = static_cast<GLenum>(buffer[k++]);
            FbPrimitive p{token, {}};
            int n = 0;
            if (token == GL_POINT_TOKEN)
                n = 1;
            else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN)
                n = 2;
            else if (token == GL_POLYGON_TOKEN)
                n = static_cast<int>(buffer[k++]);
            else
                ADD_FAILURE() << "unexpected feedback token " << token;
            for (int i = 0; i < n; i++) p.vertices.push_back(vertexAt(k));
            out.push_back(p);
        }
        return out;
    }
};

void expectAt(const FbVertex& v, float x, float y) {
    EXPECT_NEAR(v.x, x, 1e-4f);
    EXPECT_NEAR(v.y, y, 1e-4f);
}

std::vector<float> current(GLenum what, int n) {
    std::vector<float> values(4);
    glGetFloatv(what, values.data());
    values.resize(n);
    return values;
}

TEST_F(ShapeDraw, EmptyShapeSendsOnlyTheShapeWideValues) {
    ktShape s;
    s.Color.set(0.25f, 0.5f, 0.75f, 1.0f);
    s.Normal.set(0, 1, 0);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(feedback(s).empty());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(current(GL_CURRENT_COLOR, 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_EQ(current(GL_CURRENT_NORMAL, 3), (std::vector<float>{0, 1, 0}));
    EXPECT_EQ(ktMatrixHeight, 0);
}

TEST_F(ShapeDraw, TransformOrders) {
    struct Case {
        int order;
        float x, y;
    };
    // Translation (1, 0, 0), Scale (2, 1, 1), 90 degrees about z, applied to the vertex (1, 0, 0).
    const Case cases[] = {
        {kt_T_S_R, 1, 1}, {kt_T_R_S, 1, 2}, {kt_R_S_T, 0, 4}, {kt_R_T_S, 0, 3},
        {kt_S_R_T, 0, 2}, {kt_S_T_R, 2, 1}, {6, 1, 0},        {255, 1, 0},
    };
    // The caller's camera offsets everything by (50, 50); its software matrix moves z by 1.
    glTranslatef(50, 50, 0);
    ktTranslatef(0, 0, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "order " << c.order);
        ktShape s;
        s.drawStyle = GL_POINTS;
        s.addPoint(1, 0, 0);
        s.transformOrder = static_cast<xformOrder>(c.order);
        s.Translation.set(1, 0, 0);
        s.Scale.set(2, 1, 1);
        s.Rotation.set(90, 0, 0, 1);
        std::vector<FbPrimitive> sent = feedback(s);
        ASSERT_EQ(sent.size(), 1u);
        expectAt(sent[0].vertices[0], 50 + c.x, 50 + c.y);
        EXPECT_NEAR(s.absVertexList[0].x, c.x, 1e-6f);
        EXPECT_NEAR(s.absVertexList[0].y, c.y, 1e-6f);
        EXPECT_EQ(s.absVertexList[0].z, 1.0f);
        EXPECT_EQ(ktMatrixHeight, 0);
    }
    EXPECT_EQ(ktMatrixStack[0].m[2][3], 1.0f);  // the caller's matrix is left as it was
    EXPECT_EQ(ktMatrixStack[0].m[0][3], 0.0f);
}

TEST_F(ShapeDraw, SeparatorsBreakPrimitives) {
    ktShape s(false, false, true);  // line strip
    for (int k = 0; k < 7; k++) s.addPoint(10.0f + 10 * k, 20, 0);
    for (int i : {0, 1, 2, -1, 3, 4, -1, -1, 5, 6, -1}) s.addIndex(i);
    // Segments 0-1, 1-2, 3-4 and 5-6 only: none bridges a separator. (Mesa reports every segment
    // with the plain line token, so the starts of strips show only through the missing bridges.)
    std::vector<FbPrimitive> sent = feedback(s);
    ASSERT_EQ(sent.size(), 4u);
    const float starts[] = {10, 20, 40, 60};
    for (int p = 0; p < 4; p++) {
        EXPECT_TRUE(sent[p].token == GL_LINE_TOKEN || sent[p].token == GL_LINE_RESET_TOKEN) << p;
        expectAt(sent[p].vertices[0], starts[p], 20);
        expectAt(sent[p].vertices[1], starts[p] + 10, 20);
    }

    // A 3 x 3 mesh: two strips of four triangles (ten if a strip ran on across the separator).
    ktMeshShape mesh(3, 3);
    mesh.Translation.set(10, 10, 0);
    EXPECT_EQ(feedback(mesh).size(), 8u);

    // Entries that name no vertex are left out; the rest of the primitive goes on.
    ktShape points(false, false, true);
    points.drawStyle = GL_POINTS;
    points.addPoint(5, 5, 0);
    points.addPoint(6, 6, 0);
    testing::internal::CaptureStdout();
    for (int i : {0, 2, -2, 1000000, 1}) points.addIndex(i);
    testing::internal::GetCapturedStdout();
    std::vector<FbPrimitive> dots = feedback(points);
    ASSERT_EQ(dots.size(), 2u);
    expectAt(dots[0].vertices[0], 5, 5);
    expectAt(dots[1].vertices[0], 6, 6);
}

TEST_F(ShapeDraw, EmptyIndexListIsReportedOnEveryDraw) {
    ktShape s(false, false, true);
    s.addPoint(10, 10, 0);
    ktMeshShape row(1, 4);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(feedback(s).empty());
    EXPECT_TRUE(feedback(s).empty());
    EXPECT_TRUE(feedback(row).empty());
    const std::string message = "ktShape::draw: no shape is drawing because index list is empty\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), message + message + message);
}

TEST_F(ShapeDraw, PerVertexAndShapeWideAttributes) {
    auto make = [](bool colors, bool normals) {
        ktShape s(colors, normals, false);
        s.drawStyle = GL_POINTS;
        s.Color.set(0.5f, 0.25f, 0.125f, 1.0f);
        s.Normal.set(1, 0, 0);
        for (int k = 0; k < 3; k++) s.addPoint(10.0f * (k + 1), 10, 0);
        if (colors)
            for (int k = 0; k < 3; k++) s.setVertexColor(k, 0, 0.25f * k, 1, 0.5f);
        return s;
    };

    ktShape wide = make(false, false);
    ktShape own = make(true, true);
    std::vector<FbPrimitive> shared = feedback(wide);
    EXPECT_EQ(current(GL_CURRENT_NORMAL, 3), (std::vector<float>{1, 0, 0}));
    std::vector<FbPrimitive> sent = feedback(own);
    ASSERT_EQ(shared.size(), 3u);
    ASSERT_EQ(sent.size(), 3u);
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(shared[k].vertices[0].g, 0.25f);
        EXPECT_EQ(shared[k].vertices[0].b, 0.125f);
        expectAt(sent[k].vertices[0], 10.0f * (k + 1), 10);
        EXPECT_EQ(sent[k].vertices[0].g, 0.25f * k);
        EXPECT_EQ(sent[k].vertices[0].a, 0.5f);
    }
    // Points form no faces, so every recomputed normal is +z, and the last one sent stays current.
    EXPECT_EQ(own.normalCountList[2], 0);
    EXPECT_EQ(current(GL_CURRENT_NORMAL, 3), (std::vector<float>{0, 0, 1}));

    // Texture coordinates go with every vertex, with or without per-vertex normals.
    for (bool normals : {false, true}) {
        SCOPED_TRACE(normals ? "with normals" : "without normals");
        ktShape textured = make(false, normals);
        textured.enablePerVertexTextureCoords();
        for (int k = 0; k < 3; k++) textured.textureCoordList[k].set(0.5f * k, 1.0f - 0.25f * k, 9);
        sent = feedback(textured);
        ASSERT_EQ(sent.size(), 3u);
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(sent[k].vertices[0].s, 0.5f * k);
            EXPECT_EQ(sent[k].vertices[0].t, 1.0f - 0.25f * k);
        }
    }
}

TEST_F(ShapeDraw, MeshNormalsFollowTheWorldPositions) {
    ktMeshShape mesh(4, 5);
    mesh.Translation.set(20, 20, 0);
    mesh.draw();  // the flat normals of this draw must not linger into the next
    // Tipped up by 90 degrees about x, the faces look along +y.
    mesh.Rotation.set(90, 1, 0, 0);
    mesh.draw();
    for (int v = 0; v < mesh.listLength; v++) expectVecNear(mesh.normalList[v], ktVec3f(0, 1, 0), 1e-6f);
}

TEST_F(ShapeDraw, WorldAndWindowPositionsMatchTheTransformFunctions) {
    // A perspective camera, so that the window projection divides by a w other than 1.
    glViewport(0, 0, 320, 240);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50, 320.0 / 240.0, 0.5, 100);
    glMatrixMode(GL_MODELVIEW);
    ktTransformsCaptureCamera();
    ktTranslatef(0.25f, -0.5f, -20);  // the caller's own placement

    ktMeshShape mesh(30, 20);
    for (int v = 0; v < mesh.listLength; v++)
        mesh.vertexList[v].set(mesh.vertexList[v].x * 0.37f - 5, mesh.vertexList[v].y * 0.41f - 4,
                               0.13f * (v % 7));
    mesh.transformOrder = kt_R_T_S;
    mesh.Translation.set(0.3f, -0.7f, 1.1f);
    mesh.Scale.set(1.1f, 0.9f, 1.3f);
    mesh.Rotation.set(33, 0.2f, 1, 0.4f);
    mesh.draw();

    // The same transforms on the stack give bit-identical world and window positions.
    ktPushMatrix();
    ktRotatef(33, 0.2f, 1, 0.4f);
    ktTranslatef(0.3f, -0.7f, 1.1f);
    ktScalef(1.1f, 0.9f, 1.3f);
    for (int v = 0; v < mesh.listLength; v++) {
        ktVec3f world, window;
        ktTransformToReal(mesh.vertexList[v], world);
        ktTransformRealToScreen(world, window);
        ASSERT_EQ(std::memcmp(&world, &mesh.absVertexList[v], sizeof world), 0) << v;
        ASSERT_EQ(std::memcmp(&window, &mesh.screenVertexList[v], sizeof window), 0) << v;
    }
    EXPECT_EQ(std::memcmp(&mesh.space, getCurrentMatrix(), sizeof(ktMatrix4f)), 0);
    ktPopMatrix();

    // With picking off the window positions stay as they were, the world positions do not.
    mesh.enablePicking = false;
    for (int v = 0; v < mesh.listLength; v++) {
        mesh.screenVertexList[v].set(-1, -2, -3);
        mesh.absVertexList[v].set(-4, -5, -6);
    }
    mesh.draw();
    for (int v = 0; v < mesh.listLength; v++) {
        ASSERT_EQ(mesh.screenVertexList[v].y, -2.0f);
        ASSERT_NE(mesh.absVertexList[v].y, -5.0f);
    }
}

}  // namespace
