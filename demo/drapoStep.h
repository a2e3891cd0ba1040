// The exact-type step's wide passes: what the dynamics hand a kernel, and the kernels per
// instruction set. The knobs are handed over one value per coordinate (index k at [k]), so that
// lane l of a group holds knob k + l; the position arrays have drapoStepPad readable entries
// before index 0 and after index drapoKnobs - 1, so that every neighbour load stays in bounds
// (the lanes that read them are absent neighbours and never use the values).
#ifndef KT_DEMO_DRAPOSTEP_H
#define KT_DEMO_DRAPOSTEP_H

#include "demo/drapoApp.h"

const int drapoStepPad = 128;

struct drapoStepJob {
    const float* px;                // positions after the contact pass (padded)
    const float* py;
    const float* pz;
    const unsigned char* freeKnob;  // 1 where the knob is free after the contact pass, else 0
    float* ix;                      // the spring increment of every free knob (out)
    float* iy;
    float* iz;
    float* vx;                      // velocities of the free knobs (in and out)
    float* vy;
    float* vz;
    float* nx;                      // new positions of the free knobs (out)
    float* ny;
    float* nz;
    ktVec3f* k1;                    // the stage arrays, written for the free knobs only
    ktVec3f* k2;
    ktVec3f* k3;
    ktVec3f* k4;
    float gx, gy, gz;               // gravity (enviro) of this step
};

// Stage pass: the increments into ix, iy, iz and k1 ... k4. Returns false when some spring joins
// knobs whose difference is not finite; the caller then redoes the pass one knob at a time,
// because the scratch vector of an absent spring carries that value on to later knobs.
bool drapoStagesScalar(const drapoStepJob& job);
bool drapoStagesSse2(const drapoStepJob& job);
bool drapoStagesAvx2(const drapoStepJob& job);
bool drapoStagesAvx512(const drapoStepJob& job);
// Update pass: new velocities into vx, vy, vz and new positions into nx, ny, nz.
void drapoUpdatesScalar(const drapoStepJob& job);
void drapoUpdatesSse2(const drapoStepJob& job);
void drapoUpdatesAvx2(const drapoStepJob& job);
void drapoUpdatesAvx512(const drapoStepJob& job);

#endif
