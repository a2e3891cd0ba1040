// The exact-type step's passes over 16-lane groups, compiled for AVX-512F (called only where it
// runs).
#include "math/ktLanesAvx512.h"
#include "demo/drapoStepKernel.h"

bool drapoContactsAvx512(const drapoStepJob& job) { return drapoContactLanes<ktFloat16>(job); }
void drapoStagesAvx512(const drapoStepJob& job) { drapoStageLanes<ktFloat16>(job); }
void drapoUpdatesAvx512(const drapoStepJob& job) { drapoUpdateLanes<ktFloat16>(job); }
