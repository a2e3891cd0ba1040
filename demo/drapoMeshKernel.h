// The mesh pass over lanes of knobs, written once over a value type L (float, or a lane type of
// math/ktLanes*.h): lane l of a group holds knob k + l of one row. The angles are formed in double
// lanes and stored as floats as the scalar pass forms them; their sines and cosines come from
// memos, so every vertex gets the scalar pass's bits.
//
// While the sheet lies flat, a row of knobs shares one y (so one theta) and a column one x (so one
// phi). The pass keeps the last theta and each column's last phi with their sines and cosines, so
// a group whose angles all match them needs neither the knobs' own memos nor libm. Any other group
// reads its knobs' memos as lanes and evaluates only the angles that differ from them.
#ifndef KT_DEMO_DRAPOMESHKERNEL_H
#define KT_DEMO_DRAPOMESHKERNEL_H

#include "demo/drapoMesh.h"
#include "demo/drapoStepKernel.h"

namespace {

// The pass's near memos: the last theta, and the last phi of every column (by column, with
// room for a group that starts at the last full group's column). Every entry holds a correct
// pair from the start: that of the angle 0.
struct drapoNearAngles {
    float thetaKey;
    double thetaSin, thetaCos;
    alignas(64) float phiKey[drapoSide + 16];
    alignas(64) double phiSin[drapoSide + 16];
    alignas(64) double phiCos[drapoSide + 16];

    drapoNearAngles() : thetaKey(0.0f), thetaSin(std::sin(0.0)), thetaCos(std::cos(0.0)) {
        for (int c = 0; c < drapoSide + 16; c++) phiKey[c] = 0.0f, phiSin[c] = thetaSin, phiCos[c] = thetaCos;
    }
};

// The pairs of the angles of knobs k .. k + w - 1 from their memos, those that differ evaluated.
template <class L, class D>
inline void drapoMemoPairs(drapoAngleMemo& memo, int k, L angle, D& sine, D& cosine) {
    if (!drapoAllLanes<L>(ktSameBits(angle, ktLoad<L>(memo.key + k)))) {
        alignas(64) float angles[16];
        ktStore(angles, angle);
        for (int l = 0; l < ktLaneWidth<L>::value; l++) {
            double unused;
            drapoSineCosine(memo, k + l, angles[l], unused, unused);
        }
    }
    sine = ktLoad<D>(memo.s + k);
    cosine = ktLoad<D>(memo.c + k);
}

// The group of w knobs from k on, in column c of its row.
template <class L>
inline void drapoMeshGroup(const drapoMeshJob& job, drapoNearAngles& near, int k, int c) {
    using D = decltype(ktWiden(L(0.0f)));
    constexpr int w = ktLaneWidth<L>::value;
    L f[7];
    drapoLoadKnobs(job.thread + k, f);
    const L r = -f[2];
    const L theta = drapoTheta(f[1]), phi = drapoPhi(f[0]);
    D sinTheta, cosTheta, sinPhi, cosPhi;
    if (w == 1) {
        // One knob: its own memos are as near as the pass's.
        drapoMemoPairs(*job.thetaMemo, k, theta, sinTheta, cosTheta);
        drapoMemoPairs(*job.phiMemo, k, phi, sinPhi, cosPhi);
    } else if (drapoAllLanes<L>(ktSameBits(theta, L(near.thetaKey))) &&
        drapoAllLanes<L>(ktSameBits(phi, ktLoad<L>(near.phiKey + c)))) {
        sinTheta = D(near.thetaSin), cosTheta = D(near.thetaCos);
        sinPhi = ktLoad<D>(near.phiSin + c), cosPhi = ktLoad<D>(near.phiCos + c);
    } else {
        drapoMemoPairs(*job.thetaMemo, k, theta, sinTheta, cosTheta);
        drapoMemoPairs(*job.phiMemo, k, phi, sinPhi, cosPhi);
        // The near memos take this group's angles: its last theta and every column's phi.
        const int last = k + w - 1;
        near.thetaKey = job.thetaMemo->key[last];
        near.thetaSin = job.thetaMemo->s[last], near.thetaCos = job.thetaMemo->c[last];
        std::memcpy(near.phiKey + c, job.phiMemo->key + k, w * sizeof(float));
        std::memcpy(near.phiSin + c, job.phiMemo->s + k, w * sizeof(double));
        std::memcpy(near.phiCos + c, job.phiMemo->c + k, w * sizeof(double));
    }
    L x, y, z;
    drapoSpherePoint(r, sinPhi, cosPhi, sinTheta, cosTheta, x, y, z);
    for (int l = 0; l < w; l++) {
        // A colour that is already this green, bit for bit, is left as it is.
        ktVec4f& color = job.colors[k + l];
        if (std::memcmp(&color, drapoGreen, sizeof drapoGreen) != 0)
            color.x = 0.0f, color.y = 1.0f, color.z = 0.0f, color.w = 1.0f;
    }
    ktStoreVertices(job.vertices + k, x, y, z);
}

template <class L>
void drapoMeshLanes(const drapoMeshJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    drapoNearAngles near;
    // Columns in whole groups of L, the rest (a multiple of 4) in groups of 4. No float group runs in
    // a wide kernel, whose objects must not hold the scalar formulas' out-of-line copies.
    static_assert(drapoSide % 4 == 0, "a row must be whole groups of 4");
    constexpr int whole = drapoSide / w * w;
    for (int row = 0; row < drapoSide; row++) {
        for (int c = 0; c < whole; c += w) drapoMeshGroup<L>(job, near, row * drapoSide + c, c);
        for (int c = whole; c < drapoSide; c += 4) drapoMeshGroup<ktFloat4>(job, near, row * drapoSide + c, c);
    }
}

}  // namespace

#endif
