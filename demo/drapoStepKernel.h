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
#include <utility>

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

// The number of bits set in a lane mask (at most 16 bits), without the popcount instruction, which
// the baseline target lacks (the compiler would call a library function for it).
inline int drapoCountBits(int bits) {
    unsigned v = static_cast<unsigned>(bits);
    v = v - ((v >> 1) & 0x5555u);
    v = (v & 0x3333u) + ((v >> 2) & 0x3333u);
    v = (v + (v >> 4)) & 0x0f0fu;
    return static_cast<int>((v + (v >> 8)) & 0x1fu);
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

// Eight or sixteen knobs are 7 W floats in seven registers of W lanes: float 7 l + c of the group
// (coordinate c of knob l) sits at position (7 l + c) mod W of register (7 l + c) div W. As 7 and W
// have no common factor, for one coordinate those positions differ from register to register, so
// six blends gather the coordinate into one register and one permutation puts it into knob order;
// the store runs the same steps backwards. Moves only: no value changes.
template <int W>
struct drapoKnobLayout {
    unsigned mask[7][7];  // [c][r]: the positions of register r that hold coordinate c
    int order[7][W];      // [c][l]: where knob l's coordinate c sits after the blends
    int spread[7][W];     // [c][p]: the knob whose coordinate c goes to position p
    uint64_t floats[256]; // the floats (bit 7 l + c) of the knobs l whose bit is set in the index
    constexpr drapoKnobLayout() : mask(), order(), spread(), floats() {
        for (int c = 0; c < 7; c++) {
            for (int r = 0; r < 7; r++)
                for (int p = 0; p < W; p++)
                    if ((W * r + p) % 7 == c) mask[c][r] |= 1u << p;
            for (int l = 0; l < W; l++) order[c][l] = (7 * l + c) % W;
            // 7 * 7 = 1 modulo 8 and modulo 16: the knob at position p is 7 (p - c) mod W.
            for (int p = 0; p < W; p++) spread[c][p] = (7 * (p - c + W)) % W;
        }
        for (int b = 0; b < 256; b++)
            for (int l = 0; l < 8; l++)
                if (b & (1 << l)) floats[b] |= uint64_t{0x7f} << (7 * l);
    }
};

// f(0), f(1), ... f(N - 1), each index a compile-time constant, so that the moves below unroll and
// their masks and positions are immediates. The index type is this file's own (internal linkage):
// std::integral_constant's conversion, emitted out of line by an unoptimised build, would be a
// wide-target copy that the linker could hand to baseline code.
template <int I>
struct drapoIndex {
    static constexpr int value = I;
    constexpr operator int() const { return I; }
};
template <int N, class F, int... I>
KT_DRAPO_INLINE void drapoEachOf(F&& f, std::integer_sequence<int, I...>) {
    (f(drapoIndex<I>()), ...);
}
template <int N, class F>
KT_DRAPO_INLINE void drapoEach(F&& f) {
    drapoEachOf<N>(f, std::make_integer_sequence<int, N>());
}

#ifdef KT_MATH_KTLANESAVX2_H
constexpr drapoKnobLayout<8> drapoLayout8;

// The blend masks as named constants: the blend instruction takes its mask as an immediate, which
// an unoptimised build only sees in a constant like this.
template <int C, int R>
constexpr int drapoBlend8 = static_cast<int>(drapoLayout8.mask[C][R]);

template <int C>
KT_DRAPO_INLINE __m256 drapoGather8(const __m256 (&m)[7]) {
    __m256 v = m[0];
    drapoEach<6>([&](auto r) { v = _mm256_blend_ps(v, m[r + 1], (drapoBlend8<C, decltype(r)::value + 1>)); });
    return _mm256_permutevar8x32_ps(v, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(drapoLayout8.order[C])));
}
// Register R of the packed knobs from the spread coordinates y.
template <int R>
KT_DRAPO_INLINE __m256 drapoPack8(const __m256 (&y)[7]) {
    __m256 v = y[0];
    drapoEach<6>([&](auto c) { v = _mm256_blend_ps(v, y[c + 1], (drapoBlend8<decltype(c)::value + 1, R>)); });
    return v;
}
KT_DRAPO_INLINE int drapoLoadKnobs(const clothknob* p, ktFloat8 (&f)[7]) {
    const float* b = reinterpret_cast<const float*>(p);
    __m256 m[7];
    drapoEach<7>([&](auto r) { m[r] = _mm256_loadu_ps(b + 8 * r); });
    f[0].v = drapoGather8<0>(m), f[1].v = drapoGather8<1>(m), f[2].v = drapoGather8<2>(m);
    f[3].v = drapoGather8<3>(m), f[4].v = drapoGather8<4>(m), f[5].v = drapoGather8<5>(m);
    f[6].v = drapoGather8<6>(m);
    // The flag is the low byte of the seventh word; the other three bytes are padding.
    const __m256i flags = _mm256_and_si256(_mm256_castps_si256(f[6].v), _mm256_set1_epi32(0xff));
    return ~_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(flags, _mm256_setzero_si256()))) & 0xff;
}
// Writes the knobs whose bit is set in `free`, whole; f[6] must be the words that drapoLoadKnobs
// read.
KT_DRAPO_INLINE void drapoStoreKnobs(clothknob* p, const ktFloat8 (&f)[7], int free) {
    float* b = reinterpret_cast<float*>(p);
    __m256 y[7];
    drapoEach<7>([&](auto c) {
        y[c] = _mm256_permutevar8x32_ps(f[c].v,
                                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(drapoLayout8.spread[c])));
    });
    const __m256 m[7] = {drapoPack8<0>(y), drapoPack8<1>(y), drapoPack8<2>(y), drapoPack8<3>(y),
                         drapoPack8<4>(y), drapoPack8<5>(y), drapoPack8<6>(y)};
    if (free == 0xff) {
        drapoEach<7>([&](auto r) { _mm256_storeu_ps(b + 8 * r, m[r]); });
        return;
    }
    // A partly free group: each register takes the free knobs' floats and keeps the bytes that the
    // memory holds for the others, which are stored back unchanged. (A masked store would write only
    // the free floats, but on an AMD Zen 3 it took 6.8 ns, a load, blend and plain store 1.5 ns.)
    const uint64_t floats = drapoLayout8.floats[free];
    const __m256i bit = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    drapoEach<7>([&](auto r) {
        const __m256i lanes = _mm256_and_si256(_mm256_set1_epi32(static_cast<int>((floats >> (8 * r)) & 0xff)), bit);
        const __m256 kept = _mm256_loadu_ps(b + 8 * r);
        _mm256_storeu_ps(b + 8 * r, _mm256_blendv_ps(kept, m[r], _mm256_castsi256_ps(_mm256_cmpeq_epi32(lanes, bit))));
    });
}
#endif

