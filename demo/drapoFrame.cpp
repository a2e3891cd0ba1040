// One frame of the cloth demonstration: place the model (tilted by 45 degrees, spinning by 4 degrees
// per frame, 50 pixels per model unit, origin at pixel (500, 350)), record the camera, advance the
// simulation one step, wrap the cloth onto a sphere in the mesh and draw it. Angles for OpenGL are
// in degrees; the sphere angles are in radians.
#include <GL/gl.h>

#include "demo/drapoApp.h"
#include "demo/drapoMesh.h"
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

struct AngleMemos {
    drapoAngleMemo theta, phi;
    drapoNearHistory near = {true, 0};
    AngleMemos() {
        drapoForgetAngles(theta);
        drapoForgetAngles(phi);
    }
} memos;

#ifndef KT_SIMD_WIDE
#define KT_SIMD_WIDE 0
#endif

}  // namespace

void drapoMeshOn(ktSimdPath path, const drapoMeshJob& job) {
    const ktSimdPath best = ktSimdBest();
    switch (path < best ? path : best) {
#if KT_SIMD_WIDE
        case ktSimdAvx512:
            return drapoMeshAvx512(job);
        case ktSimdAvx2:
            return drapoMeshAvx2(job);
#endif
        case ktSimdScalar:
            return drapoMeshScalar(job);
        default:
            return drapoMeshSse2(job);
    }
}

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
    if (direct) {
        const drapoMeshJob job = {
            thread, mesh->vertexList, mesh->colorList, &memos.theta, &memos.phi, &memos.near, true};
        drapoMeshOn(ktSimdPathInUse(), job);
    } else {
        drapoSettleQuickPairs(memos.phi);
        drapoSettleQuickPairs(memos.theta);
        for (int k = 0; k < drapoKnobs; k++) {
            const ktVec3f pos = thread[k].pos;
            const float r = -pos.z;
            double sinPhi, cosPhi, sinTheta, cosTheta;
            drapoSineCosine(memos.phi, k, drapoPhi(pos.x), sinPhi, cosPhi);
            drapoSineCosine(memos.theta, k, drapoTheta(pos.y), sinTheta, cosTheta);
            float x, y, z;
            drapoSpherePoint(r, sinPhi, cosPhi, sinTheta, cosTheta, x, y, z);
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
