// The exact-type step's passes over 16-lane groups, compiled for AVX-512F (called only where it
// runs).
#include "math/ktLanesAvx512.h"
#include "demo/drapoStepKernel.h"

bool drapoStagesAvx512(const drapoStepJob& job) { return drapoStageLanes<ktFloat16>(job); }
void drapoUpdatesAvx512(const drapoStepJob& job) { drapoUpdateLanes<ktFloat16>(job); }
