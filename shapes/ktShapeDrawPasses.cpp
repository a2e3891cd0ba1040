// The per-vertex CPU passes of ktShape::draw: the shape's transforms on the software stack, world
// positions through the top of the stack, and window positions with the captured camera. No OpenGL
// calls; ktShape::draw sends their results. Both position passes run the scalar formulas over the
// widest lanes the instruction-set path allows (one vertex a lane) and the remainder on narrower
// ones, so every vertex gets the bits that ktTransformToReal and ktTransformRealToScreen give it.
#include "shapes/ktShapeDrawPasses.h"

#include "math/ktTransforms.h"
#include "shapes/ktShapePassesKernel.h"
#include "shapes/ktShapePassesWide.h"

namespace {

// For each order, the transforms in the order they are called: T(ranslate), R(otate), S(cale).
const char transformSequence[6][4] = {"TSR", "TRS", "RST", "RTS", "SRT", "STR"};

}  // namespace

// Pushes the shape's transforms in the given order. Each call post-multiplies the top of the
// stack, so the transform called last acts on the vertex first. Unknown orders apply nothing.
void ktShapeApplyTransforms(xformOrder order, const ktVec3f& t, const ktVec4f& r, const ktVec3f& s) {
    if (order > kt_S_T_R) return;
    for (const char* step = transformSequence[order]; *step != '\0'; step++) {
        switch (*step) {
            case 'T':
                ktTranslatef(t.x, t.y, t.z);
                break;
            case 'R':
                ktRotatef(r.x, r.y, r.z, r.w);
                break;
            default:
                ktScalef(s.x, s.y, s.z);
                break;
        }
    }
}

void ktShapeWorldPositions(const ktVec3f* own, ktVec3f* world, int count) {
    ktShapeWorldPositionsOn(ktSimdPathInUse(), own, world, count);
}

void ktShapeWindowPositions(const ktVec3f* world, ktVec3f* window, int count) {
    ktShapeWindowPositionsOn(ktSimdPathInUse(), world, window, count);
}

// World positions: every vertex through the top of the stack. The matrix is copied into a local
// first so that it stays in registers while the loop stores floats (which could otherwise alias the
// global stack).
void ktShapeWorldPositionsOn(ktSimdPath path, const ktVec3f* own, ktVec3f* world, int count) {
    const ktMatrix4f top = *getCurrentMatrix();
    int i = 0;
    switch (path) {
#if KT_SIMD_WIDE
        case ktSimdAvx512:
            i = ktShapeWorldPositionsAvx512(top.m, own, world, count);
            break;
        case ktSimdAvx2:
            i = ktShapeWorldPositionsAvx2(top.m, own, world, count);
            break;
#endif
        default:
            break;
    }
    if (path != ktSimdScalar) i = worldPositionGroups<ktFloat4>(top.m, own, world, i, count);
    worldPositionGroups<float>(top.m, own, world, i, count);
}

// Window positions of world points with the captured camera, held in locals for the loop.
void ktShapeWindowPositionsOn(ktSimdPath path, const ktVec3f* world, ktVec3f* window, int count) {
    const ktMatrix4f camera = cameraMatrix;
    const int viewport[4] = {view[0], view[1], view[2], view[3]};
    int i = 0;
    switch (path) {
#if KT_SIMD_WIDE
        case ktSimdAvx512:
            i = ktShapeWindowPositionsAvx512(camera.m, viewport, world, window, count);
            break;
        case ktSimdAvx2:
            i = ktShapeWindowPositionsAvx2(camera.m, viewport, world, window, count);
            break;
#endif
        default:
            break;
    }
    if (path != ktSimdScalar) i = windowPositionGroups<ktFloat4>(camera.m, viewport, world, window, i, count);
    windowPositionGroups<float>(camera.m, viewport, world, window, i, count);
}
