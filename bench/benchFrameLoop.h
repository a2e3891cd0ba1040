// Frame loop shared by the frame-rate programs: drives freeglut as its main loop would (one idle_cb
// and one glutMainLoopEvent per turn) until the application's frame counter `j` has advanced; and
// drapo's model transform, for the programs that draw its frames themselves.
#ifndef KT_BENCH_BENCHFRAMELOOP_H
#define KT_BENCH_BENCHFRAMELOOP_H

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "framework/ktApp.h"
#include "framework/ktu.h"

// drapo's model transform for frame j (see drapoApp::draw), for the programs that draw its frames
// themselves.
inline void benchClothModelTransform(float j) {
    glTranslatef(500.0f, 350.0f, 0.0f);
    glRotatef(-45.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(-4.0f * j, 0.0f, 0.0f, 1.0f);
    glScalef(50.0f, 50.0f, 50.0f);
}

// Quantile q (0 .. 1) of a non-empty sample, interpolated between its two nearest values.
inline double benchQuantile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    const double at = q * static_cast<double>(v.size() - 1);
    const size_t low = static_cast<size_t>(at);
    const size_t high = std::min(low + 1, v.size() - 1);
    return v[low] + (at - static_cast<double>(low)) * (v[high] - v[low]);
}

// Runs turns until `frames` more frames have been drawn. Gives up (false) after 30 s without a
// single frame, for instance when the window never gets a size.
template <class App>
bool runFrames(App* app, int frames) {
    using Clock = std::chrono::steady_clock;
    const float target = app->j + static_cast<float>(frames);
    float last = app->j;
    Clock::time_point progress = Clock::now();
    while (app->j < target) {
        idle_cb();
        glutMainLoopEvent();
        if (app->j != last) {
            last = app->j;
            progress = Clock::now();
        } else if (Clock::now() - progress > std::chrono::seconds(30)) {
            return false;
        }
    }
    return true;
}

// Runs `warmup` frames, then times `timed` more and prints the rate; the exit status for main.
template <class App>
int timeFrames(App* app, const char* name, int warmup, int timed) {
    using Clock = std::chrono::steady_clock;
    if (!runFrames(app, warmup)) {
        std::fprintf(stderr, "%s: no frame was drawn\n", name);
        return 1;
    }
    const Clock::time_point start = Clock::now();
    if (!runFrames(app, timed)) {
        std::fprintf(stderr, "%s: drawing stopped\n", name);
        return 1;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf(
        "window %d x %d, frames %d after %d warm-up, %.3f s, %.2f frames per second, %.2f ms per frame\n",
        ktuWindowWidth, ktuWindowHeight, timed, warmup, seconds, timed / seconds, 1000.0 * seconds / timed);
    return 0;
}

#endif
