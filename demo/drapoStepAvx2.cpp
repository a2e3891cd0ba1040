// The exact-type step's passes over 8-lane groups, compiled for AVX2 (called only where it runs).
#include "math/ktLanesAvx2.h"
#include "demo/drapoStepKernel.h"

DRAPO_STEP_ENTRIES(Avx2, ktFloat8)
