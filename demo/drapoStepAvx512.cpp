// The exact-type step's passes over 16-lane groups, compiled for AVX-512F (called only where it
// runs).
#include "math/ktLanesAvx512.h"
#include "demo/drapoStepKernel.h"

DRAPO_STEP_ENTRIES(Avx512, ktFloat16)
