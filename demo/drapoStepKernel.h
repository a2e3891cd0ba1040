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
#include "demo/drapoRelief.h"
#include "demo/drapoStep.h"
#include "math/ktLanes.h"

namespace {

const float drapoLaneIndex[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

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

// The knob moves are inlined wherever they are used: called out of line, their seven lanes would
// pass through memory.
#define KT_DRAPO_INLINE inline __attribute__((always_inline))

// Moves between the knobs (seven floats each: pos, vel, then the pinned flag's word) and lanes.
static_assert(sizeof(clothknob) == 7 * sizeof(float), "clothknob must be seven floats");
const int drapoKnobFloats = 7;

// All seven floats of the knobs from p on, one per lane (f[6] is the flag's word, moved as bits),
// and the pinned bits. Four knobs at a time are one 4 x 4 transpose of (pos, vel.x) and one of
// (vel, flag word): moves only, no value changes.
KT_DRAPO_INLINE int drapoLoadKnobs(const clothknob* p, float (&f)[7]) {
    std::memcpy(f, p, sizeof f);
    return p->on_surf ? 1 : 0;
}
KT_DRAPO_INLINE void drapoStoreKnobs(clothknob* p, const float (&f)[7], int free) {
    if (free) std::memcpy(reinterpret_cast<float*>(p), f, 6 * sizeof(float));
}

KT_DRAPO_INLINE int drapoLoadKnobs(const clothknob* p, ktFloat4 (&f)[7]) {
    const float* b = reinterpret_cast<const float*>(p);
#if KT_LANES_SSE2
    __m128 a0 = _mm_loadu_ps(b), a1 = _mm_loadu_ps(b + 7), a2 = _mm_loadu_ps(b + 14), a3 = _mm_loadu_ps(b + 21);
    __m128 c0 = _mm_loadu_ps(b + 3), c1 = _mm_loadu_ps(b + 10), c2 = _mm_loadu_ps(b + 17), c3 = _mm_loadu_ps(b + 24);
    _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
    _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
    f[0].v = a0, f[1].v = a1, f[2].v = a2, f[3].v = c0, f[4].v = c1, f[5].v = c2, f[6].v = c3;
    // The flag is the low byte of the seventh word; the other three bytes are padding.
    const __m128i flags = _mm_and_si128(_mm_castps_si128(c3), _mm_set1_epi32(0xff));
    return ~_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(flags, _mm_setzero_si128()))) & 15;
#else
    for (int l = 0; l < 4; l++)
        for (int c = 0; c < 7; c++) f[c].v[l] = b[drapoKnobFloats * l + c];
    return (p[0].on_surf ? 1 : 0) | (p[1].on_surf ? 2 : 0) | (p[2].on_surf ? 4 : 0) | (p[3].on_surf ? 8 : 0);
#endif
}
// Writes pos and vel (f[0 .. 5]) into the knobs whose bit is set in `free`; f[6] must be the
// words that drapoLoadKnobs read, since a knob's last twelve bytes are written whole.
KT_DRAPO_INLINE void drapoStoreKnobs(clothknob* p, const ktFloat4 (&f)[7], int free) {
    float* b = reinterpret_cast<float*>(p);
#if KT_LANES_SSE2
    __m128 a0 = f[0].v, a1 = f[1].v, a2 = f[2].v, a3 = f[3].v;
    __m128 c0 = f[3].v, c1 = f[4].v, c2 = f[5].v, c3 = f[6].v;
    _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
    _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
    const __m128 a[4] = {a0, a1, a2, a3}, c[4] = {c0, c1, c2, c3};
    for (int l = 0; l < 4; l++) {
        if (!(free & (1 << l))) continue;
        _mm_storeu_ps(b + drapoKnobFloats * l + 3, c[l]);
        _mm_storeu_ps(b + drapoKnobFloats * l, a[l]);
    }
#else
    for (int l = 0; l < 4; l++)
        if (free & (1 << l))
            for (int c = 0; c < 6; c++) b[drapoKnobFloats * l + c] = f[c].v[l];
#endif
}

