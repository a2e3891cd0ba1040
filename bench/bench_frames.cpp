// Frame rate of the cloth demonstration as drapo runs it: the framework is opened and the
// application made exactly as main does, but the object is registered with subStart so that this
// program can drive freeglut's loop itself (one idle_cb and one glutMainLoopEvent per frame, as the
// main loop would) and time a fixed number of frames after a warm-up. Run it through
// scripts/with-xvfb.sh; KT_XVFB_SCREEN chooses the screen size there.
#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>

#include "bench/benchFrameLoop.h"
#include "demo/drapoApp.h"
#include "framework/ktApp.h"
#include "framework/ktu.h"

namespace {

const int warmupFrames = 30;
const int timedFrames = 300;

using Clock = std::chrono::steady_clock;

}  // namespace

int main() {
    ktuOpen();
    ktApp* app = makeApp();
    app->subStart();
    drapoApp* cloth = static_cast<drapoApp*>(app);

    if (!runFrames(cloth, warmupFrames)) {
        std::fprintf(stderr, "bench_frames: no frame was drawn\n");
        return 1;
    }
    const Clock::time_point start = Clock::now();
    if (!runFrames(cloth, timedFrames)) {
        std::fprintf(stderr, "bench_frames: drawing stopped\n");
        return 1;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf(
        "window %d x %d, frames %d after %d warm-up, %.3f s, %.2f frames per second, %.2f ms per frame\n",
        ktuWindowWidth, ktuWindowHeight, timedFrames, warmupFrames, seconds, timedFrames / seconds,
        1000.0 * seconds / timedFrames);
    return 0;
}
