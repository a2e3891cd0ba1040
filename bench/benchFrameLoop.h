// Frame loop shared by the frame-rate programs: drives freeglut as its main loop would (one idle_cb
// and one glutMainLoopEvent per turn) until the application's frame counter `j` has advanced.
#ifndef KT_BENCH_BENCHFRAMELOOP_H
#define KT_BENCH_BENCHFRAMELOOP_H

#include <GL/freeglut.h>

#include <chrono>

#include "framework/ktApp.h"

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

#endif