// The same transposes on 128-bit lanes of wider registers: register lane q holds knobs 4q .. 4q + 3
// of the group, so a lane-wise transpose yields the group's lanes in order.
#ifdef KT_MATH_KTLANESAVX2_H
inline void drapoTranspose(__m256& r0, __m256& r1, __m256& r2, __m256& r3) {
    const __m256 t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpacklo_ps(r2, r3);
    const __m256 t2 = _mm256_unpackhi_ps(r0, r1), t3 = _mm256_unpackhi_ps(r2, r3);
    r0 = _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0));
    r1 = _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2));
    r2 = _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0));
    r3 = _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(3, 2, 3, 2));
}
// Floats o .. o + 3 of knob l (register lane 0) and of knob l + 4 (lane 1).
inline __m256 drapoKnobPair(const float* b, int l, int o) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(b + drapoKnobFloats * l + o)),
                                _mm_loadu_ps(b + drapoKnobFloats * (l + 4) + o), 1);
}
KT_DRAPO_INLINE int drapoLoadKnobs(const clothknob* p, ktFloat8 (&f)[7]) {
    const float* b = reinterpret_cast<const float*>(p);
    __m256 a0 = drapoKnobPair(b, 0, 0), a1 = drapoKnobPair(b, 1, 0), a2 = drapoKnobPair(b, 2, 0),
           a3 = drapoKnobPair(b, 3, 0);
    __m256 c0 = drapoKnobPair(b, 0, 3), c1 = drapoKnobPair(b, 1, 3), c2 = drapoKnobPair(b, 2, 3),
           c3 = drapoKnobPair(b, 3, 3);
    drapoTranspose(a0, a1, a2, a3);
    drapoTranspose(c0, c1, c2, c3);
    f[0].v = a0, f[1].v = a1, f[2].v = a2, f[3].v = c0, f[4].v = c1, f[5].v = c2, f[6].v = c3;
    const __m256i flags = _mm256_and_si256(_mm256_castps_si256(c3), _mm256_set1_epi32(0xff));
    return ~_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(flags, _mm256_setzero_si256()))) & 0xff;
}
KT_DRAPO_INLINE void drapoStoreKnobs(clothknob* p, const ktFloat8 (&f)[7], int free) {
    float* b = reinterpret_cast<float*>(p);
    __m256 a0 = f[0].v, a1 = f[1].v, a2 = f[2].v, a3 = f[3].v;
    __m256 c0 = f[3].v, c1 = f[4].v, c2 = f[5].v, c3 = f[6].v;
    drapoTranspose(a0, a1, a2, a3);
    drapoTranspose(c0, c1, c2, c3);
    const __m256 a[4] = {a0, a1, a2, a3}, c[4] = {c0, c1, c2, c3};
    for (int l = 0; l < 8; l++) {
        if (!(free & (1 << l))) continue;
        const int half = l >> 2;
        const __m128 cl = half ? _mm256_extractf128_ps(c[l & 3], 1) : _mm256_castps256_ps128(c[l & 3]);
        const __m128 al = half ? _mm256_extractf128_ps(a[l & 3], 1) : _mm256_castps256_ps128(a[l & 3]);
        _mm_storeu_ps(b + drapoKnobFloats * l + 3, cl);
        _mm_storeu_ps(b + drapoKnobFloats * l, al);
    }
}
#endif

