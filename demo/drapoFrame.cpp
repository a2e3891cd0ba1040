// One frame of the cloth demonstration: place the model (tilted by 45 degrees, spinning by 4 degrees
// per frame, 50 pixels per model unit, origin at pixel (500, 350)), record the camera, advance the
// simulation one step, wrap the cloth onto a sphere in the mesh and draw it. Angles for OpenGL are
// in degrees; the sphere angles are in radians.
#include <GL/gl.h>

#include <cmath>

#include "demo/drapoApp.h"
#include "math/ktTransforms.h"

void drapoApp::draw() {
    glTranslatef(500.0f, 350.0f, 0.0f);
    glRotatef(-45.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(-4.0f * j, 0.0f, 0.0f, 1.0f);
    glScalef(50.0f, 50.0f, 50.0f);
    ktTransformsCaptureCamera();
    step();
    updateMesh();
    blanky->draw();
    j += 1.0f;
}

// Sphere mapping: the cloth's x becomes the polar angle phi from the model's +z axis (x = -50 at the
// pole, x = 50 at the opposite pole) and its y the azimuth theta (one turn per 100 units). The
// height, negated, is the radius, so a knob lies |z| from the origin opposite to (theta, phi) and
// the terrain's relief stands one unit out of the settled sphere. The angles are formed in double
// and stored as floats; the sines, cosines and products are taken in double from those floats.
void drapoApp::updateMesh() {
    const double twoPi = 2.0 * 3.141592653589793;
    const double pi = 3.141592653589793;
    for (i = 0; i < drapoKnobs; i++) {
        m = i % drapoSide;
        n = i / drapoSide;
        const ktVec3f pos = thread[i].pos;
        const float r = -pos.z;
        const float theta = static_cast<float>((50.0 + pos.y) * twoPi * 0.01);
        const float phi = static_cast<float>((50.0 + pos.x) * pi * 0.01);
        const double sinPhi = std::sin(static_cast<double>(phi));
        const double cosPhi = std::cos(static_cast<double>(phi));
        const double sinTheta = std::sin(static_cast<double>(theta));
        const double cosTheta = std::cos(static_cast<double>(theta));
        blanky->setMeshVertexColor(n, m, 0.0f, 1.0f, 0.0f, 1.0f);
        blanky->setMeshVertex(n, m, static_cast<float>(r * sinPhi * sinTheta),
                              static_cast<float>(r * sinPhi * cosTheta), static_cast<float>(r * cosPhi));
    }
}
