// The exact-type step's passes over 4-lane groups (SSE2, or the plain 4-lane type), and over single
// knobs for the scalar path.
#include "demo/drapoStepKernel.h"

bool drapoContactsScalar(const drapoStepJob& job) { return drapoContactLanes<float>(job); }
void drapoStagesScalar(const drapoStepJob& job) { drapoStageLanes<float>(job); }
void drapoUpdatesScalar(const drapoStepJob& job) { drapoUpdateLanes<float>(job); }
bool drapoContactsSse2(const drapoStepJob& job) { return drapoContactLanes<ktFloat4>(job); }
void drapoStagesSse2(const drapoStepJob& job) { drapoStageLanes<ktFloat4>(job); }
void drapoUpdatesSse2(const drapoStepJob& job) { drapoUpdateLanes<ktFloat4>(job); }
