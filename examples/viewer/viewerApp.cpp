// viewerApp: fitting the shape to the window, lighting, turning, zooming and saving. The shape's own
// transforms stay as the file gave them; the view's placement is set on OpenGL's model-view matrix
// around each draw, so it never reaches the shape or its saved record.
#include "viewerApp.h"

#include <GL/gl.h>

#include <cfloat>
#include <cmath>
#include <cstdio>

#include "framework/ktu.h"
#include "io/ktShapeFile.h"
#include "math/ktTransforms.h"

ktShape* viewerShape = nullptr;
const char* viewerRecordPath = "viewer.ktrec";

namespace {

const float fitShare = 0.3f;  // the shape's radius as a share of the window's smaller side
const float degreesPerPixel = 0.5f;
const float wheelStep = 1.1f;
const int wheelUp = 3, wheelDown = 4;  // GLUT reports the wheel as these buttons

}  // namespace

viewerApp::viewerApp() : shape(viewerShape), zoom(1.0f), lastX(0), lastY(0) {
    ktTransformsInit();
    picking = shape->enablePicking;
    // Nothing here picks: skip the window projection of every vertex on each draw.
    shape->enablePicking = false;
    // Lighting needs a normal per vertex; draw recomputes them from the faces every frame.
    if (!shape->enableVertexNormals) shape->enablePerVertexNormals();

    float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (int v = 0; v < shape->listLength; v++) {
        const float p[3] = {shape->vertexList[v].x, shape->vertexList[v].y, shape->vertexList[v].z};
        for (int k = 0; k < 3; k++) {
            lo[k] = std::fmin(lo[k], p[k]);
            hi[k] = std::fmax(hi[k], p[k]);
        }
    }
    double diagonal = 0.0;
    for (int k = 0; k < 3; k++) {
        center[k] = shape->listLength > 0 ? 0.5f * (lo[k] + hi[k]) : 0.0f;
        if (shape->listLength > 0) diagonal += double(hi[k] - lo[k]) * (hi[k] - lo[k]);
    }
    radius = static_cast<float>(0.5 * std::sqrt(diagonal));
    if (!(radius > 1e-20f)) radius = 1.0f;  // a single point or no vertex at all
    for (int i = 0; i < 16; i++) turn[i] = i % 5 == 0 ? 1.0f : 0.0f;
}

void viewerApp::draw() {
    const float side =
        static_cast<float>(ktuWindowWidth < ktuWindowHeight ? ktuWindowWidth : ktuWindowHeight);
    const float scale = fitShare * side * zoom / radius;
    // Scaling the positions scales the normals OpenGL lights with; renormalise them.
    glEnable(GL_NORMALIZE);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(0.5f * ktuWindowWidth, 0.5f * ktuWindowHeight, 0.0f);
    glMultMatrixf(turn);
    glScalef(scale, scale, scale);
    glTranslatef(-center[0], -center[1], -center[2]);
    shape->draw();
    glPopMatrix();
}

void viewerApp::mouseDown(float x, float y, int button) {
    if (button == wheelUp) zoom *= wheelStep;
    if (button == wheelDown) zoom /= wheelStep;
    lastX = x;
    lastY = y;
}

// A drag turns the shape about the window's vertical axis (left-right motion) and horizontal axis
// (up-down motion); the new turn applies after the ones before it, so it follows the pointer
// whatever the shape's orientation.
void viewerApp::mouseDrag(float x, float y) {
    const float dx = x - lastX, dy = y - lastY;
    lastX = x;
    lastY = y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0f) return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(length * degreesPerPixel, -dy / length, dx / length, 0.0f);
    glMultMatrixf(turn);
    glGetFloatv(GL_MODELVIEW_MATRIX, turn);
    glPopMatrix();
}

void viewerApp::keyDown(char key) {
    if (key == 's') {
        save();
    } else {
        ktApp::keyDown(key);  // keeps Escape
    }
    std::fflush(stdout);
}

void viewerApp::save() {
    shape->enablePicking = picking;
    const bool saved = ktSaveShape(*shape, viewerRecordPath);
    shape->enablePicking = false;
    if (saved) std::printf("viewer: saved %s\n", viewerRecordPath);
}

extern "C" ktApp* makeApp() { return new viewerApp(); }
