// Bit-exact guard of a drawn cloth frame: a 64-bit FNV-1a hash over the mesh's own positions,
// colours, world positions, window positions, normals and face counts after a frame drawn in a real
// GL context. The window size is fixed here (the frame's projection and viewport follow it), so the
// window positions do not depend on the X server's screen. The constants were recorded from the
// straightforward mesh pass and draw.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "demo/drapoApp.h"
#include "support/ktTestCloth.h"
#include "framework/ktu.h"
#include "support/ktTestWindow.h"

namespace {

uint64_t meshHash(const ktShape& mesh) {
    DrapoHash h;
    const int count = mesh.listLength;
    h.addList(mesh.vertexList, count, 3);
    h.addList(mesh.colorList, count, 4);
    h.addList(mesh.absVertexList, count, 3);
    h.addList(mesh.screenVertexList, count, 3);
    h.addList(mesh.normalList, count, 3);
    for (int k = 0; k < count; k++) h.add(static_cast<uint32_t>(mesh.normalCountList[k]));
    return h.value;
}

void drawFrame(drapoApp& app) {
    ktuWindowWidth = 1280;
    ktuWindowHeight = 1024;
    glViewport(0, 0, 1280, 1024);
    ktuOpenToviFrame();
    app.draw();
    ktuCloseToviFrame();
}

// Frame 1 (no spin, the cloth one step down) and frame 2 drawn after 300 steps in all, spun by
// -4 degrees: the sheet is draped over the relief and still falling onto the floor.
TEST(DrapoHashFrame, DrawnMeshIsBitExact) {
    ktTestOpenWindow();
    std::unique_ptr<drapoApp> app(new drapoApp);
    drawFrame(*app);
    EXPECT_EQ(meshHash(*app->blanky), 0xb8a168a9096f0092ull) << "frame 1: 0x" << std::hex << meshHash(*app->blanky);
    for (int s = 1; s < 299; s++) app->step();
    drawFrame(*app);
    EXPECT_EQ(app->i, drapoKnobs);
    EXPECT_EQ(app->m, drapoSide - 1);
    EXPECT_EQ(app->n, drapoSide - 1);
    EXPECT_EQ(meshHash(*app->blanky), 0x82efcd3dd11d5462ull) << "step 300: 0x" << std::hex << meshHash(*app->blanky);
}

}  // namespace
