// The simulation step: springs, contact and pinning, the stage calls and the fall of the sheet.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "demo/drapoStep.h"
#include "support/ktTestCloth.h"

namespace {

const int centre = 5050;  // column 50, row 50: an interior knob at (1, 1)

// The step's behaviour on the application's own type, which takes the fast path, and on a derived
// class, which takes the straightforward one.
template <class T>
class DrapoStep : public testing::Test {};
using ClothTypes = testing::Types<drapoApp, TestCloth>;
TYPED_TEST_SUITE(DrapoStep, ClothTypes);

TYPED_TEST(DrapoStep, SheetFallsAsOneWithRestingSpringsThenPinsTheReliefInStep103) {
    auto app = makeCloth<TypeParam>();
    const struct {
        int step;
        float z;
    } figures[] = {{1, 5.99892f}, {100, 5.01720f}, {102, 4.99560f}};
    int done = 0;
    for (const auto& f : figures) {
        while (done < f.step) app->step(), done++;
        SCOPED_TRACE(f.step);
        const float z = app->thread[0].pos.z;
        EXPECT_NEAR(z, f.z, 1e-5f);
        // Every spring exactly at rest: no increment, the grid exactly where it started, one height.
        for (int k = 0; k < drapoKnobs; k++) {
            const clothknob& knob = app->thread[k];
            ASSERT_TRUE(app->k1[k].x == 0.0f && app->k1[k].y == 0.0f && app->k1[k].z == 0.0f) << k;
            ASSERT_EQ(knob.pos.x, static_cast<float>(k % 100 - 49)) << k;
            ASSERT_EQ(knob.pos.y, static_cast<float>(k / 100 - 49)) << k;
            ASSERT_EQ(knob.pos.z, z) << k;
            ASSERT_FALSE(knob.on_surf) << k;
        }
        if (f.step == 1) {
            EXPECT_NEAR(app->thread[0].vel.z, -0.009f, 1e-8f);
        }
    }
    app->step();  // 103: the contact pass meets the relief, not yet the floor
    int pinned = 0;
    for (int k = 0; k < drapoKnobs; k++) {
        const clothknob& knob = app->thread[k];
        const bool overRelief =
            app->surface(static_cast<float>(k % 100 - 49), static_cast<float>(k / 100 - 49)) == 5.0f;
        ASSERT_EQ(knob.on_surf, overRelief) << k;
        if (overRelief) {
            pinned++;
            ASSERT_EQ(knob.pos.z, 5.0f) << k;
            ASSERT_EQ(knob.vel.z, 0.0f) << k;
        } else {
            ASSERT_LT(knob.pos.z, 4.9956f) << k;
            ASSERT_GT(knob.pos.z, 4.0f) << k;
        }
    }
    EXPECT_EQ(pinned, 1313);
}

TYPED_TEST(DrapoStep, PinnedKnobsNeverMoveAndKeepTheirStages) {
    auto app = makeCloth<TypeParam>();
    for (int s = 0; s < 103; s++) app->step();
    auto before = makeCloth<TypeParam>();
    *before = *app;
    for (int s = 0; s < 100; s++) app->step();
    int pinned = 0, moved = 0;
    for (int k = 0; k < drapoKnobs; k++) {
        if (!before->thread[k].on_surf) {
            moved += app->thread[k].pos.z != before->thread[k].pos.z;
            continue;
        }
        pinned++;
        const ktVec3f a = app->thread[k].pos, b = before->thread[k].pos;
        ASSERT_TRUE(a.x == b.x && a.y == b.y && a.z == b.z) << k;
        ASSERT_TRUE(app->thread[k].on_surf);
        for (auto stage : {&drapoApp::k1, &drapoApp::k2, &drapoApp::k3, &drapoApp::k4}) {
            ASSERT_EQ((app.get()->*stage)[k].x, (before.get()->*stage)[k].x) << k;
            ASSERT_EQ((app.get()->*stage)[k].z, (before.get()->*stage)[k].z) << k;
        }
    }
    EXPECT_EQ(pinned, 1313);
    EXPECT_GT(moved, 8000);  // the free knobs kept falling and draping meanwhile
    for (int k = 0; k < drapoKnobs; k++) {
        ASSERT_GE(app->thread[k].pos.z, 4.0f - 0.2f) << k;
        ASSERT_TRUE(isFinite(app->thread[k].pos)) << k;
    }
}

TYPED_TEST(DrapoStep, ContactPinsOnlyKnobsStrictlyBelowTheTerrain) {
    // The whole sheet is put at one height, so no spring pulls; knob 5049 starts at (0, 1) over the
    // relief (height 5), knob 0 at (-49, -49) over the floor (height 4).
    const struct {
        float z;
        bool reliefPinned, floorPinned;
    } cases[] = {{5.00001f, false, false}, {5.0f, false, false},   {4.99999f, true, false},
                 {4.0f, true, false},      {3.99999f, true, true}, {-7.0f, true, true}};
    auto start = makeCloth<TypeParam>(), app = makeCloth<TypeParam>();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.z);
        *app = *start;
        for (clothknob& knob : app->thread) {
            knob.pos.z = c.z;
            knob.vel.set(0.25f, -0.5f, -1.0f);
        }
        app->step();
        const struct {
            int index;
            bool pinned;
            float terrain;
        } knobs[] = {{5049, c.reliefPinned, 5.0f}, {0, c.floorPinned, 4.0f}};
        for (const auto& k : knobs) {
            const clothknob& knob = app->thread[k.index];
            EXPECT_EQ(knob.on_surf, k.pinned) << k.index;
            if (k.pinned) {
                EXPECT_EQ(knob.pos.z, k.terrain);
                EXPECT_EQ(knob.vel.z, 0.0f);
                EXPECT_EQ(knob.vel.x, 0.25f);  // kept, though never used again
            } else {
                EXPECT_LT(knob.pos.z, c.z);
            }
        }
    }
}

