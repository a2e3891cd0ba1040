// The terrain under the cloth (demo/drapoRelief.h) as the application's surface, and the stroke test
// that it is built from.
#include "demo/drapoApp.h"
#include "demo/drapoRelief.h"

float rect(float x, float y, float top, float left, float bottom, float right) {
    return drapoInRect(x, y, top, left, bottom, right) ? 1.0f : 0.0f;
}

float drapoApp::surface(float x, float y) { return drapoRelief(x, y); }
