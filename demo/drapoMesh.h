// The mesh pass's parts shared by its scalar code and its kernels: the sphere mapping's constants,
// the per-knob angle memo and what the pass hands a kernel. Functions have internal linkage, so
// that kernels compiled for a wider instruction set keep their own copies (see math/ktLanes.h).
#ifndef KT_DEMO_DRAPOMESH_H
#define KT_DEMO_DRAPOMESH_H

#include <cmath>
#include <cstdint>
#include <cstring>

#include "demo/drapoApp.h"
#include "math/ktFormulas.h"
#include "math/ktSimd.h"

// Sines and cosines of stored float angles, remembered per knob by the angle's bit pattern (kept
// as a float). The sine and cosine of the same float are the same doubles, so a remembered pair is
// exactly what a new evaluation would give, whichever object asks. Every entry holds a correct
// pair from the start: that of the angle 0 (see drapoForgetAngles).
//
// The wide mesh passes (AVX-512 and AVX2) may instead remember a quick pair
// (demo/drapoQuickSines.h), close to the library's but not always equal to it; its knob's bit in
// `quick` is set then, and `hasQuick`. Only their whole groups use quick pairs, and only where they
// provably give the library's vertex. Those groups cover columns 0 .. 95 in both passes, so the
// groups of four that finish a row in them never meet a quick pair; any other pass first gives
// every quick pair the library's (drapoSettleQuickPairs). `rest` counts, per group of lanes that
// starts at a knob, the passes in which none of the group's angles changed: a group that has rested
// long enough gets the library's pairs, so a still cloth needs no proofs.
struct drapoAngleMemo {
    alignas(64) float key[drapoKnobs];
    alignas(64) double s[drapoKnobs];
    alignas(64) double c[drapoKnobs];
    uint8_t quick[drapoKnobs / 8 + 8];
    uint8_t rest[drapoKnobs];
    bool hasQuick;
    int changedGroups;  // groups of the last pass whose angles changed
};

// How the last pass used its near memos (demo/drapoMeshKernel.h): whether they paid, and the
// passes since one last kept them.
struct drapoNearHistory {
    bool paid;
    int idle;
};

// A mesh of 100 columns with room for every knob and per-vertex colours, written directly.
struct drapoMeshJob {
    const clothknob* thread;
    ktVec3f* vertices;
    ktVec4f* colors;
    drapoAngleMemo* thetaMemo;
    drapoAngleMemo* phiMemo;
    drapoNearHistory* nearHistory;  // null: every pass keeps its near memos
    bool quickWhenBusy;  // false: a pass that may take quick pairs always does (see drapoMeshLanes)
};

// Writes every knob, wrapped onto the sphere and coloured green, into the job's mesh.
void drapoMeshScalar(const drapoMeshJob& job);
void drapoMeshSse2(const drapoMeshJob& job);
void drapoMeshAvx2(const drapoMeshJob& job);
void drapoMeshAvx512(const drapoMeshJob& job);
// The pass on `path`, capped at ktSimdBest(): updateMesh's own call, and the tests'.
void drapoMeshOn(ktSimdPath path, const drapoMeshJob& job);
// The AVX-512 and AVX2 passes' quick sines and cosines of `count` angles within 32 of zero (for
// the tests; call each only where its instruction set runs).
void drapoQuickPairsAvx512(const float* angles, int count, double* sines, double* cosines);
void drapoQuickPairsAvx2(const float* angles, int count, double* sines, double* cosines);

namespace {

const double drapoTwoPi = 2.0 * 3.141592653589793;
const double drapoPi = 3.141592653589793;
static_assert(sizeof(ktVec4f) == 4 * sizeof(float), "a colour must be four packed floats");
const float drapoGreen[4] = {0.0f, 1.0f, 0.0f, 1.0f};
// That green as sixteen floats (r g b a of four colours), so packed colours compare with it a
// register at a time.
alignas(64) const float drapoGreenLanes[16] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};

