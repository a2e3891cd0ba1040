// The per-vertex CPU passes of ktShape::draw: the shape's transforms on the software stack, world
// positions through the top of the stack, and window positions with the captured camera. No OpenGL
// calls; ktShape::draw sends their results. Both position passes run the scalar formulas four
// vertices at a time (one lane each) and the remainder one at a time, so every vertex gets the bits
// that ktTransformToReal and ktTransformRealToScreen give it.
#include "shapes/ktShapeDrawPasses.h"

#include "math/ktLanes.h"
#include "math/ktTransforms.h"

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

// World positions: every vertex through the top of the stack. The matrix is copied into a local
// first so that it stays in registers while the loop stores floats (which could otherwise alias the
// global stack).
void ktShapeWorldPositions(const ktVec3f* own, ktVec3f* world, int count) {
    const ktMatrix4f top = *getCurrentMatrix();
    ktForLanes<ktFloat4>(0, count, [&](int i, auto lane) {
        using L = decltype(lane);
        L x, y, z;
        ktLoadVertices(own + i, x, y, z);
        ktStoreVertices(world + i, ktAffineRow(top.m[0], x, y, z), ktAffineRow(top.m[1], x, y, z),
                        ktAffineRow(top.m[2], x, y, z));
    });
}

// Window positions of world points with the captured camera, held in locals for the loop.
void ktShapeWindowPositions(const ktVec3f* world, ktVec3f* window, int count) {
    const ktMatrix4f camera = cameraMatrix;
    const int viewport[4] = {view[0], view[1], view[2], view[3]};
    ktForLanes<ktFloat4>(0, count, [&](int i, auto lane) {
        using L = decltype(lane);
        L x, y, z, wx, wy, wz;
        ktLoadVertices(world + i, x, y, z);
        ktWindowPosition(camera.m, viewport, x, y, z, wx, wy, wz);
        ktStoreVertices(window + i, wx, wy, wz);
    });
}
