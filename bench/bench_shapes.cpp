// Shape benchmarks: the per-frame work of drawing the 100 x 100 cloth mesh (world positions,
// window positions, normals, and the whole draw into a real OpenGL context) and building meshes
// of 100 x 100, 300 x 300 and 1000 x 1000 vertices by single-entry additions.
#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

#include "math/ktTransforms.h"
#include "shapes/ktNiceShapes.h"
#include "shapes/ktShapeDrawPasses.h"
#ifdef KT_BENCH_GL
#include "support/ktTestWindow.h"
#endif

namespace {

// A draped-looking 100 x 100 mesh: gentle waves, so that no two neighbouring faces are parallel.
ktMeshShape* makeCloth() {
    ktMeshShape* mesh = new ktMeshShape(100, 100);
    for (int i = 0; i < 100; i++)
        for (int j = 0; j < 100; j++)
            mesh->setMeshVertex(i, j, 0.1f * i - 5, 0.1f * j - 5,
                                0.3f * std::sin(0.2f * i) * std::cos(0.15f * j));
    mesh->Rotation.set(30, 1, 1, 0);
    return mesh;
}

// A perspective camera looking down -z at a 640 x 480 viewport, set without OpenGL.
void setCamera() {
    const float f = 1.0f / std::tan(0.5f * 50.0f * 3.14159265f / 180.0f), aspect = 640.0f / 480.0f;
    const float n = 0.5f, fa = 100.0f;
    const float p[4][4] = {{f / aspect, 0, 0, 0},
                           {0, f, 0, 0},
                           {0, 0, (fa + n) / (n - fa), 2 * fa * n / (n - fa)},
                           {0, 0, -1, 0}};
    cameraMatrix.set(p);
    view[0] = 0;
    view[1] = 0;
    view[2] = 640;
    view[3] = 480;
    ktTransformsInit();
    ktMatrixHeight = 0;
    ktTranslatef(0, 0, -15);
}

void releaseLists(ktShape* s) {
    std::free(s->vertexList);
    std::free(s->absVertexList);
    std::free(s->screenVertexList);
    std::free(s->normalList);
    std::free(s->normalCountList);
    std::free(s->colorList);
    std::free(s->textureCoordList);
    std::free(s->indexList);
}

void BM_MeshWorldPositions(benchmark::State& state) {
    setCamera();
    ktMeshShape* mesh = makeCloth();
    for (auto _ : state) {
        ktShapeWorldPositions(mesh->vertexList, mesh->absVertexList, mesh->listLength);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * mesh->listLength);
}
BENCHMARK(BM_MeshWorldPositions);

void BM_MeshWindowPositions(benchmark::State& state) {
    setCamera();
    ktMeshShape* mesh = makeCloth();
    ktShapeWorldPositions(mesh->vertexList, mesh->absVertexList, mesh->listLength);
    for (auto _ : state) {
        ktShapeWindowPositions(mesh->absVertexList, mesh->screenVertexList, mesh->listLength);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * mesh->listLength);
}
BENCHMARK(BM_MeshWindowPositions);

void BM_MeshNormals(benchmark::State& state) {
    setCamera();
    ktMeshShape* mesh = makeCloth();
    ktShapeWorldPositions(mesh->vertexList, mesh->absVertexList, mesh->listLength);
    for (auto _ : state) {
        mesh->calculateNormals();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * mesh->listLength);
}
BENCHMARK(BM_MeshNormals);

// Everything draw computes on the CPU before it sends a vertex.
void BM_MeshDrawCpuPart(benchmark::State& state) {
    setCamera();
    ktMeshShape* mesh = makeCloth();
    for (auto _ : state) {
        ktPushMatrix();
        ktTranslatef(mesh->Translation.x, mesh->Translation.y, mesh->Translation.z);
        ktRotatef(mesh->Rotation.x, mesh->Rotation.y, mesh->Rotation.z, mesh->Rotation.w);
        ktScalef(mesh->Scale.x, mesh->Scale.y, mesh->Scale.z);
        mesh->space.set(getCurrentMatrix());
        ktShapeWorldPositions(mesh->vertexList, mesh->absVertexList, mesh->listLength);
        ktShapeWindowPositions(mesh->absVertexList, mesh->screenVertexList, mesh->listLength);
        mesh->calculateNormals();
        ktPopMatrix();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * mesh->listLength);
}
BENCHMARK(BM_MeshDrawCpuPart);

#ifdef KT_BENCH_GL
void setGlCamera() {
    ktTestOpenWindow();
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50, 640.0 / 480.0, 0.5, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    ktTransformsCaptureCamera();
    ktTransformsInit();
    ktMatrixHeight = 0;
    ktTranslatef(0, 0, -15);
}

// The whole draw call: CPU passes plus 19 800 vertices handed to OpenGL in immediate mode.
void BM_MeshDraw(benchmark::State& state) {
    setGlCamera();
    ktMeshShape* mesh = makeCloth();
    mesh->draw();
    glFinish();
    for (auto _ : state) mesh->draw();
    glFinish();
    state.SetItemsProcessed(state.iterations() * mesh->listLength);
}
BENCHMARK(BM_MeshDraw)->Unit(benchmark::kMicrosecond);

// The draw call and the rendering it causes (llvmpipe rasterises on the CPU).
void BM_MeshDrawAndFinish(benchmark::State& state) {
    setGlCamera();
    ktMeshShape* mesh = makeCloth();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        mesh->draw();
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * mesh->listLength);
}
BENCHMARK(BM_MeshDrawAndFinish)->Unit(benchmark::kMicrosecond);
#endif

// N * M single-entry additions to each per-vertex list and (N - 1)(2M + 1) to the index list.
void BM_MeshBuild(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        {
            ktMeshShape mesh(n, n);
            benchmark::DoNotOptimize(mesh.indexList);
            state.PauseTiming();
            releaseLists(&mesh);
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_MeshBuild)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
