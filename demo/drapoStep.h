// The exact-type step's wide passes: what the dynamics hand a kernel, and the kernels per
// instruction set. Lane l of a group holds knob k + l, except in the touch pass and the stages of
// gathered knobs. The positions pass copies the positions into one array per coordinate (index k at
// [k]); the arrays have drapoStepPad readable entries before index 0 and after index
// drapoKnobs - 1, so that every neighbour load stays in bounds (the lanes that read them are
// absent neighbours and never use the values). It marks the free knobs in freeMask (bit l of
// entry g is knob 16 g + l) and lists those below the terrain's top, which the touch pass then
// tests, gathering their positions.
#ifndef KT_DEMO_DRAPOSTEP_H
#define KT_DEMO_DRAPOSTEP_H

#include <cstdint>

#include "demo/drapoApp.h"
#include "math/ktSimd.h"

const int drapoStepPad = 128;

struct drapoStepJob {
    drapoApp* app;
    float* px;           // positions after the contact tests (padded)
    float* py;
    float* pz;
    uint16_t* freeMask;  // free knobs after the contact tests
    float* list;         // the knobs to touch, as floats, the last repeated up to a whole group
    int count;           // the number of knobs listed
    // The terrain height at the (reliefX, reliefY) last tested for each knob, keyed by their bits
    // (infinity until a knob is tested): a knob found there again at or above that height is not
    // in contact, pinned or not, whatever a caller did to it since.
    float* reliefX;
    float* reliefY;
    float* reliefHeight;
    float* recheck;  // pinned knobs to touch (none known at their place), as list
    float* gathered;        // room for the free knobs of sparse groups, as list
    float* gatheredColumn;  // and their columns
    bool remember;   // whether the touches remember every listed knob, or only the lifted ones
};

// Positions: fills px, py, pz, freeMask, the list (free knobs that may be in contact) and recheck
// (pinned ones, their number into rechecks), returns the number listed and sets `finite` to whether
// every coordinate is finite and at most half the float range, so that every difference between
// knobs is finite. Touches: the contact tests of the listed knobs, those it lifts (or all, with
// remember) remembered in reliefX ... reliefHeight; the knobs it lifted replace the front of the
// list, and it returns their number. Stages: the spring increment of every free knob into k1 ...
// k4, only for finite differences and finite scratch vectors (an absent spring's term is then 0);
// where drapoStagesMoveOn holds it also moves the knobs as Updates does, from the knob itself,
// after its increment came from the copied positions, so moving a knob does not change the
// increments of those after it. Updates: velocity and position of every free knob from k1 and
// enviro.
#define DRAPO_STEP_DECLARE(S)                                                    \
    int drapoPositions##S(const drapoStepJob& job, bool& finite, int& rechecks); \
    int drapoTouches##S(const drapoStepJob& job);                                \
    void drapoStages##S(const drapoStepJob& job);                                \
    void drapoUpdates##S(const drapoStepJob& job);
// Whether the stage pass on `path` moves the knobs itself (sixteen lanes).
inline bool drapoStagesMoveOn(ktSimdPath path) { return path == ktSimdAvx512; }
DRAPO_STEP_DECLARE(Scalar)
DRAPO_STEP_DECLARE(Sse2)
DRAPO_STEP_DECLARE(Avx2)
DRAPO_STEP_DECLARE(Avx512)
#undef DRAPO_STEP_DECLARE

// The exact-type step of `app` on `path` (capped at ktSimdBest()), whatever the object's type and
// the path in use: for the tests that compare every path with the straightforward step.
void drapoStepOn(drapoApp& app, ktSimdPath path);

#endif
