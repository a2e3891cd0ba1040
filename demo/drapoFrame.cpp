// One frame of the cloth demonstration: place the model (tilted by 45 degrees, spinning by 4 degrees
// per frame, 50 pixels per model unit, origin at pixel (500, 350)), record the camera, advance the
// simulation one step, wrap the cloth onto a sphere in the mesh and draw it. Angles for OpenGL are
// in degrees; the sphere angles are in radians.
#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <cstring>

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

namespace {

const double twoPi = 2.0 * 3.141592653589793;
const double pi = 3.141592653589793;

inline uint32_t bitsOf(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// Sine and cosine of a stored float angle, remembered per knob by the angle's bit pattern. A
// knob's angles stay the same from frame to frame while its x or y does not move (the whole sheet
// while it falls flat, every pinned knob for good), and the sine and cosine of the same float are
// the same doubles, so a remembered pair is exactly what a new evaluation would give. The memo is
// keyed by the bits alone, so it is right for any cloth, whichever object asks.
struct AngleMemo {
    uint32_t key;
    bool valid;
    double s;
    double c;

    void get(float angle, double& sine, double& cosine) {
        const uint32_t bits = bitsOf(angle);
        if (!valid || key != bits) {
            s = std::sin(static_cast<double>(angle));
            c = std::cos(static_cast<double>(angle));
            key = bits;
            valid = true;
        }
        sine = s;
        cosine = c;
    }
};

const float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};
static_assert(sizeof(ktVec4f) == sizeof green, "ktVec4f must be four packed floats");

AngleMemo thetaMemo[drapoKnobs];
AngleMemo phiMemo[drapoKnobs];

}  // namespace

// Sphere mapping: the cloth's x becomes the polar angle phi from the model's +z axis (x = -50 at the
// pole, x = 50 at the opposite pole) and its y the azimuth theta (one turn per 100 units). The
// height, negated, is the radius, so a knob lies |z| from the origin opposite to (theta, phi) and
// the terrain's relief stands one unit out of the settled sphere. The angles are formed in double
// and stored as floats; the sines, cosines and products are taken in double from those floats.
//
// A mesh of 100 columns with room for every knob and per-vertex colours is written directly, as
// setMeshVertex and setMeshVertexColor would write it (every index is in range, so neither has
// anything to report); any other mesh goes through those calls.
void drapoApp::updateMesh() {
    ktMeshShape* mesh = blanky;
    const bool direct = mesh->M == drapoSide && mesh->listLength >= drapoKnobs && mesh->enableVertexColors &&
                        mesh->vertexList != nullptr && mesh->colorList != nullptr;
    ktVec3f* const vertices = mesh->vertexList;
    ktVec4f* const colors = mesh->colorList;
    for (int k = 0; k < drapoKnobs; k++) {
        const ktVec3f pos = thread[k].pos;
        const float r = -pos.z;
        const float theta = static_cast<float>((50.0 + pos.y) * twoPi * 0.01);
        const float phi = static_cast<float>((50.0 + pos.x) * pi * 0.01);
        double sinPhi, cosPhi, sinTheta, cosTheta;
        phiMemo[k].get(phi, sinPhi, cosPhi);
        thetaMemo[k].get(theta, sinTheta, cosTheta);
        const float x = static_cast<float>(r * sinPhi * sinTheta);
        const float y = static_cast<float>(r * sinPhi * cosTheta);
        const float z = static_cast<float>(r * cosPhi);
        if (direct) {
            // A colour that is already this green, bit for bit, is left as it is.
            if (std::memcmp(&colors[k], green, sizeof green) != 0) colors[k].set(0.0f, 1.0f, 0.0f, 1.0f);
            vertices[k].set(x, y, z);
        } else {
            i = k;
            m = k % drapoSide;
            n = k / drapoSide;
            mesh->setMeshVertexColor(n, m, 0.0f, 1.0f, 0.0f, 1.0f);
            mesh->setMeshVertex(n, m, x, y, z);
        }
    }
    i = drapoKnobs;
    m = drapoSide - 1;
    n = drapoSide - 1;
}
