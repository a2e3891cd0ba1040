// Bit-exact guard of the cloth simulation: a 64-bit FNV-1a hash over the bit patterns of every
// knob (position, velocity, pin flag), the stage increments of the free knobs and the scratch
// members that the step leaves behind, after 300 and 3000 steps from the start. The constants were
// recorded from the straightforward three-pass step; any change in rounding, operation order or
// pinning changes them. A class derived from drapoApp that overrides rungef and surface must reach
// the same state and see every call of the straightforward step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "demo/drapoApp.h"
#include "support/ktTestCloth.h"

namespace {

uint64_t clothHash(const drapoApp& app) {
    DrapoHash h;
    for (int k = 0; k < drapoKnobs; k++) {
        const clothknob& knob = app.thread[k];
        h.add(knob.pos);
        h.add(knob.vel);
        h.add(static_cast<uint32_t>(knob.on_surf ? 1 : 0));
        if (!knob.on_surf)
            for (const ktVec3f* stage : {app.k1, app.k2, app.k3, app.k4}) h.add(stage[k]);
    }
    for (const ktVec3f* v : {&app.del1, &app.del2, &app.del3, &app.del4, &app.force}) h.add(*v);
    for (float d : {app.dist1, app.dist2, app.dist3, app.dist4}) h.add(d);
    h.add(static_cast<uint32_t>(app.i));
    return h.value;
}

// Overrides both hooks with the base behaviour and counts the calls the step makes.
class CountingCloth final : public drapoApp {
public:
    long rungefCalls = 0;
    long surfaceCalls = 0;
    void rungef(clothknob* P, ktVec3f& vstore, ktVec3f ref, int k) override {
        rungefCalls++;
        drapoApp::rungef(P, vstore, ref, k);
    }
    float surface(float x, float y) override {
        surfaceCalls++;
        return drapoApp::surface(x, y);
    }
};

// A derived class that inherits both hooks unchanged.
class PlainDerivedCloth final : public drapoApp {};

struct Checkpoint {
    int steps;
    uint64_t hash;
};
const Checkpoint checkpoints[] = {
    {300, 0x54219d1d3fc58503ull},
    {3000, 0xfe65527a9927d1d2ull},
};

TEST(DrapoHash, StepIsBitExactAfter300And3000Steps) {
    std::unique_ptr<drapoApp> app(new drapoApp);
    std::unique_ptr<PlainDerivedCloth> derived(new PlainDerivedCloth);
    int done = 0;
    for (const Checkpoint& c : checkpoints) {
        for (; done < c.steps; done++) {
            app->step();
            derived->step();
        }
        EXPECT_EQ(clothHash(*app), c.hash) << c.steps << " steps: 0x" << std::hex << clothHash(*app);
        EXPECT_EQ(clothHash(*derived), c.hash) << c.steps << " steps, derived class";
    }
}

// Every step: four rungef calls per knob free after the contact pass, one surface call per knob
// plus one more per contact. Checked over the first 400 steps, which include the step that pins
// the whole relief at once and the arrival on the floor.
TEST(DrapoHash, OverriddenHooksSeeEveryCall) {
    std::unique_ptr<CountingCloth> app(new CountingCloth);
    std::unique_ptr<drapoApp> plain(new drapoApp);
    int pinned = 0;
    long totalContacts = 0;
    for (int s = 0; s < 400; s++) {
        app->rungefCalls = 0;
        app->surfaceCalls = 0;
        app->step();
        plain->step();
        int nowPinned = 0;
        for (const clothknob& knob : app->thread) nowPinned += knob.on_surf;
        const int contacts = nowPinned - pinned;
        totalContacts += contacts;
        ASSERT_EQ(app->surfaceCalls, drapoKnobs + contacts) << "step " << s + 1;
        ASSERT_EQ(app->rungefCalls, 4L * (drapoKnobs - nowPinned)) << "step " << s + 1;
        pinned = nowPinned;
    }
    EXPECT_GT(totalContacts, 1313);
    EXPECT_LT(pinned, drapoKnobs);
    EXPECT_EQ(clothHash(*app), clothHash(*plain));
}

// The terrain straight from its stroke table: all fifteen tests in order, no early rejection.
float referenceSurface(float x, float y) {
    const float xs = x + 20.0f;
    const float shifted = y + 50.0f;
    const float ys = 100.0f - shifted;
    const double yd = ys;
    const float a = static_cast<float>(yd + 2.5), b = static_cast<float>(52.5 - yd);
    const float c = static_cast<float>(72.5 - yd), d = static_cast<float>(yd + 7.5);
    const double s1 = (yd - 17.5) * 0.8, s2 = (yd - 32.5) * 0.8;
    const float tests[15][5] = {
        {a, 10, 45, 25, 50}, {a, 15, 25, 20, 45}, {a, 10, 20, 20, 25}, {b, 10, 45, 25, 50},
        {b, 15, 25, 20, 45}, {b, 10, 20, 20, 25},
        {a, 20, static_cast<float>(20.0 + s1), 27.5f, static_cast<float>(28.0 + s1)},
        {a, 27.5f, static_cast<float>(20.0 - s2), 35, static_cast<float>(28.0 - s2)},
        {c, 10, 20, 15, 50}, {c, 15, 45, 25, 50}, {c, 15, 32.5f, 22.5f, 37.5f}, {c, 15, 20, 25, 25},
        {d, 75, 20, 80, 50}, {d, 95, 20, 100, 50}, {d, 80, 32.5f, 95, 37.5f}};
    for (const auto& t : tests)
        if (rect(xs, t[0], t[1], t[2], t[3], t[4]) != 0.0f) return 5.0f;
    return 4.0f;
}

// The terrain's early rejections change no height: a dense grid that hits every axis-parallel
// bound, points one float step either side of the sheared bounds, pseudo-random points, and
// non-finite input.
TEST(DrapoHash, TerrainMatchesItsStrokeTable) {
    std::unique_ptr<drapoApp> app(new drapoApp);
    long checked = 0, relief = 0;
    auto check = [&](float x, float y) {
        const float want = referenceSurface(x, y);
        const float got = app->surface(x, y);
        checked++;
        relief += want == 5.0f;
        if (got != want) ADD_FAILURE() << "surface(" << x << ", " << y << ") = " << got << ", want " << want;
    };
    for (float y = -60.0f; y <= 60.0f; y += 0.125f)
        for (float x = -60.0f; x <= 60.0f; x += 0.25f) check(x, y);
    for (float y = 7.0f; y <= 43.0f; y += 0.01f) {
        const double yd = static_cast<float>(100.0f - (y + 50.0f));
        for (double bound : {20.0 + (yd - 17.5) * 0.8, 28.0 + (yd - 17.5) * 0.8, 20.0 - (yd - 32.5) * 0.8,
                             28.0 - (yd - 32.5) * 0.8}) {
            const float xb = static_cast<float>(bound) - 20.0f;
            for (float x : {std::nextafter(xb, -100.0f), xb, std::nextafter(xb, 100.0f)}) check(x, y);
        }
    }
    uint32_t state = 12345u;
    auto next = [&state]() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f * 120.0f - 60.0f;
    };
    for (int k = 0; k < 100000; k++) {
        const float x = next();
        check(x, next());
    }
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (float x : {nan, inf, -inf, 10.0f})
        for (float y : {nan, inf, -inf, 0.0f}) check(x, y);
    EXPECT_GT(relief, checked / 20);
}

}  // namespace
