// The floor for bench_frames: the same window, view frame, lighting, colour material and model
// transform, and the same 19 800 vertices of the cloth's 99 triangle strips with their normals and
// colours, sent in immediate mode with the same calls, but from arrays computed before timing, so
// that a frame does nothing but send and rasterise them. The arrays are snapshots of the cloth
// every 10 frames of the run bench_frames times (frames 1 .. 330); frame f sends the snapshot of
// its ten-frame block with its own spin. Driven exactly like bench_frames: one idle_cb and one
// glutMainLoopEvent per frame, 30 warm-up frames, then 300 timed. Run it through
// scripts/with-xvfb.sh (scripts/bench-frames.sh runs both programs and prints the ratio).
#include <GL/freeglut.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bench/benchFrameLoop.h"
#include "demo/drapoApp.h"
#include "framework/ktApp.h"
#include "framework/ktu.h"
#include "math/ktTransforms.h"
#include "shapes/ktShapeDrawPasses.h"

namespace {

const int warmupFrames = 30;
const int timedFrames = 300;
const int framesPerSnapshot = 10;

// One frame's worth of strip data: for every index entry, the vertex's normal, colour and world
// position; -1 entries are kept as strip breaks.
struct Snapshot {
    std::vector<int> breaks;        // per entry: 1 at a strip break
    std::vector<float> normals;     // 3 per entry
    std::vector<float> colors;      // 4 per entry
    std::vector<float> positions;   // 3 per entry
};

Snapshot capture(const ktShape& mesh) {
    Snapshot s;
    for (int k = 0; k < mesh.indexListLength; k++) {
        const int v = mesh.indexList[k];
        s.breaks.push_back(v == -1);
        const int w = v == -1 ? 0 : v;
        s.normals.insert(s.normals.end(), {mesh.normalList[w].x, mesh.normalList[w].y, mesh.normalList[w].z});
        s.colors.insert(s.colors.end(),
                        {mesh.colorList[w].x, mesh.colorList[w].y, mesh.colorList[w].z, mesh.colorList[w].w});
        s.positions.insert(s.positions.end(),
                           {mesh.absVertexList[w].x, mesh.absVertexList[w].y, mesh.absVertexList[w].z});
    }
    return s;
}

class BareFrames : public ktApp {
public:
    std::vector<Snapshot> snapshots;
    float j = 0.0f;
    float shapeColor[4] = {1, 1, 1, 1};
    float shapeNormal[3] = {0, 0, 1};

    void draw() override {
        glTranslatef(500.0f, 350.0f, 0.0f);
        glRotatef(-45.0f, 1.0f, 0.0f, 0.0f);
        glRotatef(-4.0f * j, 0.0f, 0.0f, 1.0f);
        glScalef(50.0f, 50.0f, 50.0f);
        size_t which = static_cast<size_t>(j) / framesPerSnapshot;
        if (which >= snapshots.size()) which = snapshots.size() - 1;
        const Snapshot& s = snapshots[which];
        const int count = static_cast<int>(s.breaks.size());
        const float* nor = s.normals.data();
        const float* col = s.colors.data();
        const float* pos = s.positions.data();
        glBegin(GL_TRIANGLE_STRIP);
        glColor4f(shapeColor[0], shapeColor[1], shapeColor[2], shapeColor[3]);
        glNormal3f(shapeNormal[0], shapeNormal[1], shapeNormal[2]);
        for (int k = 0; k < count; k++) {
            if (s.breaks[k]) {
                glEnd();
                glBegin(GL_TRIANGLE_STRIP);
                continue;
            }
            glNormal3f(nor[3 * k], nor[3 * k + 1], nor[3 * k + 2]);
            glColor4f(col[4 * k], col[4 * k + 1], col[4 * k + 2], col[4 * k + 3]);
            glVertex3f(pos[3 * k], pos[3 * k + 1], pos[3 * k + 2]);
        }
        glEnd();
        j += 1.0f;
    }
};

}  // namespace

int main() {
    ktuOpen();
    // The cloth as drapo shows it on frames 1, 11, 21, ...: one step, the mesh pass, then the
    // world positions and normals that the mesh's draw computes (its own transforms are identity).
    std::unique_ptr<drapoApp> cloth(new drapoApp);
    BareFrames* app = new BareFrames;
    ktShape& mesh = *cloth->blanky;
    app->shapeColor[0] = mesh.Color.x, app->shapeColor[1] = mesh.Color.y;
    app->shapeColor[2] = mesh.Color.z, app->shapeColor[3] = mesh.Color.w;
    app->shapeNormal[0] = mesh.Normal.x, app->shapeNormal[1] = mesh.Normal.y;
    app->shapeNormal[2] = mesh.Normal.z;
    const int total = warmupFrames + timedFrames;
    for (int f = 0; f < total; f++) {
        cloth->step();
        if (f % framesPerSnapshot != 0) continue;
        cloth->updateMesh();
        ktTransformsInit();
        ktShapeWorldPositions(mesh.vertexList, mesh.absVertexList, mesh.listLength);
        mesh.calculateNormals();
        app->snapshots.push_back(capture(mesh));
    }
    app->subStart();

    return timeFrames(app, "bench_bare_frames", warmupFrames, timedFrames);
}
