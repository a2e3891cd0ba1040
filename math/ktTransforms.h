/// @file
/// The software transform stack and the camera snapshot for screen projection.
///
/// A 128-deep software transform stack kept beside OpenGL's own, and a snapshot of OpenGL's camera
/// (projection matrix and viewport) for projecting points to window coordinates on the CPU. Stack
/// operations post-multiply the top matrix in glTranslatef/glRotatef/glScalef order (angles in
/// degrees) and never touch OpenGL. Window coordinates: pixels, origin bottom-left, y up.
#ifndef KT_MATH_KTTRANSFORMS_H
#define KT_MATH_KTTRANSFORMS_H

#include "math/ktMatrix4f.h"
#include "math/ktVec3f.h"

/// Number of matrices on the software stack.
const int ktMatrixStackDepth = 128;

/// The software stack; entry ::ktMatrixHeight is the current matrix. All zeros until
/// ktTransformsInit(): call it once before drawing shapes.
extern ktMatrix4f ktMatrixStack[ktMatrixStackDepth];
/// Index of the current top, 0 .. 127; starts at 0.
extern int ktMatrixHeight;
/// OpenGL's projection matrix at the last ktTransformsCaptureCamera(), row-major, in float.
extern ktMatrix4f cameraMatrix;
/// OpenGL's viewport at the last capture: x, y, width, height in window pixels.
extern int view[4];
/// Point on the near clipping plane under the viewport centre at the last capture, in the object
/// coordinates of OpenGL's model-view matrix; (0, 0, 0) before the first capture.
extern ktVec3f cameraPos;

/// Sets all 128 stack matrices to the identity; ::ktMatrixHeight does not change.
void ktTransformsInit();
/// Pushes: the matrix below is copied into the new top. At the top (height 127) does nothing.
void ktPushMatrix();
/// Pops one level. At height 0 does nothing.
void ktPopMatrix();
/// Post-multiplies a translation by (tx, ty, tz) onto the top matrix.
void ktTranslatef(float tx, float ty, float tz);
/// Post-multiplies a rotation by `angle` degrees about the axis (x, y, z) onto the top matrix; a zero
/// axis or angle changes nothing.
void ktRotatef(float angle, float x, float y, float z);
/// Post-multiplies a scaling by (sx, sy, sz) onto the top matrix.
void ktScalef(float sx, float sy, float sz);
/// Address of the current top matrix.
ktMatrix4f* getCurrentMatrix();
/// Reads OpenGL's projection matrix and viewport into ::cameraMatrix and ::view, and computes
/// ::cameraPos from the model-view matrix. Call inside the view frame, before drawing shapes, so that
/// their window positions (and picking) use this frame's camera. Needs a current GL context.
void ktTransformsCaptureCamera();

/// The point `in` through the top matrix (affine image, row 3 ignored) into `out`; `in` and `out` may
/// be the same vector.
inline void ktTransformToReal(ktVec3f& in, ktVec3f& out) {
    ktMatrixStack[ktMatrixHeight].transform3(&in, &out);
}

/// Projects the world point `in` to window coordinates in `out` with ::cameraMatrix and ::view: x and
/// y in window pixels (origin bottom-left), divided by the clip w; z is (1 + clip z) / 2 without that
/// division, so z < 0 exactly when clip z < -1.
inline void ktTransformRealToScreen(ktVec3f& in, ktVec3f& out) {
    float x, y, z;
    ktWindowPosition(cameraMatrix.m, view, in.x, in.y, in.z, x, y, z);
    out.set(x, y, z);
}

#endif
