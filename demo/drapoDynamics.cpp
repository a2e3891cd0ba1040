// The cloth's simulation step. Knobs have unit mass, so a spring force scaled by the step length
// is directly a velocity change. A step is three passes over all knobs, each finished before the
// next starts: contact (pin knobs that reached the terrain), stages (spring increments of the
// free knobs, all from the same positions) and update (velocity, damping, position).
//
// The arithmetic of a knob is written once in demo/drapoCloth.h. For an object of exactly type
// drapoApp (whose rungef and surface are known) the step runs the contact tests, the stage and the
// update passes over lanes of knobs on the instruction set chosen at run time
// (demo/drapoStepKernel.h) and skips work whose outcome is known: see stepExact.
#include <cstring>
#include <initializer_list>
#include <limits>
#include <typeinfo>

#include "demo/drapoCloth.h"
#include "demo/drapoStep.h"
#include "math/ktSimd.h"

#ifndef KT_SIMD_WIDE
#define KT_SIMD_WIDE 0
#endif

namespace {

// One neighbour: del = neighbour - here and its length, or, for a neighbour the grid does not
// have, del multiplied by 0 (as it was left by the previous call) and length 1.
inline void neighbour(bool present, const ktVec3f& there, const ktVec3f& here, ktVec3f& del, float& dist) {
    if (!present) {
        del *= 0.0f;
        dist = drapoRestLength;
    } else {
        del = there - here;
        dist = del.length();
    }
}

inline bool hasLeft(int k) { return k % drapoSide != 0; }
inline bool hasRight(int k) { return k % drapoSide != drapoSide - 1; }
inline bool hasPrevious(int k) { return k >= drapoSide; }
inline bool hasNext(int k) { return k < drapoKnobs - drapoSide; }

// The spring increment of knob i of P, leaving the per-side vectors, lengths and force in the
// given variables. Shared by rungef and the exact-type step, so both compute the same bits.
inline void springIncrement(const clothknob* P, int i, ktVec3f& del1, ktVec3f& del2, ktVec3f& del3,
                            ktVec3f& del4, float& dist1, float& dist2, float& dist3, float& dist4,
                            ktVec3f& force, ktVec3f& vstore) {
    const ktVec3f here = P[i].pos;
    neighbour(hasLeft(i), P[i - 1 < 0 ? 0 : i - 1].pos, here, del1, dist1);
    neighbour(hasRight(i), P[i + 1 >= drapoKnobs ? i : i + 1].pos, here, del2, dist2);
    neighbour(hasPrevious(i), P[i < drapoSide ? i : i - drapoSide].pos, here, del3, dist3);
    neighbour(hasNext(i), P[i >= drapoKnobs - drapoSide ? i : i + drapoSide].pos, here, del4, dist4);
    vstore.x = drapoSpringIncrement(drapoSpringTerm(del1.x, dist1), drapoSpringTerm(del2.x, dist2),
                                    drapoSpringTerm(del3.x, dist3), drapoSpringTerm(del4.x, dist4), force.x);
    vstore.y = drapoSpringIncrement(drapoSpringTerm(del1.y, dist1), drapoSpringTerm(del2.y, dist2),
                                    drapoSpringTerm(del3.y, dist3), drapoSpringTerm(del4.y, dist4), force.y);
    vstore.z = drapoSpringIncrement(drapoSpringTerm(del1.z, dist1), drapoSpringTerm(del2.z, dist2),
                                    drapoSpringTerm(del3.z, dist3), drapoSpringTerm(del4.z, dist4), force.z);
}

// Update of one free knob from its four stage increments and gravity.
inline void updateKnob(clothknob& knob, const ktVec3f& k1, const ktVec3f& k2, const ktVec3f& k3,
                       const ktVec3f& k4, const ktVec3f& enviro) {
    drapoUpdate(k1.x, k2.x, k3.x, k4.x, enviro.x, knob.vel.x, knob.pos.x);
    drapoUpdate(k1.y, k2.y, k3.y, k4.y, enviro.y, knob.vel.y, knob.pos.y);
    drapoUpdate(k1.z, k2.z, k3.z, k4.z, enviro.z, knob.vel.z, knob.pos.z);
}

// The exact-type step's work space, rebuilt from the object at every step: the positions, one
// array per coordinate, the free knobs, and the list of knobs to touch.
struct StepLanes {
    alignas(64) float px[drapoKnobs + 2 * drapoStepPad];
    alignas(64) float py[drapoKnobs + 2 * drapoStepPad];
    alignas(64) float pz[drapoKnobs + 2 * drapoStepPad];
    uint16_t freeMask[drapoKnobs / 16];
    alignas(64) float list[drapoKnobs + 16];
    alignas(64) float recheck[drapoKnobs + 16];
    alignas(64) float gathered[drapoKnobs + 16];
    alignas(64) float gatheredColumn[drapoKnobs + 16];
    // The terrain's height at each knob's last tested place, keyed by the place's bits. The relief
    // is a function of the place alone, so the memo serves every object. It starts at height
    // infinity, which only a knob at infinity reaches, and that one is not in contact anywhere.
    // (Written out, not left as zero pages: reading several of those at once was several times
    // slower on an AMD Zen 4.)
    alignas(64) float reliefX[drapoKnobs];
    alignas(64) float reliefY[drapoKnobs];
    alignas(64) float reliefHeight[drapoKnobs];
    StepLanes() {
        for (int k = 0; k < drapoKnobs; k++) {
            reliefX[k] = reliefY[k] = std::numeric_limits<float>::quiet_NaN();
            reliefHeight[k] = std::numeric_limits<float>::infinity();
        }
    }
};
StepLanes lanes;

inline bool isFree(const uint16_t* mask, int k) { return (mask[k >> 4] >> (k & 15)) & 1; }

inline bool finite(const ktVec3f& v) { return v.x - v.x == 0.0f && v.y - v.y == 0.0f && v.z - v.z == 0.0f; }

#if KT_SIMD_WIDE
#define DRAPO_DISPATCH(pass, path, job)                 \
    switch (path) {                                     \
        case ktSimdAvx512:                              \
            return drapo##pass##Avx512(job);            \
        case ktSimdAvx2:                                \
            return drapo##pass##Avx2(job);              \
        case ktSimdScalar:                              \
            return drapo##pass##Scalar(job);            \
        default:                                        \
            return drapo##pass##Sse2(job);              \
    }
#else
#define DRAPO_DISPATCH(pass, path, job)                 \
    switch (path) {                                     \
        case ktSimdScalar:                              \
            return drapo##pass##Scalar(job);            \
        default:                                        \
            return drapo##pass##Sse2(job);              \
    }
#endif
int runTouches(ktSimdPath path, const drapoStepJob& job) { DRAPO_DISPATCH(Touches, path, job) }
int runPositions(ktSimdPath path, const drapoStepJob& job, bool& finite, int& rechecks) {
    switch (path) {
#if KT_SIMD_WIDE
        case ktSimdAvx512:
            return drapoPositionsAvx512(job, finite, rechecks);
        case ktSimdAvx2:
            return drapoPositionsAvx2(job, finite, rechecks);
#endif
        case ktSimdScalar:
            return drapoPositionsScalar(job, finite, rechecks);
        default:
            return drapoPositionsSse2(job, finite, rechecks);
    }
}
void runStages(ktSimdPath path, const drapoStepJob& job) { DRAPO_DISPATCH(Stages, path, job) }
void runUpdates(ktSimdPath path, const drapoStepJob& job) { DRAPO_DISPATCH(Updates, path, job) }
#undef DRAPO_DISPATCH

// The same step for an object of exactly type drapoApp, where rungef is this file's own and surface
// the relief of demo/drapoRelief.h. What it skips cannot change a result:
// - a knob at or above 5, the terrain's top, is not in contact, nor one at or above the floor (4)
//   outside the relief's band of x; nor is one that lies, bit for bit, where it was last tested
//   and not below the height found there: that holds for every pinned knob (its x and y never
//   change after pinning) unless a caller moved it;
// - the four stage increments of a knob are the same function of the same positions, so the
//   increment is computed once and stored four times;
// - the passes run over lanes of knobs on the chosen instruction set; the scratch members are then
//   set by the last free knob's call, as the straightforward pass leaves them, and i ends at
//   drapoKnobs. A spring between knobs whose difference is not finite, or a scratch vector that is
//   not, would carry NaN on through the absent sides' vectors: such a stage pass runs one knob at
//   a time, carrying the scratch members along as the straightforward pass does.
// Nothing else is kept from one step to the next: the lanes are rebuilt from the knobs every time.
void stepExact(drapoApp& app, ktSimdPath path) {
    StepLanes& s = lanes;
    drapoStepJob lanesJob{};
    lanesJob.app = &app;
    lanesJob.px = s.px + drapoStepPad, lanesJob.py = s.py + drapoStepPad, lanesJob.pz = s.pz + drapoStepPad;
    lanesJob.freeMask = s.freeMask;
    lanesJob.list = s.list;
    lanesJob.reliefX = s.reliefX, lanesJob.reliefY = s.reliefY, lanesJob.reliefHeight = s.reliefHeight;
    lanesJob.recheck = s.recheck;
    lanesJob.gathered = s.gathered, lanesJob.gatheredColumn = s.gatheredColumn;
    const drapoStepJob& job = lanesJob;
    // Contact: the listed knobs are tested in lanes; those that were lifted and pinned leave the free
    // knobs and their new heights replace the copied ones. A coordinate the probe found not finite (a knob
    // at -inf, say) stays counted even if its knob was lifted: that only sends the stage pass to
    // the one-knob-at-a-time form, which is right for any state. Pinned knobs found away from their
    // remembered place are tested the same way, and all of them remembered, so that they are tested
    // once and not at every step.
    bool finiteDifferences = false;
    int rechecks = 0;
    const int below = runPositions(path, job, finiteDifferences, rechecks);
    for (float* list : {s.list, s.recheck}) {
        const int count = list == s.list ? below : rechecks;
        if (count == 0) continue;
        for (int n = count; n < count + 16; n++) list[n] = list[count - 1];
        drapoStepJob touches = job;
        touches.list = list;
        touches.count = count;
        touches.remember = list == s.recheck;
        const int lifted = runTouches(path, touches);
        for (int n = 0; n < lifted; n++) {
            const int k = static_cast<int>(list[n]);
            job.pz[k] = app.thread[k].pos.z;
            s.freeMask[k >> 4] &= static_cast<uint16_t>(~(1 << (k & 15)));
        }
    }
    app.i = drapoKnobs;
    int lastFree = -1;
    for (int g = drapoKnobs / 16 - 1; g >= 0 && lastFree < 0; g--)
        if (s.freeMask[g] != 0) lastFree = 16 * g + 31 - __builtin_clz(static_cast<unsigned>(s.freeMask[g]));
    if (lastFree < 0) return;

    if (finiteDifferences && finite(app.del1) && finite(app.del2) && finite(app.del3) && finite(app.del4)) {
        // The scratch members as the last call leaves them, from the positions before the stages
        // move any knob: an absent side's vector is the last present one of that side (or the
        // members' own) times 0.
        ktVec3f del[4] = {app.del1, app.del2, app.del3, app.del4};
        bool (*const present[4])(int) = {hasLeft, hasRight, hasPrevious, hasNext};
        const int offsets[4] = {-1, 1, -drapoSide, drapoSide};
        for (int side = 0; side < 4; side++) {
            for (int k = lastFree; k >= 0; k--) {
                if (isFree(s.freeMask, k) && present[side](k)) {
                    del[side] = app.thread[k + offsets[side]].pos - app.thread[k].pos;
                    break;
                }
            }
        }
        ktVec3f increment;
        springIncrement(app.thread, lastFree, del[0], del[1], del[2], del[3], app.dist1, app.dist2, app.dist3,
                        app.dist4, app.force, increment);
        app.del1 = del[0];
        app.del2 = del[1];
        app.del3 = del[2];
        app.del4 = del[3];
        runStages(path, job);
        if (!drapoStagesMoveOn(path)) runUpdates(path, job);
    } else {
        for (int k = 0; k <= lastFree; k++) {
            if (!isFree(s.freeMask, k)) continue;
            ktVec3f increment;
            springIncrement(app.thread, k, app.del1, app.del2, app.del3, app.del4, app.dist1, app.dist2,
                            app.dist3, app.dist4, app.force, increment);
            app.k1[k] = increment;
            app.k2[k] = increment;
            app.k3[k] = increment;
            app.k4[k] = increment;
        }
        runUpdates(path, job);
    }
}

}  // namespace