#ifdef KT_MATH_KTLANESAVX512_H
inline void drapoTranspose(__m512& r0, __m512& r1, __m512& r2, __m512& r3) {
    const __m512 t0 = _mm512_unpacklo_ps(r0, r1), t1 = _mm512_unpacklo_ps(r2, r3);
    const __m512 t2 = _mm512_unpackhi_ps(r0, r1), t3 = _mm512_unpackhi_ps(r2, r3);
    r0 = _mm512_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0));
    r1 = _mm512_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2));
    r2 = _mm512_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0));
    r3 = _mm512_shuffle_ps(t2, t3, _MM_SHUFFLE(3, 2, 3, 2));
}
// Floats o .. o + 3 of knobs l, l + 4, l + 8 and l + 12 (register lanes 0 .. 3).
inline __m512 drapoKnobQuad(const float* b, int l, int o) {
    __m512 r = _mm512_castps128_ps512(_mm_loadu_ps(b + drapoKnobFloats * l + o));
    r = _mm512_insertf32x4(r, _mm_loadu_ps(b + drapoKnobFloats * (l + 4) + o), 1);
    r = _mm512_insertf32x4(r, _mm_loadu_ps(b + drapoKnobFloats * (l + 8) + o), 2);
    return _mm512_insertf32x4(r, _mm_loadu_ps(b + drapoKnobFloats * (l + 12) + o), 3);
}
KT_DRAPO_INLINE int drapoLoadKnobs(const clothknob* p, ktFloat16 (&f)[7]) {
    const float* b = reinterpret_cast<const float*>(p);
    __m512 a0 = drapoKnobQuad(b, 0, 0), a1 = drapoKnobQuad(b, 1, 0), a2 = drapoKnobQuad(b, 2, 0),
           a3 = drapoKnobQuad(b, 3, 0);
    __m512 c0 = drapoKnobQuad(b, 0, 3), c1 = drapoKnobQuad(b, 1, 3), c2 = drapoKnobQuad(b, 2, 3),
           c3 = drapoKnobQuad(b, 3, 3);
    drapoTranspose(a0, a1, a2, a3);
    drapoTranspose(c0, c1, c2, c3);
    f[0].v = a0, f[1].v = a1, f[2].v = a2, f[3].v = c0, f[4].v = c1, f[5].v = c2, f[6].v = c3;
    return _mm512_test_epi32_mask(_mm512_castps_si512(c3), _mm512_set1_epi32(0xff));
}
// Knobs 4 Q .. 4 Q + 3 of the group from register lane Q of the transposed rows.
template <int Q>
KT_DRAPO_INLINE void drapoStoreQuarter(float* b, const __m512 (&a)[4], const __m512 (&c)[4], int free) {
    for (int r = 0; r < 4; r++) {
        const int l = 4 * Q + r;
        if (!(free & (1 << l))) continue;
        _mm_storeu_ps(b + drapoKnobFloats * l + 3, _mm512_extractf32x4_ps(c[r], Q));
        _mm_storeu_ps(b + drapoKnobFloats * l, _mm512_extractf32x4_ps(a[r], Q));
    }
}
KT_DRAPO_INLINE void drapoStoreKnobs(clothknob* p, const ktFloat16 (&f)[7], int free) {
    float* b = reinterpret_cast<float*>(p);
    __m512 a[4] = {f[0].v, f[1].v, f[2].v, f[3].v}, c[4] = {f[3].v, f[4].v, f[5].v, f[6].v};
    drapoTranspose(a[0], a[1], a[2], a[3]);
    drapoTranspose(c[0], c[1], c[2], c[3]);
    drapoStoreQuarter<0>(b, a, c, free);
    drapoStoreQuarter<1>(b, a, c, free);
    drapoStoreQuarter<2>(b, a, c, free);
    drapoStoreQuarter<3>(b, a, c, free);
}
#endif

// Positions pass: the positions of all knobs into px, py and pz, the free knobs into freeMask, and
// the free knobs below the terrain's top (or at a NaN height) into the job's list; returns how many
// were listed. `probe` collects (c + c) * 0 of every coordinate c: 0 where c is finite and at most
// half the float range, NaN otherwise.
template <class L>
int drapoPositionLanes(const drapoStepJob& job, bool& finite) {
    constexpr int w = ktLaneWidth<L>::value;
    constexpr int all = (1 << w) - 1;
    const L zero(0.0f), top(drapoTerrainTop);
    L probe(0.0f);
    int below = 0;
    const clothknob* const thread = job.app->thread;
    for (int k = 0; k < drapoKnobs; k += w) {
        L f[7];
        const int free = ~drapoLoadKnobs(thread + k, f) & all;
        const L x = f[0], y = f[1], z = f[2];
        ktStore(job.px + k, x);
        ktStore(job.py + k, y);
        ktStore(job.pz + k, z);
        const int shift = k & 15, lanes = all << shift;
        job.freeMask[k >> 4] = static_cast<uint16_t>((job.freeMask[k >> 4] & ~lanes) | (free << shift));
        for (int low = free & ~drapoBits<L>(z >= top); low != 0; low &= low - 1)
            job.list[below++] = static_cast<float>(k + __builtin_ctz(static_cast<unsigned>(low)));
        probe = probe + (((x + x) * zero + (y + y) * zero) + (z + z) * zero);
    }
    finite = drapoBits<L>(probe == probe) == all;
    return below;
}

// All lanes of a mask, or all lanes where `present` holds.
template <class L, class M>
inline bool drapoAllWhere(M present, L value, L target) {
    return drapoBits<L>(ktSelect(present, value, target) == target) == (1 << ktLaneWidth<L>::value) - 1;
}

