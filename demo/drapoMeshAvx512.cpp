// The mesh pass over 16-lane groups, compiled for AVX-512F (called only where it runs).
#include "math/ktLanesAvx512.h"
#include "demo/drapoMeshKernel.h"

void drapoMeshAvx512(const drapoMeshJob& job) { drapoMeshLanes<ktFloat16>(job); }
