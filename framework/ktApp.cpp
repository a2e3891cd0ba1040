// Placeholder application object (being written): enough for the rest of the tree to link.
#include "framework/ktApp.h"

ktApp* apps[ktuMaxWindows];
ktApp::ktApp() : X(0), Y(0), W(100), H(100) {}
void ktApp::selfStart() {}
void ktApp::subStart() {}
void ktApp::setFocus(bool) {}
void ktApp::setParent(void*) {}
void ktApp::resize(float x, float y, float w, float h) { X = x; Y = y; W = w; H = h; }
bool ktApp::pointInside(float x, float y) { return x >= 0 && x < W && y >= 0 && y < H; }
void ktApp::mouseMove(float, float) {}
void ktApp::mouseDown(float, float, int) {}
void ktApp::mouseDrag(float, float) {}
void ktApp::mouseDrag(float, float, int) {}
void ktApp::mouseUp(float, float, int) {}
void ktApp::keyDown(char) {}
void ktApp::specialKeyDown(int) {}
