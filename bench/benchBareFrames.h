// The bare frames that drapo's frame rate is measured against: the cloth's 99 triangle strips with
// their normals and colours, captured from a cloth every ten frames before timing and sent in
// immediate mode with the same calls, the same model transform and the same view frame, so that
// such a frame does nothing but send and rasterise the vertices.
#ifndef KT_BENCH_BENCHBAREFRAMES_H
#define KT_BENCH_BENCHBAREFRAMES_H

#include <GL/gl.h>

#include <memory>
#include <vector>

#include "bench/benchFrameLoop.h"
#include "demo/drapoApp.h"
#include "math/ktTransforms.h"
#include "shapes/ktShapeDrawPasses.h"

const int bareFramesPerSnapshot = 10;

// One frame's worth of strip data: for every index entry, the vertex's normal, colour and world
// position; -1 entries are kept as strip breaks.
struct BareSnapshot {
    std::vector<int> breaks;       // per entry: 1 at a strip break
    std::vector<float> normals;    // 3 per entry
    std::vector<float> colors;     // 4 per entry
    std::vector<float> positions;  // 3 per entry
};

// Everything the bare frames send: the shape's own colour and normal (sent first, as its draw
// does) and a snapshot per ten frames.
struct BareScene {
    float shapeColor[4] = {1, 1, 1, 1};
    float shapeNormal[3] = {0, 0, 1};
    std::vector<BareSnapshot> snapshots;
};

inline BareSnapshot captureBareSnapshot(const ktShape& mesh) {
    BareSnapshot s;
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

// The cloth as drapo shows it on frames 1, 11, 21, ... of `frames`: one step, the mesh pass, then
// the world positions and normals that the mesh's draw computes (its own transforms are identity).
inline BareScene captureBareScene(int frames) {
    BareScene scene;
    std::unique_ptr<drapoApp> cloth(new drapoApp);
    ktShape& mesh = *cloth->blanky;
    scene.shapeColor[0] = mesh.Color.x, scene.shapeColor[1] = mesh.Color.y;
    scene.shapeColor[2] = mesh.Color.z, scene.shapeColor[3] = mesh.Color.w;
    scene.shapeNormal[0] = mesh.Normal.x, scene.shapeNormal[1] = mesh.Normal.y,
    scene.shapeNormal[2] = mesh.Normal.z;
    for (int f = 0; f < frames; f++) {
        cloth->step();
        if (f % bareFramesPerSnapshot != 0) continue;
        cloth->updateMesh();
        ktTransformsInit();
        ktShapeWorldPositions(mesh.vertexList, mesh.absVertexList, mesh.listLength);
        mesh.calculateNormals();
        scene.snapshots.push_back(captureBareSnapshot(mesh));
    }
    return scene;
}

// Frame j of the bare frames: the model transform of drapo's frame j and the snapshot of its
// ten-frame block.
inline void drawBareFrame(const BareScene& scene, float j) {
    benchClothModelTransform(j);
    size_t which = static_cast<size_t>(j) / bareFramesPerSnapshot;
    if (which >= scene.snapshots.size()) which = scene.snapshots.size() - 1;
    const BareSnapshot& s = scene.snapshots[which];
    const int count = static_cast<int>(s.breaks.size());
    const float* nor = s.normals.data();
    const float* col = s.colors.data();
    const float* pos = s.positions.data();
    glBegin(GL_TRIANGLE_STRIP);
    glColor4f(scene.shapeColor[0], scene.shapeColor[1], scene.shapeColor[2], scene.shapeColor[3]);
    glNormal3f(scene.shapeNormal[0], scene.shapeNormal[1], scene.shapeNormal[2]);
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
}

#endif
