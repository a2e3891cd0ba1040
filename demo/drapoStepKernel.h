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

// Mask bits of L's lanes (bit l for lane l).
template <class L, class M>
inline int drapoBits(M m) {
    if constexpr (std::is_same<L, float>::value) {
        return m ? 1 : 0;
    } else {
        return ktMaskBits(m);
    }
}

// The free bits of knobs k .. k + w - 1 (k a multiple of w, w dividing 16).
template <int W>
inline int drapoFreeBits(const uint16_t* mask, int k) {
    return (mask[k >> 4] >> (k & 15)) & ((1 << W) - 1);
}
template <int W>
inline void drapoSetFreeBits(uint16_t* mask, int k, int bits) {
    const int shift = k & 15, lanes = ((1 << W) - 1) << shift;
    mask[k >> 4] = static_cast<uint16_t>((mask[k >> 4] & ~lanes) | (bits << shift));
}

// Moves between the knobs (seven floats each: pos, vel, then the pinned flag's word) and lanes.
static_assert(sizeof(clothknob) == 7 * sizeof(float), "clothknob must be seven floats");
const int drapoKnobFloats = 7;

// Float `field` (0 .. 5: pos x, y, z, vel x, y, z) of the knobs from p on, one per lane.
inline void drapoGather(const clothknob* p, int field, float& out) {
    out = reinterpret_cast<const float*>(p)[field];
}
// Bit l set where knob l from p on is pinned.
inline int drapoPinned(const clothknob* p, float) { return p->on_surf ? 1 : 0; }

inline void drapoGather(const clothknob* p, int field, ktFloat4& out) {
    const float* f = reinterpret_cast<const float*>(p) + field;
#if KT_LANES_SSE2
    out = ktFloat4(_mm_setr_ps(f[0], f[7], f[14], f[21]));
#else
    for (int l = 0; l < 4; l++) out.v[l] = f[drapoKnobFloats * l];
#endif
}
inline int drapoPinned(const clothknob* p, ktFloat4) {
    return (p[0].on_surf ? 1 : 0) | (p[1].on_surf ? 2 : 0) | (p[2].on_surf ? 4 : 0) | (p[3].on_surf ? 8 : 0);
}

#ifdef KT_MATH_KTLANESAVX2_H
inline __m256i drapoKnobIndex8() { return _mm256_setr_epi32(0, 7, 14, 21, 28, 35, 42, 49); }
inline void drapoGather(const clothknob* p, int field, ktFloat8& out) {
    out = ktFloat8(_mm256_i32gather_ps(reinterpret_cast<const float*>(p) + field, drapoKnobIndex8(), 4));
}
// The flag is the low byte of the knob's seventh word; the other three bytes are padding.
inline int drapoPinned(const clothknob* p, ktFloat8) {
    const __m256i words =
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(p) + 6, drapoKnobIndex8(), 4);
    const __m256i flags = _mm256_and_si256(words, _mm256_set1_epi32(0xff));
    const __m256i clear = _mm256_cmpeq_epi32(flags, _mm256_setzero_si256());
    return ~_mm256_movemask_ps(_mm256_castsi256_ps(clear)) & 0xff;
}
#endif

#ifdef KT_MATH_KTLANESAVX512_H
inline __m512i drapoKnobIndex16() {
    return _mm512_setr_epi32(0, 7, 14, 21, 28, 35, 42, 49, 56, 63, 70, 77, 84, 91, 98, 105);
}
inline void drapoGather(const clothknob* p, int field, ktFloat16& out) {
    out = ktFloat16(_mm512_i32gather_ps(drapoKnobIndex16(), reinterpret_cast<const float*>(p) + field, 4));
}
inline int drapoPinned(const clothknob* p, ktFloat16) {
    const __m512i words = _mm512_i32gather_epi32(drapoKnobIndex16(), reinterpret_cast<const int*>(p) + 6, 4);
    return _mm512_test_epi32_mask(words, _mm512_set1_epi32(0xff));
}
#endif

// Contact pass. A free knob below the terrain's top is tested one at a time (drapoTouch), then its
// group is read again. `probe` collects (c + c) * 0 of every coordinate c: 0 where c is finite and
// at most half the float range, NaN otherwise.
template <class L>
bool drapoContactLanes(const drapoStepJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    constexpr int all = (1 << w) - 1;
    const L zero(0.0f), top(drapoTerrainTop);
    L probe(0.0f);
    clothknob* const thread = job.app->thread;
    for (int k = 0; k < drapoKnobs; k += w) {
        const clothknob* p = thread + k;
        int pinned = drapoPinned(p, L());
        L x, y, z;
        drapoGather(p, 2, z);
        const int touch = ~pinned & ~drapoBits<L>(z >= top) & all;
        if (touch != 0) {
            for (int l = 0; l < w; l++)
                if (touch & (1 << l)) drapoTouch(*job.app, k + l);
            pinned = drapoPinned(p, L());
            drapoGather(p, 2, z);
        }
        drapoGather(p, 0, x);
        drapoGather(p, 1, y);
        drapoStore(job.px + k, x);
        drapoStore(job.py + k, y);
        drapoStore(job.pz + k, z);
        drapoSetFreeBits<w>(job.freeMask, k, ~pinned & all);
        probe = probe + (((x + x) * zero + (y + y) * zero) + (z + z) * zero);
    }
    return drapoBits<L>(probe == probe) == all;
}

