// drapoApp construction and the module's exported symbols. The constructor lays the knobs out on
// their starting grid (x = column - 49, y = row - 49, height 6, at rest, free), sets gravity and
// makes the 100 x 100 mesh that shows the cloth. The step, terrain and frame live in
// drapoDynamics.cpp, drapoTerrain.cpp and drapoFrame.cpp.
#include "demo/drapoApp.h"

#include "demo/drapoCloth.h"

#include "math/ktTransforms.h"

// Every knob, vector and stage entry is (0, 0, 0) through ktVec3f's constructor before the body
// runs. The scratch members that the step and the mesh pass overwrite before reading, and the
// unused fx, fy and h, are given harmless values so that no member is ever indeterminate.
drapoApp::drapoApp()
    : blanky(nullptr),
      dist1(drapoRestLength),
      dist2(drapoRestLength),
      dist3(drapoRestLength),
      dist4(drapoRestLength),
      fx(0.0f),
      fy(0.0f),
      j(0.0f),
      i(0),
      h(0),
      m(0),
      n(0) {
    for (i = 0; i < drapoKnobs; i++) {
        thread[i].on_surf = false;
        thread[i].pos.set(static_cast<float>(i % drapoSide - 49), static_cast<float>(i / drapoSide - 49),
                          drapoStartHeight);
        thread[i].vel.set(0.0f, 0.0f, 0.0f);
    }
    enviro.set(0.0f, 0.0f, drapoGravity);
    zero *= 0.0f;
    j = 0.0f;
    blanky = new ktMeshShape(drapoSide, drapoSide);
    ktTransformsInit();
}

// A failed allocation throws std::bad_alloc instead of handing main a null object to start.
extern "C" ktApp* makeApp() { return new drapoApp(); }

char my_type[4] = "App";