#ifdef KT_MATH_KTLANESAVX512_H
constexpr drapoKnobLayout<16> drapoLayout16;

KT_DRAPO_INLINE int drapoLoadKnobs(const clothknob* p, ktFloat16 (&f)[7]) {
    const float* b = reinterpret_cast<const float*>(p);
    __m512 m[7];
    drapoEach<7>([&](auto r) { m[r] = _mm512_loadu_ps(b + 16 * r); });
    drapoEach<7>([&](auto c) {
        __m512 v = m[0];
        drapoEach<6>([&](auto r) {
            v = _mm512_mask_blend_ps(static_cast<__mmask16>(drapoLayout16.mask[c][r + 1]), v, m[r + 1]);
        });
        f[c].v = _mm512_permutexvar_ps(_mm512_loadu_si512(drapoLayout16.order[c]), v);
    });
    return _mm512_test_epi32_mask(_mm512_castps_si512(f[6].v), _mm512_set1_epi32(0xff));
}
// Writes the knobs whose bit is set in `free`, whole; f[6] must be the words that drapoLoadKnobs
// read.
KT_DRAPO_INLINE void drapoStoreKnobs(clothknob* p, const ktFloat16 (&f)[7], int free) {
    float* b = reinterpret_cast<float*>(p);
    __m512 y[7];
    drapoEach<7>([&](auto c) { y[c] = _mm512_permutexvar_ps(_mm512_loadu_si512(drapoLayout16.spread[c]), f[c].v); });
    // The group's floats to write: bit 7 l + c for coordinate c of knob l, knobs 0 .. 7 in `low`
    // (bits 0 .. 55) and 8 .. 15 in `high`.
    const uint64_t low = drapoLayout16.floats[free & 0xff], high = drapoLayout16.floats[(free >> 8) & 0xff];
    drapoEach<7>([&](auto r) {
        __m512 v = y[0];
        drapoEach<6>([&](auto c) {
            v = _mm512_mask_blend_ps(static_cast<__mmask16>(drapoLayout16.mask[c + 1][r]), v, y[c + 1]);
        });
        constexpr int at = 16 * decltype(r)::value;
        const uint64_t bits = at < 56 ? (low >> at) | (at + 16 > 56 ? high << (56 - at) : 0) : high >> (at - 56);
        _mm512_mask_storeu_ps(b + at, static_cast<__mmask16>(bits & 0xffff), v);
    });
}
#endif

