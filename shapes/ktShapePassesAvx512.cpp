// The shape passes' loops compiled for AVX-512F, instantiated from shapes/ktShapePassesKernel.h: a
// strip run's face normals sixteen faces a lane group. The loops that move packed vertices (world and
// window positions, the normals' final averaging) run eight points a group: on the machines measured
// (a 2-core AMD EPYC) two 8-lane moves beat the 16-lane transposes (8.5 against 12 us for the 100 x 100
// mesh's world positions). Only the entry points below have external linkage; everything they
// call is internal to this object, so no AVX-512F instruction reaches baseline code.
#include "math/ktLanesAvx2.h"
#include "math/ktLanesAvx512.h"
#include "shapes/ktShapePassesKernel.h"
#include "shapes/ktShapePassesWide.h"

int ktShapeWorldPositionsAvx512(const float (&m)[4][4], const ktVec3f* own, ktVec3f* world, int count) {
    return worldPositionGroups<ktFloat8>(m, own, world, 0, count);
}

int ktShapeWindowPositionsAvx512(const float (&camera)[4][4], const int (&viewport)[4], const ktVec3f* world,
                                 ktVec3f* window, int count) {
    return windowPositionGroups<ktFloat8>(camera, viewport, world, window, 0, count);
}

int ktShapeStripFacesAvx512(const float* px, const float* py, const float* pz, float* nx, float* ny,
                            float* nz, int faces) {
    return stripFaceGroups<ktFloat16>(StripRun{px, py, pz, nx, ny, nz}, 0, faces);
}

int ktShapeFinishNormalsAvx512(ktVec3f* normals, const int* counts, int count) {
    return finishNormalGroups<ktFloat8>(normals, counts, 0, count);
}
