// Placeholder cloth application (being written).
#include "demo/drapoApp.h"

#include <new>

#include "math/ktTransforms.h"

drapoApp::drapoApp() : blanky(nullptr), j(0), i(0), h(0), m(0), n(0) {}
void drapoApp::draw() {}
void drapoApp::rungef(clothknob*, ktVec3f&, ktVec3f, int) {}
float drapoApp::surface(float, float) { return 4.0f; }
void drapoApp::step() {}
void drapoApp::updateMesh() {}
float rect(float, float, float, float, float, float) { return 0.0f; }

extern "C" ktApp* makeApp() { return new drapoApp(); }
extern "C" char my_type[4] = "App";