// All lanes of a mask, or all lanes where `present` holds.
template <class L, class M>
inline bool drapoAllWhere(M present, L value, L target) {
    return drapoBits<L>(ktSelect(present, value, target) == target) == (1 << ktLaneWidth<L>::value) - 1;
}

// Stage pass. The springs of the grid's border are absent: their term is 0, as the straightforward
// pass computes it from the absent side's finite scratch vector times 0. A side whose springs in
// all lanes are at rest (length exactly 1: del / 1 = del, del - del = 0) needs no division.
template <class L>
void drapoStageLanes(const drapoStepJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    constexpr int all = (1 << w) - 1;
    const L zero(0.0f), rest(drapoRestLength);
    const L iota = drapoLoad<L>(drapoLaneIndex);
    ktVec3f* const stages[4] = {job.app->k1, job.app->k2, job.app->k3, job.app->k4};
    for (int k = 0; k < drapoKnobs; k += w) {
        const int free = drapoFreeBits<w>(job.freeMask, k);
        if (free == 0) continue;
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
            if (drapoAllWhere(present, dist, rest)) {
                tx[s] = ty[s] = tz[s] = zero;
                return;
            }
            tx[s] = ktSelect(present, drapoSpringTerm(dx, dist), zero);
            ty[s] = ktSelect(present, drapoSpringTerm(dy, dist), zero);
            tz[s] = ktSelect(present, drapoSpringTerm(dz, dist), zero);
        };
        side(0, -1, column >= L(1.0f));
        side(1, 1, column < L(static_cast<float>(drapoSide - 1)));
        side(2, -drapoSide, index >= L(static_cast<float>(drapoSide)));
        side(3, drapoSide, index < L(static_cast<float>(drapoKnobs - drapoSide)));
        L fx, fy, fz;
        const L ix = drapoSpringIncrement(tx[0], tx[1], tx[2], tx[3], fx);
        const L iy = drapoSpringIncrement(ty[0], ty[1], ty[2], ty[3], fy);
        const L iz = drapoSpringIncrement(tz[0], tz[1], tz[2], tz[3], fz);
        if (free == all) {
            for (ktVec3f* stage : stages) ktStoreVertices(stage + k, ix, iy, iz);
        } else {
            alignas(64) float lanes[3][16];
            drapoStore(lanes[0], ix);
            drapoStore(lanes[1], iy);
            drapoStore(lanes[2], iz);
            for (int l = 0; l < w; l++) {
                if (!(free & (1 << l))) continue;
                for (ktVec3f* stage : stages) stage[k + l].set(lanes[0][l], lanes[1][l], lanes[2][l]);
            }
        }
    }
}

// Update pass: the four stage increments of a knob are its one increment, read from k1. The new
// velocities and positions are stored into the free knobs only.
template <class L>
void drapoUpdateLanes(const drapoStepJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    drapoApp& app = *job.app;
    const L gravity[3] = {L(app.enviro.x), L(app.enviro.y), L(app.enviro.z)};
    float* const positions[3] = {job.px, job.py, job.pz};
    for (int k = 0; k < drapoKnobs; k += w) {
        const int free = drapoFreeBits<w>(job.freeMask, k);
        if (free == 0) continue;
        L inc[3], vel[3], pos[3];
        ktLoadVertices(app.k1 + k, inc[0], inc[1], inc[2]);
        alignas(64) float lanes[6][16];
        for (int c = 0; c < 3; c++) {
            drapoGather(app.thread + k, 3 + c, vel[c]);
            pos[c] = drapoLoad<L>(positions[c] + k);
            drapoUpdate(inc[c], inc[c], inc[c], inc[c], gravity[c], vel[c], pos[c]);
            drapoStore(lanes[c], pos[c]);
            drapoStore(lanes[3 + c], vel[c]);
        }
        for (int l = 0; l < w; l++) {
            if (!(free & (1 << l))) continue;
            clothknob& knob = app.thread[k + l];
            knob.pos.set(lanes[0][l], lanes[1][l], lanes[2][l]);
            knob.vel.set(lanes[3][l], lanes[4][l], lanes[5][l]);
        }
    }
}

}  // namespace

#endif
