// The exact-type step's passes over 4-lane groups (SSE2, or the plain 4-lane type), and over single
// knobs for the scalar path.
#include "demo/drapoStepKernel.h"

bool drapoStagesScalar(const drapoStepJob& job) { return drapoStageLanes<float>(job); }
void drapoUpdatesScalar(const drapoStepJob& job) { drapoUpdateLanes<float>(job); }
bool drapoStagesSse2(const drapoStepJob& job) { return drapoStageLanes<ktFloat4>(job); }
void drapoUpdatesSse2(const drapoStepJob& job) { drapoUpdateLanes<ktFloat4>(job); }
