// The mesh pass over lanes of knobs, written once over a value type L (float, or a lane type of
// math/ktLanes*.h): lane l of a group holds knob k + l of one row. The angles are formed in double
// lanes and stored as floats as the scalar pass forms them; their sines and cosines come from
// memos, so every vertex gets the scalar pass's bits.
//
// While the sheet lies flat, a row of knobs shares one y (so one theta) and a column one x (so one
// phi). The pass keeps the last theta and each column's last phi with their sines and cosines,
// keyed by the y and x they came from, so a group whose coordinates all match them needs neither
// its angles nor the knobs' own memos nor libm; a pass keeps them only while they pay (see
// drapoKeepNear). Any other group reads its knobs' memos as lanes and evaluates only the angles
// that differ from them.
#ifndef KT_DEMO_DRAPOMESHKERNEL_H
#define KT_DEMO_DRAPOMESHKERNEL_H

#include "demo/drapoMesh.h"
#include "demo/drapoStepKernel.h"

namespace {

// The pass's near memos, keyed by the coordinates that the angles come from: the last group's theta
// (with the y of its last knob) and the last phi of every column (with that knob's x), by column,
// with room for a group that starts at the last full group's column. Row 0 fills them all. The
// quick marks go with the pairs.
struct drapoNearAngles {
    float yKey;
    double thetaSin, thetaCos;
    bool thetaQuick;
    alignas(64) float xKey[drapoSide + 16];
    alignas(64) double phiSin[drapoSide + 16];
    alignas(64) double phiCos[drapoSide + 16];
    uint8_t phiQuick[(drapoSide + 16) / 8 + 8];
    int phiQuickCount;  // bits set in phiQuick
    bool kept;          // whether this pass keeps them (else it neither fills nor reads them)
    int hits;           // groups that took their angles from them
};

// Whether a pass keeps the near memos, after the last pass's use of them: only a sheet whose rows
// repeat their coordinates gains from them (one that lies flat), and keeping them costs every other
// group a store of its angles' pairs. They pay when a quarter of a pass's groups take their angles
// from them; a pass without them tries them again after a few passes.
const int drapoNearRetry = 8;
inline bool drapoKeepNear(const drapoNearHistory* history) {
    return history == nullptr || history->paid || history->idle >= drapoNearRetry;
}
inline void drapoRecordNear(drapoNearHistory* history, const drapoNearAngles& near, int groups) {
    if (history == nullptr) return;
    history->paid = 4 * near.hits >= groups;
    history->idle = near.kept ? 0 : history->idle + 1;
}

// The pairs of the angles of knobs k .. k + w - 1 from their memos, those that differ evaluated.
// Only the lanes whose angle changed are visited: while the cloth drapes, which ones did is
// different in every group, and a test per lane would be mispredicted again and again.
template <class L, class D>
inline void drapoMemoPairs(drapoAngleMemo& memo, int k, L angle, D& sine, D& cosine) {
    const int changed =
        ~drapoBits<L>(ktSameBits(angle, ktLoad<L>(memo.key + k))) & ((1 << ktLaneWidth<L>::value) - 1);
    if (changed != 0) {
        memo.changedGroups++;
        alignas(64) float angles[16];
        ktStore(angles, angle);
        for (int lanes = changed; lanes != 0; lanes &= lanes - 1) {
            const int l = __builtin_ctz(static_cast<unsigned>(lanes));
            drapoRememberAngle(memo, k + l, angles[l]);
        }
    }
    sine = ktLoad<D>(memo.s + k);
    cosine = ktLoad<D>(memo.c + k);
}

// The pairs of a group from its knobs' memos, and the lanes whose pairs are quick ones: a group of
// a pass with quick pairs (demo/drapoQuickSines.h) makes them for its changed angles, any other
// group takes the library's.
template <bool Quick, class L, class D>
KT_DRAPO_INLINE int drapoPairsOf(drapoAngleMemo& memo, int k, L angle, D& sine, D& cosine) {
    if constexpr (Quick) {
        return drapoQuickPairsOf(memo, k, angle, sine, cosine);
    } else {
        drapoMemoPairs(memo, k, angle, sine, cosine);
        return 0;
    }
}
// The knobs of the group from k in lanes `risky`, whose quick pairs may have moved their vertices
// to other floats, get the library's pairs; the group's memos are brought to its angles first
// when its pairs came from the near memos. Returns the lanes whose pairs are still quick ones.
template <class L>
__attribute__((noinline)) int drapoMendPairs(const drapoMeshJob& job, int k, L theta, L phi, int risky,
                                             bool fromMemos) {
    using D = decltype(ktWiden(L(0.0f)));
    constexpr int w = ktLaneWidth<L>::value;
    if (!fromMemos) {
        D sine, cosine;
        drapoQuickPairsOf(*job.thetaMemo, k, theta, sine, cosine);
        drapoQuickPairsOf(*job.phiMemo, k, phi, sine, cosine);
    }
    alignas(64) float thetas[16], phis[16];
    ktStore(thetas, theta);
    ktStore(phis, phi);
    for (; risky != 0; risky &= risky - 1) {
        const int l = __builtin_ctz(static_cast<unsigned>(risky));
        drapoRememberAngle(*job.thetaMemo, k + l, thetas[l]);
        drapoRememberAngle(*job.phiMemo, k + l, phis[l]);
    }
    return drapoQuickLanes(*job.thetaMemo, k, w) | drapoQuickLanes(*job.phiMemo, k, w);
}

// The group of w knobs from k on, in column c of row `row`. Quick: whether it takes quick pairs for
// its changed angles and proves its vertices.
template <class L, bool Quick>
inline void drapoMeshGroup(const drapoMeshJob& job, drapoNearAngles& near, int row, int k, int c) {
    using D = decltype(ktWiden(L(0.0f)));
    constexpr int w = ktLaneWidth<L>::value;
    L f[7];
    drapoLoadKnobs(job.thread + k, f);
    const L r = -f[2];
    D sinTheta, cosTheta, sinPhi, cosPhi;
    int quick = 0;  // lanes with a quick pair
    bool viaMemos = true;
    // A group that proves no vertex (one of four after wider ones, or any group of a pass without
    // quick pairs) takes the near memos only where they hold no quick pair for it.
    if (w > 1 && row > 0 && near.kept &&
        (Quick ||
         (!near.thetaQuick && (near.phiQuickCount == 0 || drapoLaneBits(near.phiQuick, c, w) == 0))) &&
        drapoAllLanes<L>(ktSameBits(f[1], L(near.yKey))) &&
        drapoAllLanes<L>(ktSameBits(f[0], ktLoad<L>(near.xKey + c)))) {
        // The same coordinates, bit for bit, give the same angles. (One knob: its own memos are as
        // near as the pass's.)
        sinTheta = D(near.thetaSin), cosTheta = D(near.thetaCos);
        sinPhi = ktLoad<D>(near.phiSin + c), cosPhi = ktLoad<D>(near.phiCos + c);
        if constexpr (Quick)
            if (near.thetaQuick || near.phiQuickCount != 0)
                quick = (near.thetaQuick ? (1 << w) - 1 : 0) | drapoLaneBits(near.phiQuick, c, w);
        viaMemos = false;
        near.hits++;
    } else {
        quick = drapoPairsOf<Quick>(*job.thetaMemo, k, drapoTheta(f[1]), sinTheta, cosTheta) |
                drapoPairsOf<Quick>(*job.phiMemo, k, drapoPhi(f[0]), sinPhi, cosPhi);
    }
    D xd, yd, zd;
    drapoSphereProducts(r, sinPhi, cosPhi, sinTheta, cosTheta, xd, yd, zd);
    L x = ktNarrow(xd), y = ktNarrow(yd), z = ktNarrow(zd);
    if constexpr (Quick) {
        while (quick != 0) {
            const int risky = quick & drapoQuickRiskyLanes(xd, yd, zd, x, y, z);
            if (risky == 0) break;
            // Quick pairs may have moved these vertices to other floats: the group is made again with
            // the library's pairs there.
            quick = drapoMendPairs(job, k, drapoTheta(f[1]), drapoPhi(f[0]), risky, viaMemos);
            viaMemos = true;
            sinTheta = ktLoad<D>(job.thetaMemo->s + k), cosTheta = ktLoad<D>(job.thetaMemo->c + k);
            sinPhi = ktLoad<D>(job.phiMemo->s + k), cosPhi = ktLoad<D>(job.phiMemo->c + k);
            drapoSphereProducts(r, sinPhi, cosPhi, sinTheta, cosTheta, xd, yd, zd);
            x = ktNarrow(xd), y = ktNarrow(yd), z = ktNarrow(zd);
        }
    }
    if (w > 1 && viaMemos && near.kept) {
        // The near memos take this group's coordinates and pairs: its last theta and every
        // column's phi.
        alignas(64) float ys[16];
        ktStore(ys, f[1]);
        const int last = k + w - 1;
        near.yKey = ys[w - 1];
        near.thetaSin = job.thetaMemo->s[last], near.thetaCos = job.thetaMemo->c[last];
        if constexpr (Quick) {
            near.thetaQuick = drapoQuickLanes(*job.thetaMemo, last, 1) != 0;
            const int lanes = drapoQuickLanes(*job.phiMemo, k, w);
            near.phiQuickCount += drapoCountBits(lanes) - drapoCountBits(drapoLaneBits(near.phiQuick, c, w));
            drapoSetLaneBits(near.phiQuick, c, w, lanes);
        } else {
            // Its knobs hold no quick pair: only groups that take quick pairs mark their own knobs,
            // and a pass without them settles the memos first. Its columns' phi marks stay clear.
            near.thetaQuick = false;
        }
        ktStore(near.xKey + c, f[0]);
        std::memcpy(near.phiSin + c, job.phiMemo->s + k, w * sizeof(double));
        std::memcpy(near.phiCos + c, job.phiMemo->c + k, w * sizeof(double));
    }
    // A colour that is already this green, bit for bit, is left as it is; the group's 4 w floats
    // are compared a register at a time.
    const float* rgba = &job.colors[k].x;
    bool green = w > 1;  // one knob: the memcmp below is the comparison
    for (int i = 0; i < 4 && green; i++)
        green = drapoAllLanes<L>(ktSameBits(ktLoad<L>(rgba + i * w), ktLoad<L>(drapoGreenLanes + i * w % 4)));
    for (int l = 0; l < w && !green; l++) {
        ktVec4f& color = job.colors[k + l];
        if (std::memcmp(&color, drapoGreen, sizeof drapoGreen) != 0)
            color.x = 0.0f, color.y = 1.0f, color.z = 0.0f, color.w = 1.0f;
    }
    ktStoreVertices(job.vertices + k, x, y, z);
}

// One pass in groups of L; Quick: whether its whole groups take quick pairs.
template <class L, bool Quick>
void drapoMeshPass(const drapoMeshJob& job) {
    constexpr int w = ktLaneWidth<L>::value;
    if constexpr (!Quick) {
        drapoSettleQuickPairs(*job.thetaMemo);
        drapoSettleQuickPairs(*job.phiMemo);
    }
    drapoNearAngles near{};
    near.kept = drapoKeepNear(job.nearHistory);
    // Columns in whole groups of L, the rest (a multiple of 4) in groups of 4. No float group runs in
    // a wide kernel, whose objects must not hold the scalar formulas' out-of-line copies.
    static_assert(drapoSide % 4 == 0, "a row must be whole groups of 4");
    constexpr int whole = drapoSide / w * w;
    for (int row = 0; row < drapoSide; row++) {
        for (int c = 0; c < whole; c += w) drapoMeshGroup<L, Quick>(job, near, row, row * drapoSide + c, c);
        for (int c = whole; c < drapoSide; c += 4)
            drapoMeshGroup<ktFloat4, false>(job, near, row, row * drapoSide + c, c);
    }
    drapoRecordNear(job.nearHistory, near, drapoSide * (whole / w + (drapoSide - whole) / 4));
}

// The pass in groups of L. Where L takes quick pairs, a job that asks for them only while they pay
// gets them after a pass in which the angles of at least half of the groups changed (a sheet that
// drapes); a still or settled cloth changes a few angles here and there, and the library's pairs
// for those cost less than the quick groups' proofs and bookkeeping.
template <class L>
void drapoMeshLanes(const drapoMeshJob& job) {
    const int changed = job.thetaMemo->changedGroups + job.phiMemo->changedGroups;
    job.thetaMemo->changedGroups = job.phiMemo->changedGroups = 0;
    if constexpr (drapoQuickGroups<L>::value) {
        constexpr int groups = drapoKnobs / ktLaneWidth<L>::value;
        if (!drapoQuickGroups<L>::onlyWhenBusy || !job.quickWhenBusy || 2 * changed >= groups)
            return drapoMeshPass<L, true>(job);
    }
    drapoMeshPass<L, false>(job);
}

}  // namespace

#endif
