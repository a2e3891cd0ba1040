// Frame rate of the cloth demonstration as drapo runs it: the framework is opened and the
// application made exactly as main does, but the object is registered with subStart so that this
// program can drive freeglut's loop itself (one idle_cb and one glutMainLoopEvent per frame, as the
// main loop would) and time a fixed number of frames after a warm-up. Run it through
// scripts/with-xvfb.sh; KT_XVFB_SCREEN chooses the screen size there.
#include <GL/freeglut.h>

#include <cstdio>

#include "bench/benchFrameLoop.h"
#include "demo/drapoApp.h"
#include "framework/ktApp.h"
#include "framework/ktu.h"

namespace {

const int warmupFrames = 30;
const int timedFrames = 300;

}  // namespace

int main() {
    ktuOpen();
    ktApp* app = makeApp();
    app->subStart();
    drapoApp* cloth = static_cast<drapoApp*>(app);

    return timeFrames(cloth, "bench_frames", warmupFrames, timedFrames);
}
