// View frames. The outermost frame of a display pass sets the viewport to the window, clears it,
// lights it with a directional light from the camera and puts a perspective camera into the
// projection matrix, looking down -z at the window's centre from the distance at which the
// vertical field of view spans the window height: the plane z = 0 then maps onto the window pixel
// for pixel (origin bottom-left, y up) while the model-view matrix stays the identity. Nested
// frames save and restore both matrices; only the outermost close swaps the buffers.
#include <GL/glu.h>
#include <GL/glut.h>

#include <cmath>
#include <cstdio>

#include "framework/ktu.h"
#include "framework/ktuViewConstants.h"

float viewCenterX = 320.0f;
float viewCenterY = 240.0f;
float viewEyeDistance = 100.0f;
float viewNear = 10.0f;
float viewFar = 1000.0f;
float viewAspect = 1.3333334f;
int viewCachedWidth = 0;
int viewCachedHeight = 0;

namespace {

const float pi = 3.14159265358979f;
// A depth beyond this is most likely an open without its close; it is reported, not refused.
const int frameDepthWarningAbove = 10;

}  // namespace

void frameStepUp() {
    if (frameDepth > frameDepthWarningAbove) {
        char warning[80];
        std::snprintf(warning, sizeof warning, "Warning, frameDepth already at %d\n", frameDepth);
        ktuDebug(2, warning);
    }
    if (frameDepth == 0) {
        glViewport(0, 0, ktuWindowWidth, ktuWindowHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    } else {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
    }
    frameDepth++;
}

void frameStepDown() {
    frameDepth--;
    if (frameDepth == 0) {
        glutSwapBuffers();
    } else {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }
}

void updateToviViewConstants() {
    viewCenterX = static_cast<float>(ktuWindowWidth) * 0.5f;
    viewCenterY = static_cast<float>(ktuWindowHeight) * 0.5f;
    // At this distance a vertical field of ktuScreenFov degrees spans the window height on z = 0.
    float halfAngle = ktuScreenFov * pi * (1.0f / 360.0f);
    float tangent = std::tan(halfAngle);
    viewEyeDistance = viewCenterY / tangent;
    viewNear = viewEyeDistance * 0.1f;
    viewFar = viewEyeDistance * 10.0f;
    viewAspect = static_cast<float>(ktuWindowWidth) / static_cast<float>(ktuWindowHeight);
}

void ktuOpenToviFrame() {
    bool outermost = frameDepth == 0;
    frameStepUp();

    if (outermost && (ktuWindowHeight != viewCachedHeight || ktuWindowWidth != viewCachedWidth)) {
        viewCachedWidth = ktuWindowWidth;
        viewCachedHeight = ktuWindowHeight;
        updateToviViewConstants();
    }

    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_SMOOTH);

    if (outermost && ktuWindowClear) {
        glClearColor(ktuWindowBgColor[0], ktuWindowBgColor[1], ktuWindowBgColor[2], 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glDisable(GL_TEXTURE_2D);

    if (outermost) {
        // w = 0: a directional light shining from the camera's side of the plane. Set while the
        // model-view matrix is the identity, so the direction is in world coordinates.
        const GLfloat lightPosition[4] = {viewCenterX, viewCenterY, viewEyeDistance, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);

        glMatrixMode(GL_PROJECTION);
        gluPerspective(ktuScreenFov, viewAspect, viewNear, viewFar);
        gluLookAt(viewCenterX, viewCenterY, viewEyeDistance, viewCenterX, viewCenterY, 0.0, 0.0, 1.0, 0.0);
        glMatrixMode(GL_MODELVIEW);
    }
}

void ktuCloseToviFrame() { frameStepDown(); }