// Records every rungef call; the step must reach it through the virtual slot.
class RecordingCloth final : public drapoApp {
public:
    struct Call {
        int knob;
        const ktVec3f* store;
        ktVec3f ref;
    };
    std::vector<Call> calls;
    void rungef(clothknob* P, ktVec3f& vstore, ktVec3f ref, int knob) override {
        calls.push_back({knob, &vstore, ref});
        drapoApp::rungef(P, vstore, ref, knob);
    }
};

TEST(DrapoDynamics, FourEqualStagesPerFreeKnobThroughTheVirtualSlot) {
    std::unique_ptr<RecordingCloth> app(new RecordingCloth);
    app->calls.reserve(4 * drapoKnobs);
    app->thread[3].on_surf = true;
    app->thread[centre].pos.x += 0.5f;  // stretch two springs so the increments are not zero
    const ktVec3f vel0 = app->thread[centre].vel;
    app->step();

    ASSERT_EQ(app->calls.size(), 4u * (drapoKnobs - 1));
    for (size_t c = 0; c < app->calls.size(); c += 4) {
        const int k = app->calls[c].knob;
        ASSERT_NE(k, 3);
        if (c > 0) {
            ASSERT_EQ(k, app->calls[c - 1].knob + (k == 4 ? 2 : 1));
        }
        const ktVec3f* stores[] = {&app->k1[k], &app->k2[k], &app->k3[k], &app->k4[k]};
        const ktVec3f refs[] = {app->zero, app->k1[k] / 2.0f, app->k2[k] / 2.0f, app->k3[k]};
        for (int s = 0; s < 4; s++) {
            const auto& call = app->calls[c + s];
            ASSERT_EQ(call.knob, k);
            ASSERT_EQ(call.store, stores[s]);
            ASSERT_TRUE(call.ref.x == refs[s].x && call.ref.y == refs[s].y && call.ref.z == refs[s].z) << k;
        }
        for (const ktVec3f* v : {&app->k2[k], &app->k3[k], &app->k4[k]})
            ASSERT_TRUE(v->x == app->k1[k].x && v->y == app->k1[k].y && v->z == app->k1[k].z) << k;
    }
    // The shifted knob: its left spring (1.5 long) pulls and its right one (0.5 long) pushes, both
    // towards -x by 0.5; the row springs (sqrt(1.25) long) add their x components.
    const ktVec3f k1 = app->k1[centre];
    const double rowPart = 0.5 - 0.5 / std::sqrt(1.25);
    EXPECT_NEAR(k1.x, 3.6 * (-1.0 - 2.0 * rowPart), 1e-5);
    EXPECT_NEAR(k1.y, 0.0f, 1e-6f);
    const ktVec3f expected = (vel0 + k1 + app->enviro) * 0.9f;
    EXPECT_NEAR(app->thread[centre].vel.x, expected.x, 1e-5f);
    EXPECT_NEAR(app->thread[centre].vel.z, expected.z, 1e-6f);
}

