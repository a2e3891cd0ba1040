// The terrain under the cloth: a floor at height 4 with a relief at height 5 spelling H, E, W
// along the cloth's y direction. Each letter is a union of axis-aligned strokes tested in a shifted
// coordinate of its own; the W's two diagonals are bars sheared at slope 0.8. Letter coordinates
// and sheared bounds are formed in double and handed to rect as floats.
#include "demo/drapoApp.h"
#include "demo/drapoCloth.h"

namespace {

inline float rectTest(float x, float y, float top, float left, float bottom, float right) {
    // Written as one conjunction of ordered comparisons, so a NaN anywhere fails.
    return (top <= y && y <= bottom && left <= x && x <= right) ? 1.0f : 0.0f;
}

inline bool within(float v, float low, float high) { return low <= v && v <= high; }

}  // namespace

float rect(float x, float y, float top, float left, float bottom, float right) {
    return rectTest(x, y, top, left, bottom, right);
}

// Every stroke yields the same height, so a test that cannot succeed may be left out without
// changing the answer. Points outside the band of x that all strokes share, and a letter's strokes
// when its coordinate lies outside the range that all of them share, are rejected by one
// comparison of the very float that the strokes would compare.
float drapoApp::surface(float x, float y) {
    const float floorHeight = 4.0f;
    const float reliefHeight = drapoTerrainTop;

    const float xs = x + 20.0f;
    const float shifted = y + 50.0f;
    const float ys = 100.0f - shifted;  // 50 - y

    // Every stroke lies within 20 <= xs <= 50 (the diagonals' sheared bounds stay within 20 ... 34),
    // so anything outside that band, or NaN, is floor without testing the strokes.
    if (!within(xs, 20.0f, 50.0f)) return floorHeight;

    const double yd = ys;
    const float a = static_cast<float>(yd + 2.5);   // W, half at larger y
    const float b = static_cast<float>(52.5 - yd);  // W, mirrored half
    const float c = static_cast<float>(72.5 - yd);  // E
    const float d = static_cast<float>(yd + 7.5);   // H

    // W: head serif, stem and outer foot serif of each half (a and b within 10 ... 25), then the
    // two diagonals (a within 20 ... 35).
    if (within(a, 10.0f, 25.0f)) {
        if (rectTest(xs, a, 10.0f, 45.0f, 25.0f, 50.0f) != 0.0f || rectTest(xs, a, 15.0f, 25.0f, 20.0f, 45.0f) != 0.0f ||
            rectTest(xs, a, 10.0f, 20.0f, 20.0f, 25.0f) != 0.0f)
            return reliefHeight;
    }
    if (within(b, 10.0f, 25.0f)) {
        if (rectTest(xs, b, 10.0f, 45.0f, 25.0f, 50.0f) != 0.0f || rectTest(xs, b, 15.0f, 25.0f, 20.0f, 45.0f) != 0.0f ||
            rectTest(xs, b, 10.0f, 20.0f, 20.0f, 25.0f) != 0.0f)
            return reliefHeight;
    }
    if (within(a, 20.0f, 35.0f)) {
        const double s1 = (yd - 17.5) * 0.8;
        const double s2 = (yd - 32.5) * 0.8;
        if (rectTest(xs, a, 20.0f, static_cast<float>(20.0 + s1), 27.5f, static_cast<float>(28.0 + s1)) != 0.0f ||
            rectTest(xs, a, 27.5f, static_cast<float>(20.0 - s2), 35.0f, static_cast<float>(28.0 - s2)) != 0.0f)
            return reliefHeight;
    }
    // E: stem, upper, middle and lower arms (c within 10 ... 25).
    if (within(c, 10.0f, 25.0f)) {
        if (rectTest(xs, c, 10.0f, 20.0f, 15.0f, 50.0f) != 0.0f || rectTest(xs, c, 15.0f, 45.0f, 25.0f, 50.0f) != 0.0f ||
            rectTest(xs, c, 15.0f, 32.5f, 22.5f, 37.5f) != 0.0f || rectTest(xs, c, 15.0f, 20.0f, 25.0f, 25.0f) != 0.0f)
            return reliefHeight;
    }
    // H: two stems and the crossbar (d within 75 ... 100).
    if (within(d, 75.0f, 100.0f)) {
        if (rectTest(xs, d, 75.0f, 20.0f, 80.0f, 50.0f) != 0.0f || rectTest(xs, d, 95.0f, 20.0f, 100.0f, 50.0f) != 0.0f ||
            rectTest(xs, d, 80.0f, 32.5f, 95.0f, 37.5f) != 0.0f)
            return reliefHeight;
    }
    return floorHeight;
}
