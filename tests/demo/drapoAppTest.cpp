// Construction of the cloth application: the starting grid, the zeroed integrator state, the mesh
// and the module's exported symbols.
#include <gtest/gtest.h>

#include <cstring>

#include "math/ktTransforms.h"
#include "support/ktTestCloth.h"

namespace {

TEST(DrapoApp, StartsAsAFlatSheetAtRestAtHeightSix) {
    auto app = makeCloth();
    const struct {
        int knob;
        float x, y;
    } corners[] = {{0, -49, -49}, {99, 50, -49}, {9900, -49, 50}, {9999, 50, 50}, {5049, 0, 1}};
    for (const auto& c : corners) {
        SCOPED_TRACE(c.knob);
        expectVecNear(app->thread[c.knob].pos, ktVec3f(c.x, c.y, 6.0f));
    }
    for (int k = 0; k < drapoKnobs; k++) {
        const clothknob& knob = app->thread[k];
        ASSERT_FALSE(knob.on_surf) << k;
        ASSERT_TRUE(knob.vel.x == 0.0f && knob.vel.y == 0.0f && knob.vel.z == 0.0f) << k;
        // Neighbours exactly one rest length apart, so the first step has no spring force.
        if (k % drapoSide != drapoSide - 1) {
            ASSERT_EQ(app->thread[k + 1].pos.x - knob.pos.x, 1.0f) << k;
        }
        if (k + drapoSide < drapoKnobs) {
            ASSERT_EQ(app->thread[k + drapoSide].pos.y - knob.pos.y, 1.0f) << k;
        }
        for (const ktVec3f* stage : {app->k1, app->k2, app->k3, app->k4})
            ASSERT_TRUE(stage[k].x == 0.0f && stage[k].y == 0.0f && stage[k].z == 0.0f) << k;
    }
    for (const ktVec3f* v : {&app->del1, &app->del2, &app->del3, &app->del4, &app->force, &app->zero})
        expectVecNear(*v, ktVec3f(0.0f, 0.0f, 0.0f));
    expectVecNear(app->enviro, ktVec3f(0.0f, 0.0f, -0.01f));
    EXPECT_EQ(app->j, 0.0f);
    EXPECT_EQ(app->i, drapoKnobs);
}

TEST(DrapoApp, MakesAHundredByHundredMeshAndResetsTheTransformStack) {
    ktMatrixStack[ktMatrixHeight].m[0][3] = 42.0f;
    auto app = makeCloth();
    ASSERT_NE(app->blanky, nullptr);
    EXPECT_EQ(app->blanky->N, 100);
    EXPECT_EQ(app->blanky->M, 100);
    EXPECT_EQ(app->blanky->listLength, drapoKnobs);
    EXPECT_TRUE(app->blanky->enableVertexColors);
    ktVec3f p(1.0f, 2.0f, 3.0f), q;
    ktTransformToReal(p, q);
    expectVecNear(q, ktVec3f(1.0f, 2.0f, 3.0f));
}

TEST(DrapoApp, ExportsTheFactoryAndTheTypeTag) {
    ktApp* app = makeApp();
    ASSERT_NE(app, nullptr);
    drapoApp* cloth = dynamic_cast<drapoApp*>(app);
    ASSERT_NE(cloth, nullptr);
    EXPECT_EQ(cloth->thread[0].pos.z, 6.0f);
    EXPECT_EQ(std::memcmp(my_type, "App", 4), 0);
    // Not deleted: like the program's object it lives until the process ends.
}

}  // namespace
