// The exact-type step's stage and update passes over lanes of knobs, written once over a value
// type L (float, or a lane type of math/ktLanes*.h): lane l of a group holds knob k + l, and every
// lane runs the formulas of demo/drapoCloth.h in the scalar order, so each knob gets the bits of
// the straightforward step. Groups without a free knob are skipped; a pinned knob's lanes are
// computed but never stored. Included by one source file per instruction set, which instantiates
// the passes for its lane type; internal linkage throughout (see math/ktLanes.h).
#ifndef KT_DEMO_DRAPOSTEPKERNEL_H
#define KT_DEMO_DRAPOSTEPKERNEL_H

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <type_traits>

#include "demo/drapoCloth.h"
#include "demo/drapoStep.h"
#include "math/ktLanes.h"

namespace {

const float drapoLaneIndex[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

template <class L>
inline L drapoLoad(const float* p) {
    return L::load(p);
}
template <>
inline float drapoLoad<float>(const float* p) {
    return *p;
}
template <class L>
inline void drapoStore(float* p, L v) {
    v.store(p);
}
template <>
inline void drapoStore<float>(float* p, float v) {
    *p = v;
}

// True when the mask holds in every lane of L.
template <class L, class M>
inline bool drapoAllLanes(M m) {
    if constexpr (std::is_same<L, float>::value) {
        return m;
    } else {
        return ktMaskBits(m) == (1 << L::width) - 1;
    }
}

// Whether any (every) knob of the group of W starting at f is free: W flag bytes read as words.
template <int W>
inline uint64_t drapoFreeWord(const unsigned char* f, int c) {
    if constexpr (W == 1) {
        return f[0];
    } else if constexpr (W == 4) {
        uint32_t u;
        std::memcpy(&u, f, sizeof u);
        return u;
    } else {
        uint64_t u;
        std::memcpy(&u, f + c, sizeof u);
        return u;
    }
}
template <int W>
inline bool drapoAnyFree(const unsigned char* f) {
    uint64_t any = 0;
    for (int c = 0; c < (W < 8 ? 1 : W); c += 8) any |= drapoFreeWord<W>(f, c);
    return any != 0;
}
template <int W>
inline bool drapoAllFree(const unsigned char* f) {
    const uint64_t ones = W == 1 ? 1u : W == 4 ? 0x01010101u : 0x0101010101010101ull;
    bool all = true;
    for (int c = 0; c < (W < 8 ? 1 : W); c += 8) all = all && drapoFreeWord<W>(f, c) == ones;
    return all;
}

// Stage pass. The springs of the grid's border are absent: their term is 0, as the straightforward
// pass computes it from the absent side's scratch vector times 0 as long as that vector is finite.
// `probe` collects 0 for every present spring whose difference is finite and NaN otherwise.
template <class L>
bool drapoStageLanes(const drapoStepJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    const L zero(0.0f);
    const L iota = drapoLoad<L>(drapoLaneIndex);
    L probe(0.0f);
    for (int k = 0; k < drapoKnobs; k += w) {
        if (!drapoAnyFree<w>(job.freeKnob + k)) continue;
        const L hx = drapoLoad<L>(job.px + k), hy = drapoLoad<L>(job.py + k), hz = drapoLoad<L>(job.pz + k);
        // Column and index of every lane; a group may run on into the next row.
        const L rawColumn = L(static_cast<float>(k % drapoSide)) + iota;
        const auto wrapped = rawColumn >= L(static_cast<float>(drapoSide));
        const L column = ktSelect(wrapped, rawColumn - L(static_cast<float>(drapoSide)), rawColumn);
        const L index = L(static_cast<float>(k)) + iota;
        L tx[4], ty[4], tz[4];
        auto side = [&](int s, int offset, auto present) {
            const L dx = drapoLoad<L>(job.px + k + offset) - hx;
            const L dy = drapoLoad<L>(job.py + k + offset) - hy;
            const L dz = drapoLoad<L>(job.pz + k + offset) - hz;
            const L dist = ktLength(dx, dy, dz);
            tx[s] = ktSelect(present, drapoSpringTerm(dx, dist), zero);
            ty[s] = ktSelect(present, drapoSpringTerm(dy, dist), zero);
            tz[s] = ktSelect(present, drapoSpringTerm(dz, dist), zero);
            probe = probe + ktSelect(present, ((dx - dx) + (dy - dy)) + (dz - dz), zero);
        };
        side(0, -1, column >= L(1.0f));
        side(1, 1, column < L(static_cast<float>(drapoSide - 1)));
        side(2, -drapoSide, index >= L(static_cast<float>(drapoSide)));
        side(3, drapoSide, index < L(static_cast<float>(drapoKnobs - drapoSide)));
        L fx, fy, fz;
        const L ix = drapoSpringIncrement(tx[0], tx[1], tx[2], tx[3], fx);
        const L iy = drapoSpringIncrement(ty[0], ty[1], ty[2], ty[3], fy);
        const L iz = drapoSpringIncrement(tz[0], tz[1], tz[2], tz[3], fz);
        drapoStore(job.ix + k, ix);
        drapoStore(job.iy + k, iy);
        drapoStore(job.iz + k, iz);
        if (drapoAllFree<w>(job.freeKnob + k)) {
            for (ktVec3f* stage : {job.k1, job.k2, job.k3, job.k4}) ktStoreVertices(stage + k, ix, iy, iz);
        } else {
            for (int l = 0; l < w; l++) {
                if (!job.freeKnob[k + l]) continue;
                for (ktVec3f* stage : {job.k1, job.k2, job.k3, job.k4})
                    stage[k + l].set(job.ix[k + l], job.iy[k + l], job.iz[k + l]);
            }
        }
    }
    return drapoAllLanes<L>(probe == probe);
}

// Update pass: the four stage increments of a knob are its one increment.
template <class L>
void drapoUpdateLanes(const drapoStepJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    const L gravity[3] = {L(job.gx), L(job.gy), L(job.gz)};
    const float* const increments[3] = {job.ix, job.iy, job.iz};
    float* const velocities[3] = {job.vx, job.vy, job.vz};
    const float* const positions[3] = {job.px, job.py, job.pz};
    float* const moved[3] = {job.nx, job.ny, job.nz};
    for (int k = 0; k < drapoKnobs; k += w) {
        if (!drapoAnyFree<w>(job.freeKnob + k)) continue;
        for (int c = 0; c < 3; c++) {
            const L inc = drapoLoad<L>(increments[c] + k);
            L vel = drapoLoad<L>(velocities[c] + k);
            L pos = drapoLoad<L>(positions[c] + k);
            drapoUpdate(inc, inc, inc, inc, gravity[c], vel, pos);
            drapoStore(velocities[c] + k, vel);
            drapoStore(moved[c] + k, pos);
        }
    }
}

}  // namespace

#endif
