// The mesh pass over 8-lane groups, compiled for AVX2 (called only where it runs), with quick sines
// and cosines where they provably give the library's vertices. The order of the includes matters:
// the kernel's group code takes the quick pairs of the operations declared before it.
// clang-format off
#include "math/ktLanesAvx2.h"
#include "demo/drapoQuickOpsAvx2.h"
#include "demo/drapoMeshKernel.h"
// clang-format on

void drapoMeshAvx2(const drapoMeshJob& job) { drapoMeshLanes<ktFloat8>(job); }

void drapoQuickPairsAvx2(const float* angles, int count, double* sines, double* cosines) {
    drapoQuickPairsFor<ktFloat8>(angles, count, sines, cosines);
}