// Whether the stage pass of lane type L also moves the knobs: on sixteen lanes that saves a pass;
// on narrower ones the separate update pass measured faster.
template <class L>
struct drapoStagesMove {
    static constexpr bool value = ktLaneWidth<L>::value >= 16;
};

// Asks for the knobs that the positions pass reaches 4 KB after the group of w knobs from p: in a
// frame the knobs come from beyond the second-level cache (the drawing evicts them), and while
// the sheet falls, the stage pass's stores compete with the hardware's own fetching. A falling
// step inside frames took about 6 % less time with it, the others the same.
KT_DRAPO_INLINE void drapoPrefetchAhead(const clothknob* p, int w) {
    // As an address only: near the end it lies past the knobs, which a prefetch may name.
    const uintptr_t ahead = reinterpret_cast<uintptr_t>(p) + 4096;
    for (int line = 0; line < (drapoKnobFloats * 4 * w + 63) / 64; line++)
        __builtin_prefetch(reinterpret_cast<const void*>(ahead + 64 * line), 0, 3);
}

// Positions pass: the positions of all knobs into px, py and pz, the free knobs into freeMask, and
// the knobs that may be in contact into the job's list (free ones) and recheck (pinned ones, their
// number into rechecks); returns how many free ones were listed. A knob at a NaN height is in
// contact nowhere and is not listed. `probe` collects (c + c) * 0 of every coordinate c: 0 where c
// is finite and at most half the float range, NaN otherwise.
template <class L>
int drapoPositionLanes(const drapoStepJob& job, bool& finite, int& rechecks) {
    constexpr int w = ktLaneWidth<L>::value;
    constexpr int all = (1 << w) - 1;
    const L zero(0.0f), top(drapoTerrainTop), floor(drapoTerrainFloor);
    L probe(0.0f);
    int below = 0;
    rechecks = 0;
    const clothknob* const thread = job.app->thread;
    for (int k = 0; k < drapoKnobs; k += w) {
        if constexpr (w >= 8) drapoPrefetchAhead(thread + k, w);
        L f[7];
        const int free = ~drapoLoadKnobs(thread + k, f) & all;
        const L x = f[0], y = f[1], z = f[2];
        ktStore(job.px + k, x);
        ktStore(job.py + k, y);
        ktStore(job.pz + k, z);
        const int shift = k & 15, lanes = all << shift;
        job.freeMask[k >> 4] = static_cast<uint16_t>((job.freeMask[k >> 4] & ~lanes) | (free << shift));
        // A knob may be in contact below the floor anywhere, and below the terrain's top within the
        // relief's band (outside it the terrain is the floor), unless it lies, bit for bit, where it
        // was last tested and not below the height found there. That holds for every pinned knob,
        // whose x and y do not change, unless a caller moved it. The memo is read only for groups
        // with such a knob: a settled cloth lies mostly on the floor outside the band. (A falling
        // sheet skips all this.)
        const int underTop = drapoBits<L>(z < top);
        if (const int near = underTop ? drapoBits<L>((z < floor) | drapoReliefBand(x)) & underTop : 0) {
            const int known = drapoBits<L>(
                (ktSameBits(x, ktLoad<L>(job.reliefX + k)) & ktSameBits(y, ktLoad<L>(job.reliefY + k))) &
                (z >= ktLoad<L>(job.reliefHeight + k)));
            const int low = near & ~known;
            for (int listed = low & free; listed != 0; listed &= listed - 1)
                job.list[below++] = static_cast<float>(k + __builtin_ctz(static_cast<unsigned>(listed)));
            for (int listed = low & ~free; listed != 0; listed &= listed - 1)
                job.recheck[rechecks++] =
                    static_cast<float>(k + __builtin_ctz(static_cast<unsigned>(listed)));
        }
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

// The update of the free knobs k .. k + w - 1 from their increment, stored into the knobs whose bit
// is set in `free`. Only their own update moves them, so the knobs still hold the positions that
// the increments came from: reading them again costs less inside a frame than copying every free
// group's velocities in the positions pass, whose lines the frame's drawing has evicted.
template <class L>
KT_DRAPO_INLINE void drapoMoveKnobs(const drapoStepJob& job, int k, int free, const L (&inc)[3],
                                    const L (&gravity)[3]) {
    L f[7];
    drapoLoadKnobs(job.app->thread + k, f);
    drapoUpdate(inc[0], inc[0], inc[0], inc[0], gravity[0], f[3], f[0]);
    drapoUpdate(inc[1], inc[1], inc[1], inc[1], gravity[1], f[4], f[1]);
    drapoUpdate(inc[2], inc[2], inc[2], inc[2], gravity[2], f[5], f[2]);
    drapoStoreKnobs(job.app->thread + k, f, free);
}

// Whether the stage pass of lane type L gathers the free knobs of sparse groups (at most a quarter
// of the lanes free) into full groups of their own. With a gather instruction (eight and sixteen
// lanes) the gathers and the stores knob by knob cost less than the idle lanes' arithmetic: a
// settled cloth's free knobs hang in strips two knobs wide, so most groups that hold any hold two.
// On four lanes, without one, they cost more.
template <class L>
struct drapoStagesGather {
    static constexpr bool value = ktLaneWidth<L>::value >= 8;
};

// The spring increment (inc[0 .. 2]) of the knobs whose positions are hx, hy and hz, in columns
// `column` at indices `index`; near(p, offset) gives the lanes' neighbours `offset` knobs away
// from coordinate array p. The springs of the grid's border are absent: their term is 0, as the
// straightforward pass computes it from the absent side's finite scratch vector times 0. A side
// whose springs in all lanes are at rest (length exactly 1: del / 1 = del, del - del = 0) needs no
// division, and one whose squared lengths are all exactly 1 (the root of 1 is 1) no square root
// either.
template <class L, class Near>
KT_DRAPO_INLINE void drapoIncrementLanes(const drapoStepJob& job, L hx, L hy, L hz, L column, L index,
                                         Near near, L (&inc)[3]) {
    const L zero(0.0f), rest(drapoRestLength);
    L tx[4], ty[4], tz[4];
    auto side = [&](int s, int offset, auto present) __attribute__((always_inline)) {
        const L dx = near(job.px, offset) - hx;
        const L dy = near(job.py, offset) - hy;
        const L dz = near(job.pz, offset) - hz;
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
    inc[0] = drapoSpringIncrement(tx[0], tx[1], tx[2], tx[3], fx);
    inc[1] = drapoSpringIncrement(ty[0], ty[1], ty[2], ty[3], fy);
    inc[2] = drapoSpringIncrement(tz[0], tz[1], tz[2], tz[3], fz);
}

// The increments of the knobs listed in `knobs` (indices as floats, their columns in `columns`),
// w at a time from gathered positions, stored knob by knob; where drapoStagesMove holds, the knobs
// then move as drapoMoveKnobs moves them.
template <class L>
void drapoGatheredStages(const drapoStepJob& job, const float* knobs, const float* columns, int count) {
    constexpr int w = ktLaneWidth<L>::value;
    const L zero(0.0f);
    ktVec3f* const stages[4] = {job.app->k1, job.app->k2, job.app->k3, job.app->k4};
    const ktVec3f& enviro = job.app->enviro;
    const L gravity[3] = {L(enviro.x), L(enviro.y), L(enviro.z)};
    for (int j = 0; j < count; j += w) {
        const L index = ktLoad<L>(knobs + j);
        const auto every = index == index;
        auto near = [&](const float* p, int offset) __attribute__((always_inline)) {
            return ktGatherWhere(every, zero, p + offset, index);
        };
        const L hx = near(job.px, 0), hy = near(job.py, 0), hz = near(job.pz, 0);
        L inc[3];
        drapoIncrementLanes(job, hx, hy, hz, ktLoad<L>(columns + j), index, near, inc);
        alignas(64) float lanes[9][16];
        for (int c = 0; c < 3; c++) ktStore(lanes[c], inc[c]);
        if constexpr (drapoStagesMove<L>::value) {
            // Velocities from the knobs (seven floats apart), which no other knob's update touches.
            const L at = index * L(static_cast<float>(drapoKnobFloats));
            const float* const t = reinterpret_cast<const float*>(job.app->thread);
            L pos[3] = {hx, hy, hz},
              vel[3] = {ktGatherWhere(every, zero, t + 3, at), ktGatherWhere(every, zero, t + 4, at),
                        ktGatherWhere(every, zero, t + 5, at)};
            for (int c = 0; c < 3; c++) {
                drapoUpdate(inc[c], inc[c], inc[c], inc[c], gravity[c], vel[c], pos[c]);
                ktStore(lanes[3 + c], pos[c]), ktStore(lanes[6 + c], vel[c]);
            }
        }
        const int n = count - j < w ? count - j : w;
        for (int l = 0; l < n; l++) {
            const int k = static_cast<int>(knobs[j + l]);
            for (ktVec3f* stage : stages)
                stage[k].x = lanes[0][l], stage[k].y = lanes[1][l], stage[k].z = lanes[2][l];
            if constexpr (drapoStagesMove<L>::value) {
                clothknob& knob = job.app->thread[k];
                knob.pos.x = lanes[3][l], knob.pos.y = lanes[4][l], knob.pos.z = lanes[5][l];
                knob.vel.x = lanes[6][l], knob.vel.y = lanes[7][l], knob.vel.z = lanes[8][l];
            }
        }
    }
}

// Stage pass: the increment of every free knob, in place, or gathered for sparse groups where
// drapoStagesGather holds. Where drapoStagesMove holds, the free knobs then move: the increments
// come from the copied positions, so a moved knob does not change those of the knobs after it.
template <class L>
void drapoStageLanes(const drapoStepJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    constexpr int all = (1 << w) - 1;
    const L iota = ktLoad<L>(drapoLaneIndex);
    ktVec3f* const stages[4] = {job.app->k1, job.app->k2, job.app->k3, job.app->k4};
    const ktVec3f& enviro = job.app->enviro;
    const L gravity[3] = {L(enviro.x), L(enviro.y), L(enviro.z)};
    int gathered = 0;
    for (int k = 0; k < drapoKnobs; k += w) {
        const int free = drapoFreeBits<w>(job.freeMask, k);
        if (free == 0) continue;
        if (drapoStagesGather<L>::value && 4 * drapoCountBits(free) <= w) {
            for (int lanes = free; lanes != 0; lanes &= lanes - 1) {
                const int knob = k + __builtin_ctz(static_cast<unsigned>(lanes));
                job.gathered[gathered] = static_cast<float>(knob);
                job.gatheredColumn[gathered++] = static_cast<float>(knob % drapoSide);
            }
            continue;
        }
        const L hx = ktLoad<L>(job.px + k), hy = ktLoad<L>(job.py + k), hz = ktLoad<L>(job.pz + k);
        // Column and index of every lane; a group may run on into the next row.
        const L rawColumn = L(static_cast<float>(k % drapoSide)) + iota;
        const auto wrapped = rawColumn >= L(static_cast<float>(drapoSide));
        const L column = ktSelect(wrapped, rawColumn - L(static_cast<float>(drapoSide)), rawColumn);
        auto near = [&](const float* p, int offset) __attribute__((always_inline)) {
            return ktLoad<L>(p + k + offset);
        };
        L inc[3];
        drapoIncrementLanes(job, hx, hy, hz, column, L(static_cast<float>(k)) + iota, near, inc);
        const L ix = inc[0], iy = inc[1], iz = inc[2];
        if (free == all) {
            for (ktVec3f* stage : stages) ktStoreVertices(stage + k, ix, iy, iz);
        } else {
            ktStoreVerticesWhere(stages, k, free, ix, iy, iz);
        }
        if constexpr (drapoStagesMove<L>::value) drapoMoveKnobs(job, k, free, inc, gravity);
    }
    if (gathered == 0) return;
    for (int n = gathered; n < gathered + w; n++)
        job.gathered[n] = job.gathered[gathered - 1],
        job.gatheredColumn[n] = job.gatheredColumn[gathered - 1];
    drapoGatheredStages<L>(job, job.gathered, job.gatheredColumn, gathered);
}

// Update pass: the four stage increments of a knob are its one increment, read from k1.
template <class L>
void drapoUpdateLanes(const drapoStepJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    drapoApp& app = *job.app;
    const L gravity[3] = {L(app.enviro.x), L(app.enviro.y), L(app.enviro.z)};
    for (int k = 0; k < drapoKnobs; k += w) {
        const int free = drapoFreeBits<w>(job.freeMask, k);
        if (free == 0) continue;
        L inc[3];
        ktLoadVertices(app.k1 + k, inc[0], inc[1], inc[2]);
        drapoMoveKnobs(job, k, free, inc, gravity);
    }
}

// Contact tests of the listed knobs, as the straightforward pass makes them: a knob strictly below
// the terrain is lifted onto it and pinned, and its place and terrain height are remembered (every
// tested knob's with job.remember). The lifted knobs are written over the front of the list (never
// ahead of the group being read); returns how many.
template <class L>
int drapoTouchLanes(const drapoStepJob& job) {
    int lifted = 0;
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
        const int remembered = job.remember ? (1 << n) - 1 : lift;
        if (remembered == 0) continue;
        alignas(64) float heights[16];
        ktStore(heights, height);
        for (int l = 0; l < n; l++) {
            if (!(remembered & (1 << l))) continue;
            const float at = job.list[j + l];
            const int index = static_cast<int>(at);
            clothknob& knob = job.app->thread[index];
            job.reliefX[index] = knob.pos.x;
            job.reliefY[index] = knob.pos.y;
            job.reliefHeight[index] = heights[l];
            if (!(lift & (1 << l))) continue;
            knob.pos.z = heights[l];
            knob.on_surf = true;
            knob.vel.z = 0.0f;
            job.list[lifted++] = at;
        }
    }
    return lifted;
}

// The entry points of one instruction set (suffix S, lane type L).
#define DRAPO_STEP_ENTRIES(S, L)                                                     \
    int drapoPositions##S(const drapoStepJob& job, bool& finite, int& rechecks) {    \
        return drapoPositionLanes<L>(job, finite, rechecks);                         \
    }                                                                                \
    int drapoTouches##S(const drapoStepJob& job) { return drapoTouchLanes<L>(job); } \
    void drapoStages##S(const drapoStepJob& job) { drapoStageLanes<L>(job); }        \
    void drapoUpdates##S(const drapoStepJob& job) { drapoUpdateLanes<L>(job); }

}  // namespace

#endif
