// The shape passes' loops compiled for AVX-512F, instantiated from shapes/ktShapePassesKernel.h,
// sixteen points a lane group: world and window positions, a strip run's face normals and the
// normals' final averaging, and a run's positions and entry sums where its entries alternate
// between two runs of vertices, as a grid mesh's do. (The processor's gathers and scatters were
// slower there than four-lane moves on the machine measured, an Intel Xeon with AVX-512.)
// Only the entry points below have external linkage; everything they call is internal to this
// object, so no AVX-512F instruction reaches baseline code.
#include "math/ktLanesAvx2.h"
#include "math/ktLanesAvx512.h"
#include "shapes/ktShapePassesKernel.h"
#include "shapes/ktShapePassesWide.h"

int ktShapeWorldPositionsAvx512(const float (&m)[4][4], const ktVec3f* own, ktVec3f* world, int count) {
    return worldPositionGroups<ktFloat16>(m, own, world, 0, count);
}

int ktShapeWindowPositionsAvx512(const float (&camera)[4][4], const int (&viewport)[4], const ktVec3f* world,
                                 ktVec3f* window, int count) {
    return windowPositionGroups<ktFloat16>(camera, viewport, world, window, 0, count);
}

int ktShapeStripFacesAvx512(const float* px, const float* py, const float* pz, float* nx, float* ny,
                            float* nz, int faces) {
    return stripFaceGroups<ktFloat16>(StripRun{px, py, pz, nx, ny, nz}, 0, faces);
}

int ktShapeFinishNormalsAvx512(ktVec3f* normals, const int* counts, int count) {
    return finishNormalGroups<ktFloat16>(normals, counts, 0, count);
}

int ktShapeStripGatherAvx512(const ktVec3f* pos, const int* vertex, float* px, float* py, float* pz, int count) {
    return stripGatherPairs<ktFloat16>(pos, vertex, px, py, pz, 0, count);
}

int ktShapeStripEntriesAvx512(float* nx, float* ny, float* nz, const int* vertex, ktVec3f* normals, int* counts,
                              int begin, int end) {
    return stripEntryPairs<ktFloat16>(StripRun{nullptr, nullptr, nullptr, nx, ny, nz}, vertex, normals, counts, begin,
                                      end);
}

bool ktShapeGridNormalsAvx512(const int* indices, int columns, int strips, int vertexCount,
                              const ktVec3f* pos, ktVec3f* normals, int* counts, void* scratch) {
    return gridStripNormals<ktFloat16>(indices, columns, strips, vertexCount, pos, normals, counts, scratch);
}