ktVec3f increment(drapoApp& app, int knob) {
    ktVec3f v(99.0f, 99.0f, 99.0f);
    app.rungef(app.thread, v, app.zero, knob);
    return v;
}

TEST(DrapoDynamics, SpringIncrementPullsStretchedAndPushesCompressedNeighbours) {
    // One neighbour moved along the axis that joins it to the knob; the others stay at rest.
    const struct {
        int knob, neighbour;
        float dx, dy;  // neighbour's displacement
        ktVec3f expected;
    } cases[] = {
        {centre, centre + 1, 1.0f, 0.0f, ktVec3f(3.6f, 0, 0)},      // right, 2.0 away: pulled
        {centre, centre - 1, -1.0f, 0.0f, ktVec3f(-3.6f, 0, 0)},    // left, 2.0 away
        {centre, centre - 100, 0.0f, -1.0f, ktVec3f(0, -3.6f, 0)},  // previous row
        {centre, centre + 100, 0.0f, 1.0f, ktVec3f(0, 3.6f, 0)},    // next row
        {centre, centre + 1, -0.5f, 0.0f, ktVec3f(-1.8f, 0, 0)},    // right, 0.5 away: pushed
        {centre, centre + 100, 0.0f, -0.5f, ktVec3f(0, -1.8f, 0)},  // next row, 0.5 away
        {0, 1, 1.0f, 0.0f, ktVec3f(3.6f, 0, 0)},                    // corner: right spring
        {0, 100, 0.0f, 1.0f, ktVec3f(0, 3.6f, 0)},                  // corner: next-row spring
        {99, 100, 5.0f, 5.0f, ktVec3f(0, 0, 0)},                    // 100 is not 99's neighbour
        {99, 98, -1.0f, 0.0f, ktVec3f(-3.6f, 0, 0)},
        {9999, 9899, 0.0f, -1.0f, ktVec3f(0, -3.6f, 0)},
        {9999, 0, 3.0f, 3.0f, ktVec3f(0, 0, 0)},  // no wrap-around
    };
    auto start = makeCloth(), app = makeCloth();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.knob << " <- " << c.neighbour);
        *app = *start;
        app->thread[c.neighbour].pos.x += c.dx;
        app->thread[c.neighbour].pos.y += c.dy;
        const ktVec3f v = increment(*app, c.knob);
        EXPECT_NEAR(v.x, c.expected.x, 1e-5f);
        EXPECT_NEAR(v.y, c.expected.y, 1e-5f);
        EXPECT_EQ(v.z, 0.0f);
    }
}

TEST(DrapoDynamics, RungefIgnoresKnobIndicesOutsideTheCloth) {
    auto app = makeCloth();
    for (int knob : {-1, drapoKnobs, -2147483647 - 1}) {
        ktVec3f v = increment(*app, knob);
        EXPECT_TRUE(v.x == 99.0f && v.y == 99.0f && v.z == 99.0f) << knob;
    }
    ktVec3f v(99.0f, 99.0f, 99.0f);
    app->rungef(nullptr, v, app->zero, 0);
    EXPECT_EQ(v.x, 99.0f);
}

TYPED_TEST(DrapoStep, CoincidentNeighboursExertNoForceAndNeverMakeNaN) {
    const struct {
        const char* name;
        int knob;
        ktVec3f place;  // where the knob is put
        ktVec3f expected;
    } cases[] = {
        // On top of its right neighbour (2, 1): that spring vanishes, the left one (0, 1) is 2 away.
        {"coincident", centre, ktVec3f(2.0f, 1.0f, 6.0f), ktVec3f(-3.6f, 0.0f, 0.0f)},
        // 1e-30 from its left neighbour (0, 1): the length underflows to 0 in float.
        {"underflow", centre, ktVec3f(1e-30f, 1.0f, 6.0f), ktVec3f(3.6f, 0.0f, 0.0f)},
    };
    auto start = makeCloth<TypeParam>(), app = makeCloth<TypeParam>();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        *app = *start;
        app->thread[c.knob].pos = c.place;
        // Its previous- and next-row neighbours follow, so only the two row springs matter.
        app->thread[c.knob - 100].pos.x = c.place.x;
        app->thread[c.knob + 100].pos.x = c.place.x;
        const ktVec3f v = increment(*app, c.knob);
        EXPECT_NEAR(v.x, c.expected.x, 1e-5f);
        EXPECT_EQ(v.y, 0.0f);
        EXPECT_EQ(v.z, 0.0f);
        for (int s = 0; s < 120; s++) app->step();
        for (int k = 0; k < drapoKnobs; k++)
            ASSERT_TRUE(isFinite(app->thread[k].pos) && isFinite(app->thread[k].vel)) << k;
    }
}

