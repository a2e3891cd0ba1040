// The exact-type step's passes over 8-lane groups, compiled for AVX2 (called only where it runs).
#include "math/ktLanesAvx2.h"
#include "demo/drapoStepKernel.h"

bool drapoContactsAvx2(const drapoStepJob& job) { return drapoContactLanes<ktFloat8>(job); }
void drapoStagesAvx2(const drapoStepJob& job) { drapoStageLanes<ktFloat8>(job); }
void drapoUpdatesAvx2(const drapoStepJob& job) { drapoUpdateLanes<ktFloat8>(job); }
