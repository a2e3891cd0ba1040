// The cloth's simulation step. Knobs have unit mass, so a spring force scaled by the step length
// is directly a velocity change. A step is three passes over all knobs, each finished before the
// next starts: contact (pin knobs that reached the terrain), stages (spring increments of the
// free knobs, all from the same positions) and update (velocity, damping, position).
//
// Speed: the three components of a vector quotient, sum or product are formed together in one
// SSE instruction where the target has SSE2. Each lane performs exactly the IEEE single-precision
// operation that the scalar code performs, in the same order, so the results are bit-identical to
// the scalar fallback. For an object of exactly type drapoApp (whose rungef and surface are known)
// the step also skips work whose outcome is known: see stepExact.
#include <typeinfo>

#include "demo/drapoApp.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define DRAPO_SSE 1
#else
#define DRAPO_SSE 0
#endif

namespace {

// The highest point of the terrain: a knob at or above it cannot be in contact.
const float terrainTop = 5.0f;

#if DRAPO_SSE
inline __m128 load3(const ktVec3f& v) { return _mm_setr_ps(v.x, v.y, v.z, 0.0f); }
inline ktVec3f store3(__m128 v) {
    alignas(16) float f[4];
    _mm_store_ps(f, v);
    return ktVec3f(f[0], f[1], f[2]);
}
#endif

// Linear spring of rest length 1 towards a neighbour `del` away at distance `dist`:
// del - del / dist = (dist - 1) * unit(del), pulling when stretched and pushing when compressed.
// An absent neighbour comes as del = 0, dist = 1 and gives 0. Two knobs at the same place
// (dist 0, or a length that underflows to 0) have no direction between them, so that spring
// contributes nothing instead of dividing by zero and filling the cloth with NaN.
#if DRAPO_SSE
inline __m128 springTerm(const ktVec3f& del, float dist) {
    if (dist == 0.0f) return _mm_setzero_ps();
    const __m128 d = load3(del);
    return _mm_sub_ps(d, _mm_div_ps(d, _mm_set1_ps(dist)));
}
#else
inline ktVec3f springTerm(ktVec3f del, float dist) {
    if (dist == 0.0f) return ktVec3f();
    return del - del / dist;
}
#endif

// One neighbour: del = neighbour - here and its length, or, for a neighbour the grid does not
// have, del multiplied by 0 (as it was left by the previous call) and length 1.
inline void neighbour(bool present, const ktVec3f& there, const ktVec3f& here, ktVec3f& del, float& dist) {
    if (!present) {
        del *= 0.0f;
        dist = 1.0f;
    } else {
        del = there - here;
        dist = del.length();
    }
}

// The spring increment of knob i of P, leaving the per-side vectors, lengths and force in the
// given variables. Shared by rungef and the fast step, so both compute the same bits.
inline void springIncrement(const clothknob* P, int i, ktVec3f& del1, ktVec3f& del2, ktVec3f& del3,
                            ktVec3f& del4, float& dist1, float& dist2, float& dist3, float& dist4,
                            ktVec3f& force, ktVec3f& vstore) {
    const int column = i % drapoSide;
    const ktVec3f here = P[i].pos;
    neighbour(column != 0, P[i - 1 < 0 ? 0 : i - 1].pos, here, del1, dist1);
    neighbour(column != drapoSide - 1, P[i + 1 >= drapoKnobs ? i : i + 1].pos, here, del2, dist2);
    neighbour(i >= drapoSide, P[i < drapoSide ? i : i - drapoSide].pos, here, del3, dist3);
    neighbour(i < drapoKnobs - drapoSide, P[i >= drapoKnobs - drapoSide ? i : i + drapoSide].pos, here,
              del4, dist4);

    // Stiffness 30, terms summed left to right; the step length 0.12 is applied in double.
#if DRAPO_SSE
    const __m128 sum = _mm_add_ps(
        _mm_add_ps(_mm_add_ps(springTerm(del1, dist1), springTerm(del2, dist2)), springTerm(del3, dist3)),
        springTerm(del4, dist4));
    force = store3(_mm_mul_ps(sum, _mm_set1_ps(30.0f)));
#else
    force = (((springTerm(del1, dist1) + springTerm(del2, dist2)) + springTerm(del3, dist3)) +
             springTerm(del4, dist4)) *
            30.0f;
#endif
    vstore.set(static_cast<float>(force.x * 0.12), static_cast<float>(force.y * 0.12),
               static_cast<float>(force.z * 0.12));
}

// Update of one free knob: d = weighted stage sum plus gravity, then damping and the move.
inline void updateKnob(clothknob& knob, const ktVec3f& k1, const ktVec3f& k2, const ktVec3f& k3,
                       const ktVec3f& k4, const ktVec3f& enviro) {
#if DRAPO_SSE
    const __m128 six = _mm_set1_ps(6.0f), three = _mm_set1_ps(3.0f);
    const __m128 d = _mm_add_ps(
        _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_div_ps(load3(k1), six), _mm_div_ps(load3(k2), three)),
                              _mm_div_ps(load3(k3), three)),
                   _mm_div_ps(load3(k4), six)),
        load3(enviro));
    const __m128 vel = _mm_mul_ps(_mm_add_ps(load3(knob.vel), d), _mm_set1_ps(0.9f));
    const __m128 pos = _mm_add_ps(load3(knob.pos), _mm_mul_ps(vel, _mm_set1_ps(0.12f)));
    knob.vel = store3(vel);
    knob.pos = store3(pos);
