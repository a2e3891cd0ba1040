// The exact-type step's passes over 4-lane groups (SSE2, or the plain 4-lane type), and over single
// knobs for the scalar path.
#include "demo/drapoStepKernel.h"

DRAPO_STEP_ENTRIES(Scalar, float)
DRAPO_STEP_ENTRIES(Sse2, ktFloat4)
