// The mesh pass over 4-lane groups (SSE2, or the plain 4-lane type), and over single knobs for the
// scalar path.
#include "demo/drapoMeshKernel.h"

void drapoMeshScalar(const drapoMeshJob& job) { drapoMeshLanes<float>(job); }
void drapoMeshSse2(const drapoMeshJob& job) { drapoMeshLanes<ktFloat4>(job); }
