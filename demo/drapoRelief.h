// The terrain under the cloth, written once over float or a lane type L of math/ktLanes*.h: a
// floor at height 4 with a relief at height 5 spelling H, E, W along the cloth's y direction. Each
// letter is a union of axis-aligned strokes tested in a shifted coordinate of its own; the W's two
// diagonals are bars sheared at slope 0.8. Letter coordinates and sheared bounds are formed in
// double and compared as floats. Internal linkage, for the reason given in math/ktLanes.h.
#ifndef KT_DEMO_DRAPORELIEF_H
#define KT_DEMO_DRAPORELIEF_H

#include <initializer_list>

#include "demo/drapoCloth.h"
#include "math/ktLanes.h"

namespace {

// Where top <= y <= bottom and left <= x <= right: ordered comparisons, so a NaN anywhere fails.
template <class L>
inline auto drapoInRect(L x, L y, L top, L left, L bottom, L right) {
    return ((y >= top) & (bottom >= y)) & ((x >= left) & (right >= x));
}

template <class L>
inline auto drapoWithin(L v, float low, float high) {
    return (v >= L(low)) & (L(high) >= v);
}

// Where x lies in the band that all strokes share (20 <= x + 20 <= 50, the W's diagonals included);
// the terrain is the floor everywhere else.
template <class L>
inline auto drapoReliefBand(L x) {
    return drapoWithin(x + L(20.0f), 20.0f, 50.0f);
}

// The terrain's height at (x, y), in every lane. Every stroke yields the same height, so a test
// that no lane can pass is left out: anything outside the band of x that all strokes share, and a
// letter's strokes where its coordinate lies outside the range that all of them share, which one
// comparison of the very float that the strokes would compare decides. With one lane this returns
// at the first stroke that holds.
template <class L>
inline L drapoRelief(L x, L y) {
    using D = decltype(ktWiden(x));
    const L floorHeight(drapoTerrainFloor), reliefHeight(drapoTerrainTop);
    const int every = (1 << ktLaneWidth<L>::value) - 1;

    const L xs = x + L(20.0f);
    const L shifted = y + L(50.0f);
    const L ys = L(100.0f) - shifted;  // 50 - y

    // Every stroke lies within 20 <= xs <= 50 (the diagonals' sheared bounds stay within 20 ... 34).
    const auto band = drapoReliefBand(x);
    if (ktMaskBits(band) == 0) return floorHeight;

    const D yd = ktWiden(ys);
    const L a = ktNarrow(yd + D(2.5));   // W, half at larger y
    const L b = ktNarrow(D(52.5) - yd);  // W, mirrored half
    const L c = ktNarrow(D(72.5) - yd);  // E
    const L d = ktNarrow(yd + D(7.5));   // H
    const L f10(10.0f), f15(15.0f), f20(20.0f), f25(25.0f), f45(45.0f), f50(50.0f);

    auto hit = xs < xs;  // no lane yet
    auto done = [&] { return (ktMaskBits(hit) & ktMaskBits(band)) == every; };
    // W: head serif, stem and outer foot serif of each half (a and b within 10 ... 25), then the
    // two diagonals (a within 20 ... 35).
    for (const L& half : {a, b}) {
        if (ktMaskBits(drapoWithin(half, 10.0f, 25.0f)) == 0) continue;
        hit = hit | drapoInRect(xs, half, f10, f45, f25, f50) | drapoInRect(xs, half, f15, f25, L(20.0f), f45) |
              drapoInRect(xs, half, f10, f20, f20, f25);
        if (done()) return reliefHeight;
    }
    if (ktMaskBits(drapoWithin(a, 20.0f, 35.0f)) != 0) {
        const D s1 = (yd - D(17.5)) * D(0.8);
        const D s2 = (yd - D(32.5)) * D(0.8);
        hit = hit | drapoInRect(xs, a, f20, ktNarrow(D(20.0) + s1), L(27.5f), ktNarrow(D(28.0) + s1)) |
              drapoInRect(xs, a, L(27.5f), ktNarrow(D(20.0) - s2), L(35.0f), ktNarrow(D(28.0) - s2));
        if (done()) return reliefHeight;
    }
    // E: stem, upper, middle and lower arms (c within 10 ... 25).
    if (ktMaskBits(drapoWithin(c, 10.0f, 25.0f)) != 0) {
        hit = hit | drapoInRect(xs, c, f10, f20, f15, f50) | drapoInRect(xs, c, f15, f45, f25, f50) |
              drapoInRect(xs, c, f15, L(32.5f), L(22.5f), L(37.5f)) | drapoInRect(xs, c, f15, f20, f25, f25);
        if (done()) return reliefHeight;
    }
    // H: two stems and the crossbar (d within 75 ... 100).
    if (ktMaskBits(drapoWithin(d, 75.0f, 100.0f)) != 0) {
        const L f75(75.0f), f80(80.0f), f95(95.0f);
        hit = hit | drapoInRect(xs, d, f75, f20, f80, f50) | drapoInRect(xs, d, f95, f20, L(100.0f), f50) |
              drapoInRect(xs, d, f80, L(32.5f), f95, L(37.5f));
    }
    return ktSelect(hit & band, reliefHeight, floorHeight);
}

}  // namespace

#endif
