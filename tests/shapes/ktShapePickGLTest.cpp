// Picking after a real draw: the window positions come from ktShape::draw through a perspective
// camera, and the answer at each pixel is compared with what OpenGL actually rasterised there.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <vector>

#include "math/ktTransforms.h"
#include "shapes/ktNiceShapes.h"
#include "support/ktTestWindow.h"

namespace {

const int kSize = 200;

class PickAfterDraw : public testing::Test {
protected:
    void SetUp() override {
        ktTestOpenWindow();
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60, 1.0, 0.5, 50);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        glDrawBuffer(GL_BACK);
        glReadBuffer(GL_BACK);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        ktTransformsInit();
        ktMatrixHeight = 0;
        ktTransformsCaptureCamera();
    }

    // Which pixels of the viewport the draw coloured.
    std::vector<bool> coveredPixels() {
        std::vector<unsigned char> rgb(kSize * kSize * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::vector<bool> covered(kSize * kSize);
        for (int i = 0; i < kSize * kSize; i++) covered[i] = rgb[3 * i + 1] > 128;
        return covered;
    }

    // Compares pointInside at every pixel centre with the rasterised coverage, away from edges
    // (where rasterisation rules and the pick's edge rule may differ by a pixel). Returns how many
    // covered pixels were compared.
    int expectPickMatchesPixels(ktShape& shape) {
        std::vector<bool> covered = coveredPixels();
        int compared = 0;
        for (int y = 1; y < kSize - 1; y++) {
            for (int x = 1; x < kSize - 1; x++) {
                bool value = covered[y * kSize + x];
                bool uniform = true;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) uniform &= covered[(y + dy) * kSize + x + dx] == value;
                if (!uniform) continue;
                EXPECT_EQ(shape.pointInside(x + 0.5f, y + 0.5f), value) << "pixel " << x << ", " << y;
                if (value) compared++;
            }
        }
        return compared;
    }
};

TEST_F(PickAfterDraw, TiltedMeshPicksWhereItIsRasterised) {
    ktMeshShape mesh(6, 5);
    for (int i = 0; i < 6; i++)
        for (int j = 0; j < 5; j++) mesh.setMeshVertexColor(i, j, 0, 1, 0, 1);
    mesh.Translation.set(-1.5f, -1.0f, -8.0f);
    mesh.Rotation.set(35, 0.3f, 1, 0.2f);
    mesh.Scale.set(0.7f, 0.6f, 1.0f);
    mesh.draw();
    EXPECT_GT(expectPickMatchesPixels(mesh), 500);
    // Every vertex lies in the viewport; one lies far from its corner.
    EXPECT_TRUE(mesh.shapeInRect(0, 0, kSize, kSize, false));
    EXPECT_FALSE(mesh.shapeInRect(0, 0, 5, 5, true));
}

TEST_F(PickAfterDraw, ConvexPolygonPicksWhereItIsRasterised) {
    // A convex pentagon drawn as a polygon: the fan around its first vertex covers it exactly.
    ktShape pentagon(false, false, false);
    const float corners[5][2] = {{-2, -1.5f}, {1.5f, -2}, {2.5f, 0.5f}, {0, 2.5f}, {-2.5f, 1}};
    for (const auto& c : corners) pentagon.addPoint(c[0], c[1], 0);
    pentagon.drawStyle = GL_POLYGON;
    pentagon.Color.set(0, 1, 0, 1);
    pentagon.Translation.set(0.3f, 0, -7);
    pentagon.draw();
    EXPECT_GT(expectPickMatchesPixels(pentagon), 1000);
}

TEST_F(PickAfterDraw, TriangleCrossingTheNearPlaneIsNeverPicked) {
    ktShape triangle(false, false, false);
    triangle.addPoint(-1, -1, -3);
    triangle.addPoint(1, -1, -3);
    triangle.addPoint(0, 1, 0.2f);  // in front of the camera's near plane
    triangle.drawStyle = GL_TRIANGLES;
    triangle.draw();
    EXPECT_LT(triangle.screenVertexList[2].z, 0.0f);
    for (float x = 0; x < kSize; x += 10)
        for (float y = 0; y < kSize; y += 10) EXPECT_FALSE(triangle.pointInside(x, y)) << x << ", " << y;
}

}  // namespace
