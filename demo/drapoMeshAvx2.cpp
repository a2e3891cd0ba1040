// The mesh pass over 8-lane groups, compiled for AVX2 (called only where it runs).
#include "math/ktLanesAvx2.h"
#include "demo/drapoMeshKernel.h"

void drapoMeshAvx2(const drapoMeshJob& job) { drapoMeshLanes<ktFloat8>(job); }
