// The exact-type step's passes over 8-lane groups, compiled for AVX2 (called only where it runs).
#include "math/ktLanesAvx2.h"
#include "demo/drapoStepKernel.h"

bool drapoStagesAvx2(const drapoStepJob& job) { return drapoStageLanes<ktFloat8>(job); }
void drapoUpdatesAvx2(const drapoStepJob& job) { drapoUpdateLanes<ktFloat8>(job); }
