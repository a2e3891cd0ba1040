// One frame of the cloth in a real window and GL context: the model transform left in OpenGL's
// model-view matrix, one step per frame, the mesh drawn through its virtual slot, and green pixels
// in the frame buffer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/ktu.h"
#include "math/ktTransforms.h"
#include "support/ktTestCloth.h"
#include "support/ktTestMath.h"
#include "support/ktTestWindow.h"

namespace {

// The model transform: translate by (500, 350, 0), turn by `tilt` about x and `spin` about z
// (degrees, counter-clockwise seen from the positive axis), scale by 50.
Mat4d modelTransform(double tilt, double spin) {
    const double d = 3.14159265358979323846 / 180.0;
    const double ct = std::cos(tilt * d), st = std::sin(tilt * d), cs = std::cos(spin * d),
                 ss = std::sin(spin * d);
    const Mat4d translate = {{{1, 0, 0, 500}, {0, 1, 0, 350}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    const Mat4d tiltX = {{{1, 0, 0, 0}, {0, ct, -st, 0}, {0, st, ct, 0}, {0, 0, 0, 1}}};
    const Mat4d spinZ = {{{cs, -ss, 0, 0}, {ss, cs, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    const Mat4d scale = {{{50, 0, 0, 0}, {0, 50, 0, 0}, {0, 0, 50, 0}, {0, 0, 0, 1}}};
    return translate * tiltX * spinZ * scale;
}

Mat4d modelView() {
    double e[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, e);
    return Mat4d::fromColumnMajor(e);
}

// A mesh that notes how it was drawn: proof that the frame calls draw through the shape's slot.
class WatchedMesh : public ktMeshShape {
public:
    const drapoApp* app = nullptr;
    int draws = 0;
    float spinAtDraw = -1.0f;
    float heightAtDraw = 0.0f;
    float vertexZAtDraw = 0.0f;
    Mat4d modelViewAtDraw{};
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
        const Mat4d before = modelView();
        app->draw();
        const Mat4d after = modelView();
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        ktuCloseToviFrame();
        frame++;

        const Mat4d expected = before * modelTransform(-45, -4.0 * spin);
        for (int k = 0; k < 16; k++) {
            EXPECT_NEAR(after.m[k % 4][k / 4], expected.m[k % 4][k / 4], 1e-3) << k;
            EXPECT_EQ(mesh->modelViewAtDraw.m[k % 4][k / 4], after.m[k % 4][k / 4]) << k;
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

// Needs the framework's view frame and the shape drawing. The cloth starts as a sphere of radius
// 300 pixels around (500, 350); whatever part of the disc of radius 250 the window shows must be
// green (the seam and the pole opening are thin).
TEST(DrapoFrame, ShowsAGreenClothInTheFrameBuffer) {
    ktTestOpenWindow();
    auto app = makeCloth();
    ktuOpenToviFrame();
    app->draw();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int w = viewport[2], h = viewport[3];
    std::vector<unsigned char> pixels(static_cast<size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0) * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    ktuCloseToviFrame();
    long inDisc = 0, green = 0;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            if ((x - 500) * (x - 500) + (y - 350) * (y - 350) > 250 * 250) continue;
            const unsigned char* p = &pixels[3 * (static_cast<size_t>(y) * w + x)];
            inDisc++;
            green += p[1] > 40 && p[0] < 20 && p[2] < 20;
        }
    }
    ASSERT_GT(inDisc, 1000) << "window " << w << " x " << h;
    EXPECT_GT(green, inDisc * 9 / 10) << "of " << inDisc;
}

}  // namespace
