// The shape passes' loops compiled for AVX2: eight points a lane group (world and window positions, a
// strip run's face normals, the normals' final averaging, and a run's positions and entry sums where
// its entries alternate between two runs of vertices), instantiated from
// shapes/ktShapePassesKernel.h. Only the entry points below have external linkage; everything they
// call is internal to this object, so no AVX2 instruction reaches baseline code.
#include "math/ktLanesAvx2.h"
#include "shapes/ktShapePassesKernel.h"
#include "shapes/ktShapePassesWide.h"

int ktShapeWorldPositionsAvx2(const float (&m)[4][4], const ktVec3f* own, ktVec3f* world, int count) {
    return worldPositionGroups<ktFloat8>(m, own, world, 0, count);
}

int ktShapeWindowPositionsAvx2(const float (&camera)[4][4], const int (&viewport)[4], const ktVec3f* world,
                               ktVec3f* window, int count) {
    return windowPositionGroups<ktFloat8>(camera, viewport, world, window, 0, count);
}

int ktShapeStripFacesAvx2(const float* px, const float* py, const float* pz, float* nx, float* ny, float* nz,
                          int faces) {
    return stripFaceGroups<ktFloat8>(StripRun{px, py, pz, nx, ny, nz}, 0, faces);
}

int ktShapeFinishNormalsAvx2(ktVec3f* normals, const int* counts, int count) {
    return finishNormalGroups<ktFloat8>(normals, counts, 0, count);
}

int ktShapeStripGatherAvx2(const ktVec3f* pos, const int* vertex, float* px, float* py, float* pz, int count) {
    return stripGatherPairs<ktFloat8>(pos, vertex, px, py, pz, 0, count);
}

int ktShapeStripEntriesAvx2(float* nx, float* ny, float* nz, const int* vertex, ktVec3f* normals, int* counts,
                            int begin, int end) {
    return stripEntryPairs<ktFloat8>(StripRun{nullptr, nullptr, nullptr, nx, ny, nz}, vertex, normals, counts, begin,
                                     end);
}

bool ktShapeGridNormalsAvx2(const int* indices, int columns, int strips, int vertexCount, const ktVec3f* pos,
                            ktVec3f* normals, int* counts, void* scratch) {
    return gridStripNormals<ktFloat8>(indices, columns, strips, vertexCount, pos, normals, counts, scratch);
}
