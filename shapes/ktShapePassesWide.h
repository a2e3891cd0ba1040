// Internal to the shapes module: the entry points of the per-vertex loops compiled for AVX2
// (shapes/ktShapePassesAvx2.cpp) and AVX-512F (shapes/ktShapePassesAvx512.cpp), present only in a
// build with wide kernels (KT_SIMD_WIDE). Each runs whole groups of its width from the first point and
// returns how many points it did; the caller finishes the rest on a narrower path. Call one only when
// ktSimdBest() reaches its instruction set.
#ifndef KT_SHAPES_KTSHAPEPASSESWIDE_H
#define KT_SHAPES_KTSHAPEPASSESWIDE_H

#include "math/ktVec3f.h"

#if KT_SIMD_WIDE
int ktShapeWorldPositionsAvx2(const float (&m)[4][4], const ktVec3f* own, ktVec3f* world, int count);
int ktShapeWindowPositionsAvx2(const float (&camera)[4][4], const int (&viewport)[4], const ktVec3f* world,
                               ktVec3f* window, int count);
int ktShapeStripFacesAvx2(const float* px, const float* py, const float* pz, float* nx, float* ny, float* nz,
                          int faces);
int ktShapeFinishNormalsAvx2(ktVec3f* normals, const int* counts, int count);
// A strip run's gathered positions (entries [0, count)) and entry sums (entries [begin, end)), as
// stripGatherGroups and stripEntryGroups (shapes/ktShapePassesKernel.h) make them.
int ktShapeStripGatherAvx2(const ktVec3f* pos, const int* vertex, float* px, float* py, float* pz, int count);
int ktShapeStripEntriesAvx2(float* nx, float* ny, float* nz, const int* vertex, ktVec3f* normals, int* counts,
                            int begin, int end);
// A grid mesh's strips, normals finished, as gridStripNormals (shapes/ktShapePassesKernel.h) makes them.
bool ktShapeGridNormalsAvx2(const int* indices, int columns, int strips, int vertexCount, const ktVec3f* pos,
                            ktVec3f* normals, int* counts, void* scratch);

int ktShapeWorldPositionsAvx512(const float (&m)[4][4], const ktVec3f* own, ktVec3f* world, int count);
int ktShapeWindowPositionsAvx512(const float (&camera)[4][4], const int (&viewport)[4], const ktVec3f* world,
                                 ktVec3f* window, int count);
int ktShapeStripFacesAvx512(const float* px, const float* py, const float* pz, float* nx, float* ny,
                            float* nz, int faces);
int ktShapeFinishNormalsAvx512(ktVec3f* normals, const int* counts, int count);
int ktShapeStripGatherAvx512(const ktVec3f* pos, const int* vertex, float* px, float* py, float* pz, int count);
int ktShapeStripEntriesAvx512(float* nx, float* ny, float* nz, const int* vertex, ktVec3f* normals, int* counts,
                              int begin, int end);
bool ktShapeGridNormalsAvx512(const int* indices, int columns, int strips, int vertexCount,
                              const ktVec3f* pos, ktVec3f* normals, int* counts, void* scratch);
#endif

#endif