// Every value a step leaves behind, as bits; any NaN counts as one value, since which operand's
// payload a NaN result carries is the compiler's choice of operand order.
std::vector<uint32_t> stateBits(const drapoApp& app) {
    std::vector<uint32_t> bits;
    auto add = [&bits](float f) {
        uint32_t u = 0x7fc00000u;
        if (f == f) std::memcpy(&u, &f, sizeof u);
        bits.push_back(u);
    };
    auto addVec = [&add](const ktVec3f& v) { add(v.x), add(v.y), add(v.z); };
    for (int k = 0; k < drapoKnobs; k++) {
        const clothknob& knob = app.thread[k];
        addVec(knob.pos), addVec(knob.vel), bits.push_back(knob.on_surf);
        addVec(app.k1[k]), addVec(app.k2[k]), addVec(app.k3[k]), addVec(app.k4[k]);
    }
    for (const ktVec3f* v : {&app.del1, &app.del2, &app.del3, &app.del4, &app.force}) addVec(*v);
    for (float f : {app.dist1, app.dist2, app.dist3, app.dist4}) add(f);
    bits.push_back(static_cast<uint32_t>(app.i));
    return bits;
}

// The fast step on every instruction set this machine runs against the straightforward step, from
// a draping cloth that a caller changes between steps: knobs pinned in mid-air, moved, sent to
// NaN, infinity or near the float limit, a changed gravity, a non-finite scratch vector.
TEST(DrapoStepPaths, EveryPathMatchesTheStraightforwardStepOnMixedStates) {
    constexpr float inf = std::numeric_limits<float>::infinity(),
                    nan = std::numeric_limits<float>::quiet_NaN();
    auto start = makeCloth<drapoApp>();
    for (int s = 0; s < 150; s++) start->step();
    // One change before each step, applied alike to both cloths.
    const std::function<void(drapoApp&)> changes[] = {
        [](drapoApp& app) {
            app.thread[5050].on_surf = app.thread[5051].on_surf = app.thread[16].on_surf = true;
            app.thread[4242].pos.x += 0.3f;
            app.enviro.set(0.001f, 0.0f, -0.02f);
        },
        [](drapoApp& app) {
            app.del1.set(inf, 0.0f, 0.0f);  // carried on by knob 0, whose left spring is absent
            app.thread[0].on_surf = false;
        },
        [](drapoApp& app) {
            app.thread[8000].on_surf = false;  // released by a caller: free again
            app.thread[5049].pos.z = 4.5f;     // pinned on the relief, pushed below it
        },
        [](drapoApp& app) {
            app.thread[3000].pos.set(3e38f, -3e38f, 4.5f);
            app.thread[3001].pos.set(-3e38f, 3e38f, 4.5f);
        },
        [](drapoApp& app) {
            app.thread[7000].pos.x = nan;
            app.thread[99].pos.z = inf;
        },
        [](drapoApp& app) { app.thread[9999].vel.z = -inf; },
    };
    for (int p = ktSimdScalar; p <= ktSimdBest(); p++) {
        const ktSimdPath path = static_cast<ktSimdPath>(p);
        SCOPED_TRACE(ktSimdName(path));
        auto fast = makeCloth<drapoApp>();
        auto straight = makeCloth<TestCloth>();
        *fast = *start;
        static_cast<drapoApp&>(*straight) = *start;
        for (int round = 0; round < 6; round++) {
            changes[round](*fast);
            changes[round](*straight);
            drapoStepOn(*fast, path);
            straight->step();
            ASSERT_EQ(stateBits(*fast), stateBits(*straight)) << "step " << round + 1;
        }
    }
}

}  // namespace