#else
    const ktVec3f d = (((k1 / 6.0f + k2 / 3.0f) + k3 / 3.0f) + k4 / 6.0f) + enviro;
    knob.vel += d;
    knob.vel *= 0.9f;
    knob.pos += knob.vel * 0.12f;
#endif
}

// The same step for an object of exactly type drapoApp, where rungef and surface are this file's
// and drapoTerrain.cpp's own. What it skips cannot change a result:
// - a pinned knob lies exactly at its terrain height (its x and y never change after pinning), so
//   its contact test is false and needs no terrain evaluation;
// - the terrain is at most 5 high, so a knob at or above 5 is not in contact either;
// - the four stage increments of a knob are the same function of the same positions, so the
//   increment is computed once and stored four times; the scratch members keep what the last
//   call of the straightforward pass would have left, and i ends at drapoKnobs as after any pass;
// - the free knobs are listed once after the contact pass, so the stage and update passes visit
//   only them, in increasing order.
void stepExact(drapoApp& app) {
    int freeKnobs[drapoKnobs];
    int freeCount = 0;
    for (int k = 0; k < drapoKnobs; k++) {
        clothknob& knob = app.thread[k];
        if (knob.on_surf) continue;
        if (!(knob.pos.z >= terrainTop)) {
            const float height = app.drapoApp::surface(knob.pos.x, knob.pos.y);
            if (height > knob.pos.z) {
                knob.pos.z = height;
                knob.on_surf = true;
                knob.vel.z = 0.0f;
                continue;
            }
        }
        freeKnobs[freeCount++] = k;
    }

    ktVec3f d1 = app.del1, d2 = app.del2, d3 = app.del3, d4 = app.del4, f = app.force;
    float l1 = app.dist1, l2 = app.dist2, l3 = app.dist3, l4 = app.dist4;
    for (int n = 0; n < freeCount; n++) {
        const int k = freeKnobs[n];
        ktVec3f increment;
        springIncrement(app.thread, k, d1, d2, d3, d4, l1, l2, l3, l4, f, increment);
        app.k1[k] = increment;
        app.k2[k] = increment;
        app.k3[k] = increment;
        app.k4[k] = increment;
    }
    app.del1 = d1;
    app.del2 = d2;
    app.del3 = d3;
    app.del4 = d4;
    app.force = f;
    app.dist1 = l1;
    app.dist2 = l2;
    app.dist3 = l3;
    app.dist4 = l4;

    for (int n = 0; n < freeCount; n++) {
        const int k = freeKnobs[n];
        updateKnob(app.thread[k], app.k1[k], app.k1[k], app.k1[k], app.k1[k], app.enviro);
    }
    app.i = drapoKnobs;
}

}  // namespace

void drapoApp::rungef(clothknob* P, ktVec3f& vstore, ktVec3f ref, int i) {
    (void)ref;  // the increment depends on the positions alone
    if (P == nullptr || i < 0 || i >= drapoKnobs) return;
    springIncrement(P, i, del1, del2, del3, del4, dist1, dist2, dist3, dist4, force, vstore);
}

void drapoApp::step() {
    if (typeid(*this) == typeid(drapoApp)) {
        stepExact(*this);
        return;
    }

    // A derived class may override rungef and surface: every call goes through the virtual slot,
    // in the order and number below, with the member i as the counter.

    // Contact: a knob strictly below the terrain is lifted onto it and pinned for good. A pinned
    // knob sits exactly at its terrain height, so it is never lifted again.
    for (i = 0; i < drapoKnobs; i++) {
        clothknob& knob = thread[i];
        const float height = surface(knob.pos.x, knob.pos.y);
        if (height > knob.pos.z) {
            knob.pos.z = surface(knob.pos.x, knob.pos.y);
            knob.on_surf = true;
            knob.vel.z = 0.0f;
        }
    }

    // Stages: four increments per free knob, the offsets of a fourth-order scheme handed along.
    // Positions do not change within the pass, so the four increments come out equal.
    for (i = 0; i < drapoKnobs; i++) {
        if (thread[i].on_surf) continue;
        rungef(thread, k1[i], zero, i);
        rungef(thread, k2[i], k1[i] / 2.0f, i);
        rungef(thread, k3[i], k2[i] / 2.0f, i);
        rungef(thread, k4[i], k3[i], i);
    }

    // Update: weighted stage sum plus gravity as the velocity change, damping by 0.9, then the
    // position moves with the new velocity over the step length 0.12.
    for (i = 0; i < drapoKnobs; i++) {
        clothknob& knob = thread[i];
        if (knob.on_surf) continue;
        updateKnob(knob, k1[i], k2[i], k3[i], k4[i], enviro);
    }
}

