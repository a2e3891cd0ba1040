// Cost of the cloth's per-frame work without a display: one simulation step while the whole sheet
// is falling (no knob pinned, every spring evaluated) and once it has settled (after 1000 steps),
// the mesh pass, and building the application.
#include <benchmark/benchmark.h>

#include <memory>

#include "demo/drapoApp.h"

namespace {

// The application's exact type, as makeApp makes it: the step takes its own fast path only for
// that type (a derived class might override rungef or surface).
using BenchCloth = drapoApp;

// Steps 0 .. 99 from the start, cycled: the sheet is falling and all knobs are free throughout.
void BM_StepFalling(benchmark::State& state) {
    std::unique_ptr<BenchCloth> app(new BenchCloth), start(new BenchCloth);
    int steps = 0;
    for (auto _ : state) {
        if (steps == 100) {
            state.PauseTiming();
            *app = *start;
            steps = 0;
            state.ResumeTiming();
        }
        app->step();
        steps++;
        benchmark::DoNotOptimize(app->thread[0].pos.z);
    }
    state.SetItemsProcessed(state.iterations() * drapoKnobs);
}
BENCHMARK(BM_StepFalling)->Unit(benchmark::kMicrosecond);

void BM_StepSettled(benchmark::State& state) {
    std::unique_ptr<BenchCloth> app(new BenchCloth);
    for (int s = 0; s < 1000; s++) app->step();
    for (auto _ : state) {
        app->step();
        benchmark::DoNotOptimize(app->thread[0].pos.z);
    }
    int pinned = 0;
    for (const clothknob& knob : app->thread) pinned += knob.on_surf;
    state.counters["pinned"] = pinned;
    state.SetItemsProcessed(state.iterations() * drapoKnobs);
}
BENCHMARK(BM_StepSettled)->Unit(benchmark::kMicrosecond);

void BM_UpdateMesh(benchmark::State& state) {
    std::unique_ptr<BenchCloth> app(new BenchCloth);
    for (int s = 0; s < 150; s++) app->step();
    for (auto _ : state) {
        app->updateMesh();
        benchmark::DoNotOptimize(app->blanky->vertexList[0].z);
    }
    state.SetItemsProcessed(state.iterations() * drapoKnobs);
}
BENCHMARK(BM_UpdateMesh)->Unit(benchmark::kMicrosecond);

// The mesh pass as the frame runs it: after a fresh step each time (steps 151 onwards, the sheet
// draping and still falling onto the floor), so that knobs that moved need their angles anew.
void BM_UpdateMeshAfterStep(benchmark::State& state) {
    std::unique_ptr<BenchCloth> app(new BenchCloth);
    for (int s = 0; s < 150; s++) app->step();
    for (auto _ : state) {
        state.PauseTiming();
        app->step();
        state.ResumeTiming();
        app->updateMesh();
        benchmark::DoNotOptimize(app->blanky->vertexList[0].z);
    }
    state.SetItemsProcessed(state.iterations() * drapoKnobs);
}
BENCHMARK(BM_UpdateMeshAfterStep)->Unit(benchmark::kMicrosecond);

// The mesh pass after steps first + 1 .. last from the start, cycled, each pass after a fresh
// step, so the knobs that moved since the last pass need their angles anew.
void updateMeshOverSteps(benchmark::State& state, int first, int last) {
    std::unique_ptr<BenchCloth> app(new BenchCloth), start(new BenchCloth);
    for (int s = 0; s < first; s++) start->step();
    *app = *start;
    int steps = first;
    for (auto _ : state) {
        state.PauseTiming();
        if (steps == last) {
            *app = *start;
            steps = first;
        }
        app->step();
        steps++;
        state.ResumeTiming();
        app->updateMesh();
        benchmark::DoNotOptimize(app->blanky->vertexList[0].z);
    }
    state.SetItemsProcessed(state.iterations() * drapoKnobs);
}
// While the sheet falls flat (steps 1 .. 100): only heights change, so every angle stays.
void BM_UpdateMeshFalling(benchmark::State& state) { updateMeshOverSteps(state, 0, 100); }
BENCHMARK(BM_UpdateMeshFalling)->Unit(benchmark::kMicrosecond);
// While it drapes (steps 101 .. 400): free knobs move sideways and their angles change.
void BM_UpdateMeshDraping(benchmark::State& state) { updateMeshOverSteps(state, 100, 400); }
BENCHMARK(BM_UpdateMeshDraping)->Unit(benchmark::kMicrosecond);
// Once it has settled (steps 1001 .. 1300), as in nearly every frame of a running program: about a
// thousand free knobs still move a little in every step.
void BM_UpdateMeshSettled(benchmark::State& state) { updateMeshOverSteps(state, 1000, 1300); }
BENCHMARK(BM_UpdateMeshSettled)->Unit(benchmark::kMicrosecond);

// makeApp as main calls it. The object is destroyed and released again (its destructor is trivial);
// its mesh cannot be, so memory grows by about 0.8 MB per iteration and the run is capped.
void BM_MakeApp(benchmark::State& state) {
    for (auto _ : state) {
        ktApp* app = makeApp();
        benchmark::DoNotOptimize(app);
        state.PauseTiming();
        drapoApp* cloth = static_cast<drapoApp*>(app);
        cloth->~drapoApp();
        ::operator delete(cloth);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MakeApp)->Unit(benchmark::kMicrosecond)->Iterations(100);

}  // namespace
