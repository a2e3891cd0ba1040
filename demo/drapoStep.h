// The exact-type step's wide passes: what the dynamics hand a kernel, and the kernels per
// instruction set. Lane l of a group holds knob k + l. The contact pass copies the positions into
// one array per coordinate (index k at [k]) with drapoStepPad readable entries before index 0 and
// after index drapoKnobs - 1, so that every neighbour load stays in bounds (the lanes that read
// them are absent neighbours and never use the values), and marks the free knobs in freeMask: bit
// l of entry g is knob 16 g + l.
#ifndef KT_DEMO_DRAPOSTEP_H
#define KT_DEMO_DRAPOSTEP_H

#include <cstdint>

#include "demo/drapoApp.h"
#include "math/ktSimd.h"

const int drapoStepPad = 128;

struct drapoStepJob {
    drapoApp* app;
    float* px;           // positions after the contact pass (padded); the update moves them
    float* py;
    float* pz;
    uint16_t* freeMask;  // free knobs after the contact pass
};

// Contact pass: pins the knobs that reached the terrain (through drapoTouch), fills px, py, pz and
// freeMask, and returns whether every coordinate is finite and at most half the float range, so
// that every difference between knobs is finite.
bool drapoContactsScalar(const drapoStepJob& job);
bool drapoContactsSse2(const drapoStepJob& job);
bool drapoContactsAvx2(const drapoStepJob& job);
bool drapoContactsAvx512(const drapoStepJob& job);
// Stage pass: the spring increment of every free knob into k1 ... k4. Only for finite differences
// and finite scratch vectors: an absent spring's term is then 0.
void drapoStagesScalar(const drapoStepJob& job);
void drapoStagesSse2(const drapoStepJob& job);
void drapoStagesAvx2(const drapoStepJob& job);
void drapoStagesAvx512(const drapoStepJob& job);
// Update pass: velocity and position of every free knob from k1 and enviro.
void drapoUpdatesScalar(const drapoStepJob& job);
void drapoUpdatesSse2(const drapoStepJob& job);
void drapoUpdatesAvx2(const drapoStepJob& job);
void drapoUpdatesAvx512(const drapoStepJob& job);

// The contact test of free knob k below the terrain's top, as the straightforward pass makes it.
void drapoTouch(drapoApp& app, int k);

// The exact-type step of `app` on `path` (capped at ktSimdBest()), whatever the object's type and
// the path in use: for the tests that compare every path with the straightforward step.
void drapoStepOn(drapoApp& app, ktSimdPath path);

#endif
