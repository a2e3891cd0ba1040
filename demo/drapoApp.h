// drapoApp: the cloth demonstration. 100 x 100 unit-mass knobs joined to their four grid
// neighbours by springs of rest length 1 fall from height 6 onto a terrain (floor 4, lettered
// relief 5); a knob that touches the terrain is pinned there for good. Every frame runs one
// simulation step and shows the cloth wrapped onto a sphere (radius = -height), spinning.
// Knob k sits at column k mod 100 and row k div 100 and drives mesh vertex k.
#ifndef KT_DEMO_DRAPOAPP_H
#define KT_DEMO_DRAPOAPP_H

#include "framework/ktApp.h"
#include "math/ktVec3f.h"
#include "shapes/ktNiceShapes.h"

class clothknob {
public:
    ktVec3f pos;   // x, y in the cloth's plane; z is the height
    ktVec3f vel;   // position units per step
    bool on_surf;  // pinned to the terrain; never cleared
};

const int drapoSide = 100;
const int drapoKnobs = drapoSide * drapoSide;

class drapoApp : public ktApp {
public:
    ktMeshShape* blanky;  // the displayed 100 x 100 mesh, vertex k = knob k
    clothknob thread[drapoKnobs];
    ktVec3f del1;  // knob to left neighbour (scratch of rungef)
    ktVec3f del2;  // to right neighbour
    ktVec3f del3;  // to previous-row neighbour (k - 100)
    ktVec3f del4;  // to next-row neighbour (k + 100)
    ktVec3f force;
    ktVec3f zero;    // always (0, 0, 0)
    ktVec3f enviro;  // gravity per step, (0, 0, -0.01)
    ktVec3f k1[drapoKnobs];
    ktVec3f k2[drapoKnobs];
    ktVec3f k3[drapoKnobs];
    ktVec3f k4[drapoKnobs];
    float dist1;  // length of del1, or 1.0 for an absent neighbour
    float dist2;
    float dist3;
    float dist4;
    float fx;
    float fy;
    float j;  // frames drawn so far: the spin counter
    int i;    // knob counter of every per-knob loop
    int h;
    int m;  // column of the knob written into the mesh
    int n;  // row of the knob written into the mesh

    drapoApp();

    void draw() override;
    // Velocity increment of knob i from its springs; `ref` is not read.
    virtual void rungef(clothknob* P, ktVec3f& vstore, ktVec3f ref, int i);
    // Terrain height at (x, y): 5 on the lettered relief, 4 elsewhere.
    virtual float surface(float x, float y);

    // One simulation step: contact, stages and update passes over all knobs.
    void step();
    // Writes every knob, wrapped onto the sphere and coloured green, into the mesh.
    void updateMesh();
};

// 1 when top <= y <= bottom and left <= x <= right (inclusive; NaN fails), else 0.
float rect(float x, float y, float top, float left, float bottom, float right);

extern "C" ktApp* makeApp();
extern "C" char my_type[4];

#endif
