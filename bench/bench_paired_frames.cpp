// drapo's frames against the bare frames in one process, on one window, in alternated blocks of
// ten: a run of bench_frames and then one of bench_bare_frames see different spells of the
// machine (their rates move by up to a tenth from run to run), while two blocks a tenth of a second
// apart see nearly the same one. One round draws frames 0 .. 329 of a fresh drapo object and, for
// every block of ten of those, the bare frames of the same content (bench/benchBareFrames.h); the
// order within a pair of blocks alternates. The first three blocks of a round warm up; the other 30
// are timed. Prints, over every timed pair, drapo's rate against the bare rate (total time of the
// bare blocks over that of drapo's) and the median and quartiles of the pairs' own ratios.
// Usage: bench_paired_frames [rounds] (default 10); run it through scripts/with-xvfb.sh.
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/benchBareFrames.h"
#include "bench/benchFrameLoop.h"
#include "demo/drapoApp.h"
#include "framework/ktApp.h"
#include "framework/ktu.h"

namespace {

const int blockFrames = 10;
const int warmupBlocks = 3;
const int blocks = 33;  // frames 0 .. 329, as bench_frames draws them

// The window's application: each frame is one of the cloth's own frames or one bare frame.
class PairedFrames : public ktApp {
public:
    std::unique_ptr<drapoApp> cloth;
    BareScene scene;
    bool bare = false;
    float bareFrame = 0.0f;  // the bare frame to draw next
    float j = 0.0f;          // frames drawn, of either kind

    void draw() override {
        if (bare) {
            drawBareFrame(scene, bareFrame);
            bareFrame += 1.0f;
        } else {
            cloth->draw();
        }
        j += 1.0f;
    }
};

double seconds(PairedFrames* app, bool bare) {
    using Clock = std::chrono::steady_clock;
    app->bare = bare;
    const Clock::time_point start = Clock::now();
    if (!runFrames(app, blockFrames)) {
        std::fprintf(stderr, "bench_paired_frames: drawing stopped\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    ktuOpen();
    PairedFrames* app = new PairedFrames;
    app->scene = captureBareScene(blocks * blockFrames);
    app->subStart();
    double clothTotal = 0.0, bareTotal = 0.0;
    std::vector<double> ratios;
    for (int round = 0; round < rounds; round++) {
        app->cloth.reset(new drapoApp);
        for (int b = 0; b < blocks; b++) {
            app->bareFrame = static_cast<float>(b * blockFrames);
            double cloth, bare;
            if ((b + round) % 2 == 0) {
                cloth = seconds(app, false);
                bare = seconds(app, true);
            } else {
                bare = seconds(app, true);
                cloth = seconds(app, false);
            }
            if (b < warmupBlocks) continue;
            clothTotal += cloth, bareTotal += bare;
            ratios.push_back(bare / cloth);
        }
    }
    const double frames = static_cast<double>(ratios.size() * blockFrames);
    std::printf(
        "window %d x %d, %d rounds, %zu pairs of %d frames: drapo %.2f, bare %.2f frames per second\n",
        ktuWindowWidth, ktuWindowHeight, rounds, ratios.size(), blockFrames, frames / clothTotal,
        frames / bareTotal);
    std::printf(
        "ratio drapo / bare: %.2f %% of the total times, pairs: median %.2f %%, quartiles %.2f %% .. %.2f "
        "%%\n",
        100.0 * bareTotal / clothTotal, 100.0 * benchQuantile(ratios, 0.5),
        100.0 * benchQuantile(ratios, 0.25), 100.0 * benchQuantile(ratios, 0.75));
    return 0;
}