inline uint32_t drapoBitsOf(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// The sphere mapping, written once over float or a lane type L: a knob's x becomes the polar angle
// phi and its y the azimuth theta, both formed in double and stored as floats.
template <class L>
inline L drapoTheta(L y) {
    using D = decltype(ktWiden(y));
    return ktNarrow((ktWiden(y) + D(50.0)) * D(drapoTwoPi) * D(0.01));
}
template <class L>
inline L drapoPhi(L x) {
    using D = decltype(ktWiden(x));
    return ktNarrow((ktWiden(x) + D(50.0)) * D(drapoPi) * D(0.01));
}
// The vertex at radius r (the negated height) opposite to (theta, phi): the products in double, and
// those stored as floats.
template <class L, class D>
inline void drapoSphereProducts(L r, D sinPhi, D cosPhi, D sinTheta, D cosTheta, D& x, D& y, D& z) {
    const D rd = ktWiden(r);
    x = rd * sinPhi * sinTheta;
    y = rd * sinPhi * cosTheta;
    z = rd * cosPhi;
}
template <class L, class D>
inline void drapoSpherePoint(L r, D sinPhi, D cosPhi, D sinTheta, D cosTheta, L& x, L& y, L& z) {
    D xd, yd, zd;
    drapoSphereProducts(r, sinPhi, cosPhi, sinTheta, cosTheta, xd, yd, zd);
    x = ktNarrow(xd), y = ktNarrow(yd), z = ktNarrow(zd);
}

// Bits k .. k + w - 1 (w at most 16) of a bit array as lane bits, and their replacement.
inline int drapoLaneBits(const uint8_t* bits, int k, int w) {
    uint32_t window;
    std::memcpy(&window, bits + k / 8, sizeof window);
    return static_cast<int>(window >> (k % 8)) & ((1 << w) - 1);
}
inline void drapoSetLaneBits(uint8_t* bits, int k, int w, int lanes) {
    uint32_t window;
    std::memcpy(&window, bits + k / 8, sizeof window);
    const uint32_t mask = ((1u << w) - 1) << (k % 8);
    window = (window & ~mask) | (static_cast<uint32_t>(lanes) << (k % 8) & mask);
    std::memcpy(bits + k / 8, &window, sizeof window);
}
// The quick marks of knobs k .. k + w - 1.
inline int drapoQuickLanes(const drapoAngleMemo& memo, int k, int w) {
    return drapoLaneBits(memo.quick, k, w);
}

inline void drapoForgetAngles(drapoAngleMemo& memo) {
    for (int k = 0; k < drapoKnobs; k++) memo.key[k] = 0.0f, memo.s[k] = std::sin(0.0), memo.c[k] = std::cos(0.0);
    std::memset(memo.quick, 0, sizeof memo.quick);
    std::memset(memo.rest, 0, sizeof memo.rest);
    memo.hasQuick = false;
    memo.changedGroups = 0;
}

// Knob k's memo takes `angle` and the library's pair.
inline void drapoRememberAngle(drapoAngleMemo& memo, int k, float angle) {
    memo.s[k] = std::sin(static_cast<double>(angle));
    memo.c[k] = std::cos(static_cast<double>(angle));
    memo.key[k] = angle;
    drapoSetLaneBits(memo.quick, k, 1, 0);
}

// Every quick pair of the memo gives way to the library's pair of its angle: for a pass that takes
// only the library's pairs.
inline void drapoSettleQuickPairs(drapoAngleMemo& memo) {
    if (!memo.hasQuick) return;
    for (int k = 0; k < drapoKnobs; k++)
        if (drapoQuickLanes(memo, k, 1) != 0) drapoRememberAngle(memo, k, memo.key[k]);
    memo.hasQuick = false;
}

// Whether groups of lanes of type L take quick pairs (the whole groups of the wide passes, see
// demo/drapoQuickSines.h), and whether those pay only while many angles change (see
// drapoMeshLanes).
template <class L>
struct drapoQuickGroups {
    static constexpr bool value = false;
    static constexpr bool onlyWhenBusy = false;
};

// Knob k's pair for `angle`, evaluated and remembered when its memo holds another angle (the memo
// holds no quick pair: see drapoSettleQuickPairs).
inline void drapoSineCosine(drapoAngleMemo& memo, int k, float angle, double& sine, double& cosine) {
    if (drapoBitsOf(memo.key[k]) != drapoBitsOf(angle)) drapoRememberAngle(memo, k, angle);
    sine = memo.s[k];
    cosine = memo.c[k];
}

}  // namespace

#endif
