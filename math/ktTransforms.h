// ktTransforms: a 128-deep software transform stack kept beside OpenGL's own, and a snapshot of
// OpenGL's camera (projection matrix and viewport) for projecting points to window coordinates on
// the CPU. Stack operations post-multiply the top matrix in glTranslatef/glRotatef/glScalef order
// (angles in degrees) and never touch OpenGL. Window coordinates: pixels, origin bottom-left.
#ifndef KT_MATH_KTTRANSFORMS_H
#define KT_MATH_KTTRANSFORMS_H

#include "math/ktMatrix4f.h"
#include "math/ktVec3f.h"

const int ktMatrixStackDepth = 128;

// Entry ktMatrixHeight is the current matrix. All zeros until ktTransformsInit.
extern ktMatrix4f ktMatrixStack[ktMatrixStackDepth];
extern int ktMatrixHeight;
// OpenGL's projection matrix at the last capture, row-major, in float.
extern ktMatrix4f cameraMatrix;
// OpenGL's viewport at the last capture: x, y, width, height.
extern int view[4];
// Near-plane point under the viewport centre in the modelview's object coordinates.
extern ktVec3f cameraPos;

void ktTransformsInit();
void ktPushMatrix();
void ktPopMatrix();
void ktTranslatef(float tx, float ty, float tz);
void ktRotatef(float angle, float x, float y, float z);
void ktScalef(float sx, float sy, float sz);
ktMatrix4f* getCurrentMatrix();
void ktTransformsCaptureCamera();

// Point through the top matrix (affine image, row 3 ignored); `in` and `out` may be the same vector.
inline void ktTransformToReal(ktVec3f& in, ktVec3f& out) {
    ktMatrixStack[ktMatrixHeight].transform3(&in, &out);
}

// Projects a real point with cameraMatrix and view. x and y are divided by the clip w; z is
// (1 + clip z) / 2 without that division, so z < 0 exactly when clip z < -1.
inline void ktTransformRealToScreen(ktVec3f& in, ktVec3f& out) {
    const float v[4] = {in.x, in.y, in.z, 1.0f};
    float c[4];
    cameraMatrix.transform4(v, c);
    out.x = static_cast<float>((c[0] / c[3] + 1.0) * view[2] * 0.5 + view[0]);
    out.y = static_cast<float>((c[1] / c[3] + 1.0) * view[3] * 0.5 + view[1]);
    out.z = static_cast<float>((1.0 + c[2]) * 0.5);
}

#endif
