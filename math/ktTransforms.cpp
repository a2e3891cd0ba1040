// ktTransforms: the software stack's state and operations.
#include "math/ktTransforms.h"

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