void drapoStepOn(drapoApp& app, ktSimdPath path) {
    const ktSimdPath best = ktSimdBest();
    stepExact(app, path < best ? path : best);
}

void drapoApp::rungef(clothknob* P, ktVec3f& vstore, ktVec3f ref, int i) {
    (void)ref;  // the increment depends on the positions alone
    if (P == nullptr || i < 0 || i >= drapoKnobs) return;
    springIncrement(P, i, del1, del2, del3, del4, dist1, dist2, dist3, dist4, force, vstore);
}

void drapoApp::step() {
    if (typeid(*this) == typeid(drapoApp)) {
        stepExact(*this, ktSimdPathInUse());
        return;
    }

    // A derived class may override rungef and surface: every call goes through the virtual slot,
    // in the order and number below, with the member i as the counter.

    // Contact: a knob strictly below the terrain is lifted onto it and pinned for good. A pinned
    // knob sits exactly at its terrain height, so it is never lifted again.
    for (i = 0; i < drapoKnobs; i++) {
        clothknob& knob = thread[i];
        const float height = surface(knob.pos.x, knob.pos.y);
        if (height > knob.pos.z) {
            knob.pos.z = surface(knob.pos.x, knob.pos.y);
            knob.on_surf = true;
            knob.vel.z = 0.0f;
        }
    }

    // Stages: four increments per free knob, the offsets of a fourth-order scheme handed along.
    // Positions do not change within the pass, so the four increments come out equal.
    for (i = 0; i < drapoKnobs; i++) {
        if (thread[i].on_surf) continue;
        rungef(thread, k1[i], zero, i);
        rungef(thread, k2[i], k1[i] / drapoOffsetDivisor, i);
        rungef(thread, k3[i], k2[i] / drapoOffsetDivisor, i);
        rungef(thread, k4[i], k3[i], i);
    }

    // Update: weighted stage sum plus gravity as the velocity change, damping by 0.9, then the
    // position moves with the new velocity over the step length 0.12.
    for (i = 0; i < drapoKnobs; i++) {
        clothknob& knob = thread[i];
        if (knob.on_surf) continue;
        updateKnob(knob, k1[i], k2[i], k3[i], k4[i], enviro);
    }
}

