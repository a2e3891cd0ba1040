// The mesh pass over 16-lane groups, compiled for AVX-512F (called only where it runs), with quick
// sines and cosines where they provably give the library's vertices. The order of the includes
// matters: the kernel's group code takes the quick pairs of the operations declared before it.
// clang-format off
#include "math/ktLanesAvx512.h"
#include "demo/drapoQuickOpsAvx512.h"
#include "demo/drapoMeshKernel.h"
// clang-format on

void drapoMeshAvx512(const drapoMeshJob& job) { drapoMeshLanes<ktFloat16>(job); }

void drapoQuickPairsAvx512(const float* angles, int count, double* sines, double* cosines) {
    drapoQuickPairsFor<ktFloat16>(angles, count, sines, cosines);
}
