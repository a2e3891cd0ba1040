// Where drapo's own CPU time goes inside real frames. The cloth's frames are drawn in a window as
// drapoApp::draw makes them, and the mesh as ktShape::draw draws it, with each part timed apart:
// the simulation step, the mesh pass, the mesh's world and window positions, its normals, and the
// immediate-mode calls that send it (which the bare program of scripts/bench-frames.sh makes too;
// the first four are drapo's own work). Between two frames llvmpipe's rasterisation and the copy
// to the X server sweep the caches, so each part costs more here than in bench_cloth and
// bench_shapes, which repeat it on warm caches: this is the cost that the whole-frames ratio sees.
// A round draws frames 1 .. 330 of a fresh cloth; the first 30 warm up and the others are averaged
// in three stretches: the sheet falling flat (frames 31-100), draping (101-200) and settled
// (201-330). Prints each round's averages and the medians over the rounds. Two builds compare best
// by the parts they did not change, which share each spell of this machine: a part's share of the
// frame moves far less than its time.
// Usage: bench_frame_work [rounds] (default 5); run it through scripts/with-xvfb.sh.
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/benchFrameLoop.h"
#include "demo/drapoApp.h"
#include "framework/ktApp.h"
#include "framework/ktu.h"
#include "math/ktTransforms.h"
#include "shapes/ktShapeDrawPasses.h"

namespace {

using Clock = std::chrono::steady_clock;

const int warmupFrames = 30;
const int roundFrames = 330;
const int stretches = 3;
const char* const stretchNames[stretches] = {"falling 31-100", "draping 101-200", "settled 201-330"};
const int parts = 5;  // the first ownParts are drapo's own work
const int ownParts = 4;
const char* const partNames[parts] = {"step", "mesh pass", "world and window positions", "normals",
                                      "sending"};

// The stretch of frame f (1 .. roundFrames) after the warm-up.
int stretchOf(int f) { return f <= 100 ? 0 : f <= 200 ? 1 : 2; }

double microseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

// The window's application: each frame is one of the cloth's, its parts timed.
class TimedFrames : public ktApp {
public:
    std::unique_ptr<drapoApp> cloth;
    float j = 0.0f;                      // frames drawn (runFrames watches it)
    double sums[stretches][parts] = {};  // microseconds per stretch and part
    int frames[stretches] = {};

    void draw() override {
        drapoApp& c = *cloth;
        benchClothModelTransform(c.j);
        ktTransformsCaptureCamera();
        Clock::time_point t[parts + 1];
        t[0] = Clock::now();
        c.step();
        t[1] = Clock::now();
        c.updateMesh();
        t[2] = Clock::now();
        // The mesh's draw, part by part.
        ktMeshShape& mesh = *c.blanky;
        ktPushMatrix();
        ktShapeApplyTransforms(mesh.transformOrder, mesh.Translation, mesh.Rotation, mesh.Scale);
        mesh.space.set(getCurrentMatrix());
        ktShapeWorldPositions(mesh.vertexList, mesh.absVertexList, mesh.listLength);
        if (mesh.enablePicking)
            ktShapeWindowPositions(mesh.absVertexList, mesh.screenVertexList, mesh.listLength);
        t[3] = Clock::now();
        if (mesh.enableVertexNormals) mesh.calculateNormals();
        t[4] = Clock::now();
        ktShapeSendGL(mesh);
        ktPopMatrix();
        t[5] = Clock::now();
        c.j += 1.0f;
        j += 1.0f;
        const int f = static_cast<int>(c.j);
        if (f <= warmupFrames) return;
        const int s = stretchOf(f);
        for (int p = 0; p < parts; p++) sums[s][p] += microseconds(t[p], t[p + 1]);
        frames[s]++;
    }
};

void printRow(const char* label, const double (&us)[stretches + 1][parts]) {
    std::printf("%-8s", label);
    for (int s = 0; s <= stretches; s++) {
        double own = 0.0;
        for (int p = 0; p < ownParts; p++) own += us[s][p];
        std::printf(" | %5.1f %5.1f %5.1f %5.1f = %5.1f %6.0f", us[s][0], us[s][1], us[s][2], us[s][3], own,
                    us[s][4]);
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    ktuOpen();
    TimedFrames* app = new TimedFrames;
    app->subStart();
    std::printf("%d rounds; us per frame: %s, %s, %s, %s = own work; %s\n", rounds, partNames[0],
                partNames[1], partNames[2], partNames[3], partNames[4]);
    std::printf("%-8s", "");
    for (int s = 0; s < stretches; s++) std::printf(" | %-36s", stretchNames[s]);
    std::printf(" | %-36s\n", "all 31-330");
    std::vector<double> all[stretches + 1][parts];
    for (int round = 0; round < rounds; round++) {
        app->cloth.reset(new drapoApp);
        for (auto& row : app->sums) std::fill(row, row + parts, 0.0);
        std::fill(app->frames, app->frames + stretches, 0);
        if (!runFrames(app, roundFrames)) {
            std::fprintf(stderr, "bench_frame_work: drawing stopped\n");
            return 1;
        }
        double us[stretches + 1][parts] = {};
        for (int p = 0; p < parts; p++) {
            for (int s = 0; s < stretches; s++) {
                us[s][p] = app->sums[s][p] / app->frames[s];
                us[stretches][p] += app->sums[s][p] / (roundFrames - warmupFrames);
            }
            for (int s = 0; s <= stretches; s++) all[s][p].push_back(us[s][p]);
        }
        char label[24];
        std::snprintf(label, sizeof label, "round %d", round + 1);
        printRow(label, us);
    }
    double medians[stretches + 1][parts];
    for (int s = 0; s <= stretches; s++)
        for (int p = 0; p < parts; p++) medians[s][p] = benchQuantile(all[s][p], 0.5);
    printRow("median", medians);
    return 0;
}
