// The floor for bench_frames: the same window, view frame, lighting, colour material and model
// transform, and the same 19 800 vertices of the cloth's 99 triangle strips with their normals and
// colours, sent in immediate mode with the same calls, but from arrays computed before timing
// (bench/benchBareFrames.h), so that a frame does nothing but send and rasterise them. The arrays
// are snapshots of the cloth every 10 frames of the run bench_frames times (frames 1 .. 330); frame
// f sends the snapshot of its ten-frame block with its own spin. Driven exactly like bench_frames:
// one idle_cb and one glutMainLoopEvent per frame, 30 warm-up frames, then 300 timed. Run it
// through scripts/with-xvfb.sh (scripts/bench-frames.sh runs both programs and prints the ratio).
#include "bench/benchBareFrames.h"
#include "bench/benchFrameLoop.h"
#include "framework/ktApp.h"
#include "framework/ktu.h"

namespace {

const int warmupFrames = 30;
const int timedFrames = 300;

class BareFrames : public ktApp {
public:
    BareScene scene;
    float j = 0.0f;

    void draw() override {
        drawBareFrame(scene, j);
        j += 1.0f;
    }
};

}  // namespace

int main() {
    ktuOpen();
    BareFrames* app = new BareFrames;
    app->scene = captureBareScene(warmupFrames + timedFrames);
    app->subStart();

    return timeFrames(app, "bench_bare_frames", warmupFrames, timedFrames);
}
