// The cloth's arithmetic, written once: the constants of the model and the formulas of one knob's
// spring increment and update, as templates over a value type L that is either float (one knob)
// or a lane type of math/ktLanes*.h (one knob per lane). A lane performs exactly the IEEE operation
// that float performs, in the same order, and the products formed in double go through double
// lanes, so every path gives every knob the bits of the straightforward scalar step.
// Internal linkage throughout, so that kernels compiled for a wider instruction set keep their own
// copies (see math/ktLanes.h).
#ifndef KT_DEMO_DRAPOCLOTH_H
#define KT_DEMO_DRAPOCLOTH_H

#include "math/ktFormulas.h"

namespace {

const float drapoStartHeight = 6.0f;   // every knob starts at this height
const float drapoGravity = -0.01f;     // velocity change per step along z (enviro)
const float drapoRestLength = 1.0f;    // spring rest length, and the length of an absent spring
const float drapoStiffness = 30.0f;    // spring force per unit of stretch
const double drapoForceStep = 0.12;    // step length applied to the force, in double
const float drapoOffsetDivisor = 2.0f; // the offsets handed to stages 2 and 3 are halved
const float drapoOuterWeight = 6.0f;   // divisor of the first and last stage increments
const float drapoInnerWeight = 3.0f;   // divisor of the two middle stage increments
const float drapoDamping = 0.9f;       // velocity kept per step
const float drapoMoveStep = 0.12f;     // step length applied to the velocity, in float
const float drapoTerrainTop = 5.0f;    // the relief's height: nothing of the terrain lies higher
const float drapoTerrainFloor = 4.0f;  // the floor's height: nothing of the terrain lies lower

/// One component of the spring towards a neighbour `del` away at distance `dist`:
/// del - del / dist = (dist - 1) * unit(del), a linear spring of rest length 1 that pulls when
/// stretched and pushes when compressed. Two knobs at one place (dist 0, or a length that
/// underflows to 0) have no direction between them: that spring gives 0 instead of 0 / 0 = NaN,
/// which would otherwise spread through the whole cloth within a few steps.
template <class L>
inline L drapoSpringTerm(L del, L dist) {
    return ktSelect(dist == L(0.0f), L(0.0f), del - del / dist);
}

/// One component of the velocity increment from the four spring terms (left, right, previous row,
/// next row): their sum, left to right, times the stiffness, then times the step length in double.
template <class L>
inline L drapoSpringIncrement(L t1, L t2, L t3, L t4, L& force) {
    using D = decltype(ktWiden(t1));
    force = (((t1 + t2) + t3) + t4) * L(drapoStiffness);
    return ktNarrow(ktWiden(force) * D(drapoForceStep));
}

/// One component of a free knob's update: the stage increments weighted 1/6, 1/3, 1/3, 1/6 (summed
/// in that order) plus gravity change the velocity, damping follows, and the position moves with
/// the new velocity. The four increments of a step are equal, so this is the spring increment plus
/// gravity, up to rounding; the weighting is kept because it decides the bits.
template <class L>
inline void drapoUpdate(L k1, L k2, L k3, L k4, L gravity, L& vel, L& pos) {
    const L d = (((k1 / L(drapoOuterWeight) + k2 / L(drapoInnerWeight)) + k3 / L(drapoInnerWeight)) +
                 k4 / L(drapoOuterWeight)) +
                gravity;
    vel = (vel + d) * L(drapoDamping);
    pos = pos + vel * L(drapoMoveStep);
}

}  // namespace

#endif
