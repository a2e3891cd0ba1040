// One frame of the cloth in a real window and GL context: the model transform left in OpenGL's
// model-view matrix, one step per frame, the mesh drawn through its virtual slot, and green pixels
// in the frame buffer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "clothTestUtil.h"
#include "framework/ktu.h"
#include "math/ktTransforms.h"
#include "support/ktTestWindow.h"

namespace {

// Column-major 4x4 products in double, independent of the framework's matrix code.
struct Mat {
    double e[16];
};

Mat identity() {
    Mat r{};
    for (int k = 0; k < 4; k++) r.e[5 * k] = 1.0;
    return r;
}

Mat operator*(const Mat& a, const Mat& b) {
    Mat r{};
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++)
            for (int k = 0; k < 4; k++) r.e[4 * col + row] += a.e[4 * k + row] * b.e[4 * col + k];
    return r;
}

Mat translation(double x, double y, double z) {
    Mat r = identity();
    r.e[12] = x, r.e[13] = y, r.e[14] = z;
    return r;
}

Mat scaling(double s) {
    Mat r = identity();
    r.e[0] = r.e[5] = r.e[10] = s;
    return r;
}

// Rotation about the x (axis 0) or z (axis 2) axis, degrees, counter-clockwise seen from +axis.
Mat rotation(double degrees, int axis) {
    const double a = degrees * 3.14159265358979323846 / 180.0, c = std::cos(a), s = std::sin(a);
    Mat r = identity();
    const int p = axis == 0 ? 1 : 0, q = axis == 0 ? 2 : 1;
    r.e[5 * p] = c, r.e[4 * q + p] = -s, r.e[4 * p + q] = s, r.e[5 * q] = c;
    return r;
}

Mat modelView() {
    Mat r;
    glGetDoublev(GL_MODELVIEW_MATRIX, r.e);
    return r;
}

// A mesh that notes how it was drawn: proof that the frame calls draw through the shape's slot.
class WatchedMesh : public ktMeshShape {
public:
    const drapoApp* app = nullptr;
    int draws = 0;
    float spinAtDraw = -1.0f;
    float heightAtDraw = 0.0f;
    float vertexZAtDraw = 0.0f;
    Mat modelViewAtDraw{};
    WatchedMesh() : ktMeshShape(100, 100) {}
    void draw() override {
        draws++;
        spinAtDraw = app->j;
        heightAtDraw = app->thread[0].pos.z;
        vertexZAtDraw = vertexList[0].z;
        modelViewAtDraw = modelView();
        ktMeshShape::draw();
    }
};

TEST(DrapoFrame, PlacesSpinsStepsAndDrawsTheMeshOncePerFrame) {
    ktTestOpenWindow();
    auto app = makeCloth();
    WatchedMesh* mesh = new WatchedMesh;
    mesh->app = app.get();
    app->blanky = mesh;
    // Frames 1, 2 and 91: no spin, -4 degrees, a whole turn.
    const float spins[] = {0.0f, 1.0f, 90.0f};
    int frame = 0;
    for (float spin : spins) {
        SCOPED_TRACE(spin);
        app->j = spin;
        ktuOpenToviFrame();
        const Mat before = modelView();
        app->draw();
        const Mat after = modelView();
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        ktuCloseToviFrame();
        frame++;

        const Mat expected =
            before * translation(500, 350, 0) * rotation(-45, 0) * rotation(-4.0 * spin, 2) * scaling(50);
        for (int k = 0; k < 16; k++) {
            EXPECT_NEAR(after.e[k], expected.e[k], 1e-3) << k;
            EXPECT_EQ(mesh->modelViewAtDraw.e[k], after.e[k]) << k;
        }
        for (int k = 0; k < 4; k++) EXPECT_EQ(view[k], viewport[k]) << k;  // camera captured
        EXPECT_EQ(mesh->draws, frame);
        EXPECT_EQ(mesh->spinAtDraw, spin);  // the counter advances after drawing
        EXPECT_EQ(app->j, spin + 1.0f);
        EXPECT_EQ(mesh->heightAtDraw, app->thread[0].pos.z);
        EXPECT_EQ(app->i, drapoKnobs);
    }
    // One step per frame, and the mesh already showed the stepped cloth.
    EXPECT_NEAR(app->thread[0].pos.z, 6.0f - 0.12f * (0.009f + 0.0171f + 0.02439f), 1e-5f);
    EXPECT_LT(mesh->vertexZAtDraw, -5.99f);
    EXPECT_GT(mesh->vertexZAtDraw, -6.0f);
    app->blanky = nullptr;
}

// Needs the framework's view frame and the shape drawing: the sphere of radius 300 pixels around
// (500, 350) must cover a large green area of the frame.
TEST(DrapoFrame, ShowsAGreenClothInTheFrameBuffer) {
    ktTestOpenWindow();
    auto app = makeCloth();
    ktuOpenToviFrame();
    app->draw();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int w = viewport[2], h = viewport[3];
    ASSERT_GT(w, 0);
    ASSERT_GT(h, 0);
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    ktuCloseToviFrame();
    long green = 0;
    for (size_t p = 0; p < pixels.size(); p += 3) {
        green += pixels[p + 1] > 40 && pixels[p] < 20 && pixels[p + 2] < 20;
    }
    EXPECT_GT(green, 20000) << "of " << w << " x " << h;
}

}  // namespace
