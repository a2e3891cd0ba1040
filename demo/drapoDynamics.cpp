// The cloth's simulation step. Knobs have unit mass, so a spring force scaled by the step length
// is directly a velocity change. A step is three passes over all knobs, each finished before the
// next starts: contact (pin knobs that reached the terrain), stages (spring increments of the
// free knobs, all from the same positions) and update (velocity, damping, position).
#include "demo/drapoApp.h"

namespace {

// Linear spring of rest length 1 towards a neighbour `del` away at distance `dist`:
// del - del / dist = (dist - 1) * unit(del), pulling when stretched and pushing when compressed.
// An absent neighbour comes as del = 0, dist = 1 and gives 0. Two knobs at the same place
// (dist 0, or a length that underflows to 0) have no direction between them, so that spring
// contributes nothing instead of dividing by zero and filling the cloth with NaN.
inline ktVec3f springTerm(ktVec3f del, float dist) {
    if (dist == 0.0f) return ktVec3f();
    return del - del / dist;
}

}  // namespace

void drapoApp::rungef(clothknob* P, ktVec3f& vstore, ktVec3f ref, int i) {
    (void)ref;  // the increment depends on the positions alone
    if (P == nullptr || i < 0 || i >= drapoKnobs) return;
    const int column = i % drapoSide;
    const ktVec3f here = P[i].pos;

    if (column == 0) {
        del1 *= 0.0f;
        dist1 = 1.0f;
    } else {
        del1 = P[i - 1].pos - here;
        dist1 = del1.length();
    }
    if (column == drapoSide - 1) {
        del2 *= 0.0f;
        dist2 = 1.0f;
    } else {
        del2 = P[i + 1].pos - here;
        dist2 = del2.length();
    }
    if (i < drapoSide) {
        del3 *= 0.0f;
        dist3 = 1.0f;
    } else {
        del3 = P[i - drapoSide].pos - here;
        dist3 = del3.length();
    }
    if (i >= drapoKnobs - drapoSide) {
        del4 *= 0.0f;
        dist4 = 1.0f;
    } else {
        del4 = P[i + drapoSide].pos - here;
        dist4 = del4.length();
    }

    // Stiffness 30, terms summed left to right; the step length 0.12 is applied in double.
    force = (((springTerm(del1, dist1) + springTerm(del2, dist2)) + springTerm(del3, dist3)) +
             springTerm(del4, dist4)) *
            30.0f;
    vstore.set(static_cast<float>(force.x * 0.12), static_cast<float>(force.y * 0.12),
               static_cast<float>(force.z * 0.12));
}

void drapoApp::step() {
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
        const ktVec3f d = (((k1[i] / 6.0f + k2[i] / 3.0f) + k3[i] / 3.0f) + k4[i] / 6.0f) + enviro;
        knob.vel += d;
        knob.vel *= 0.9f;
        knob.pos += knob.vel * 0.12f;
    }
}