// Stage pass. The springs of the grid's border are absent: their term is 0, as the straightforward
// pass computes it from the absent side's finite scratch vector times 0. A side whose springs in
// all lanes are at rest (length exactly 1: del / 1 = del, del - del = 0) needs no division, and
// one whose squared lengths are all exactly 1 (the root of 1 is 1) no square root either.
template <class L>
void drapoStageLanes(const drapoStepJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    constexpr int all = (1 << w) - 1;
    const L zero(0.0f), rest(drapoRestLength);
    const L iota = ktLoad<L>(drapoLaneIndex);
    ktVec3f* const stages[4] = {job.app->k1, job.app->k2, job.app->k3, job.app->k4};
    for (int k = 0; k < drapoKnobs; k += w) {
        const int free = drapoFreeBits<w>(job.freeMask, k);
        if (free == 0) continue;
        const L hx = ktLoad<L>(job.px + k), hy = ktLoad<L>(job.py + k), hz = ktLoad<L>(job.pz + k);
        // Column and index of every lane; a group may run on into the next row.
        const L rawColumn = L(static_cast<float>(k % drapoSide)) + iota;
        const auto wrapped = rawColumn >= L(static_cast<float>(drapoSide));
        const L column = ktSelect(wrapped, rawColumn - L(static_cast<float>(drapoSide)), rawColumn);
        const L index = L(static_cast<float>(k)) + iota;
        L tx[4], ty[4], tz[4];
        auto side = [&](int s, int offset, auto present) {
            const L dx = ktLoad<L>(job.px + k + offset) - hx;
            const L dy = ktLoad<L>(job.py + k + offset) - hy;
            const L dz = ktLoad<L>(job.pz + k + offset) - hz;
            const L squared = ktSquaredLength(dx, dy, dz);
            if (drapoAllWhere(present, squared, rest)) {
                tx[s] = ty[s] = tz[s] = zero;
                return;
            }
            const L dist = ktSqrt(squared);
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
            ktStore(lanes[0], ix);
            ktStore(lanes[1], iy);
            ktStore(lanes[2], iz);
            for (int l = 0; l < w; l++) {
                if (!(free & (1 << l))) continue;
                // Member by member: an out-of-line ktVec3f::set compiled here (as in an unoptimised
                // build) would be a wide-target copy that the linker could hand to baseline code.
                for (ktVec3f* stage : stages) {
                    stage[k + l].x = lanes[0][l];
                    stage[k + l].y = lanes[1][l];
                    stage[k + l].z = lanes[2][l];
                }
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
    for (int k = 0; k < drapoKnobs; k += w) {
        const int free = drapoFreeBits<w>(job.freeMask, k);
        if (free == 0) continue;
        L inc[3], f[7];
        ktLoadVertices(app.k1 + k, inc[0], inc[1], inc[2]);
        drapoLoadKnobs(app.thread + k, f);
        for (int c = 0; c < 3; c++) drapoUpdate(inc[c], inc[c], inc[c], inc[c], gravity[c], f[3 + c], f[c]);
        drapoStoreKnobs(app.thread + k, f, free);
    }
}

// Contact tests of the listed knobs (free knobs below the terrain's top), as the straightforward
// pass makes them: a knob strictly below the terrain is lifted onto it and pinned.
template <class L>
void drapoTouchLanes(const drapoStepJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    const L zero(0.0f), stride(static_cast<float>(drapoKnobFloats));
    const float* const t = reinterpret_cast<const float*>(job.app->thread);
    for (int j = 0; j < job.count; j += w) {
        const L at = ktLoad<L>(job.list + j) * stride;
        const auto every = at == at;
        const L z = ktGatherWhere(every, zero, t + 2, at);
        const L height = drapoRelief(ktGatherWhere(every, zero, t, at), ktGatherWhere(every, zero, t + 1, at));
        const int n = job.count - j < w ? job.count - j : w;
        const int lift = ktMaskBits(z < height) & ((1 << n) - 1);
        if (lift == 0) continue;
        alignas(64) float heights[16];
        ktStore(heights, height);
        for (int l = 0; l < n; l++) {
            if (!(lift & (1 << l))) continue;
            clothknob& knob = job.app->thread[static_cast<int>(job.list[j + l])];
            knob.pos.z = heights[l];
            knob.on_surf = true;
            knob.vel.z = 0.0f;
        }
    }
}

// The entry points of one instruction set (suffix S, lane type L).
#define DRAPO_STEP_ENTRIES(S, L)                                                                              \
    int drapoPositions##S(const drapoStepJob& job, bool& finite) { return drapoPositionLanes<L>(job, finite); } \
    void drapoTouches##S(const drapoStepJob& job) { drapoTouchLanes<L>(job); }                                 \
    void drapoStages##S(const drapoStepJob& job) { drapoStageLanes<L>(job); }                                  \
    void drapoUpdates##S(const drapoStepJob& job) { drapoUpdateLanes<L>(job); }

}  // namespace

#endif
