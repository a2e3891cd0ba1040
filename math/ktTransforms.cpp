// ktTransforms: the software stack's state and the OpenGL camera capture.
#include "math/ktTransforms.h"

#include <GL/gl.h>
#include <GL/glu.h>

ktMatrix4f ktMatrixStack[ktMatrixStackDepth];
int ktMatrixHeight = 0;
ktMatrix4f cameraMatrix;
int view[4];
ktVec3f cameraPos;

void ktTransformsInit() {
    for (int i = 0; i < ktMatrixStackDepth; i++) ktMatrixStack[i].setIdentity();
}

// A push at the top is dropped silently, so the pop paired with it removes the level below.
void ktPushMatrix() {
    if (ktMatrixHeight < ktMatrixStackDepth - 1) {
        ktMatrixHeight++;
        ktMatrixStack[ktMatrixHeight].set(&ktMatrixStack[ktMatrixHeight - 1]);
    }
}

void ktPopMatrix() {
    if (ktMatrixHeight > 0) ktMatrixHeight--;
}

void ktTranslatef(float tx, float ty, float tz) { ktMatrixStack[ktMatrixHeight].translate(tx, ty, tz); }

void ktRotatef(float angle, float x, float y, float z) {
    // Degrees to radians in double precision, stored as float before the rotation is built.
    const double pi = 3.141592653589793;
    const double perDegree = 0.005555555555555556;  // 1/180
    float radians = static_cast<float>(angle * pi * perDegree);
    ktMatrixStack[ktMatrixHeight].rotgen(x, y, z, radians);
}

void ktScalef(float sx, float sy, float sz) { ktMatrixStack[ktMatrixHeight].scale(sx, sy, sz); }

ktMatrix4f* getCurrentMatrix() { return &ktMatrixStack[ktMatrixHeight]; }

void ktTransformsCaptureCamera() {
    GLdouble projection[16];
    GLdouble modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, view);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    // OpenGL is column-major: element 4*i + j is row j, column i.
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) cameraMatrix.m[j][i] = static_cast<float>(projection[4 * i + j]);

    float winX = static_cast<float>((view[2] - view[0]) * 0.5);
    float winY = static_cast<float>((view[3] - view[1]) * 0.5);
    GLdouble ox, oy, oz;
    // With singular matrices gluUnProject fails and its outputs are meaningless: keep the
    // previous cameraPos then, while the projection and viewport above stay in force.
    if (gluUnProject(winX, winY, 0.0, modelview, projection, view, &ox, &oy, &oz) == GL_TRUE) {
        cameraPos.set(static_cast<float>(ox), static_cast<float>(oy), static_cast<float>(oz));
    }
}
