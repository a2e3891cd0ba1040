// Internal to the shapes module and its benchmarks: the per-vertex CPU passes of ktShape::draw,
// run over packed lists without allocation or OpenGL calls.
#ifndef KT_SHAPES_KTSHAPEDRAWPASSES_H
#define KT_SHAPES_KTSHAPEDRAWPASSES_H

#include "math/ktVec3f.h"

// world[i] = own[i] through the top of the software transform stack, as ktTransformToReal gives it.
void ktShapeWorldPositions(const ktVec3f* own, ktVec3f* world, int count);

// window[i] = window position of world[i] with the captured camera, as ktTransformRealToScreen
// gives it.
void ktShapeWindowPositions(const ktVec3f* world, ktVec3f* window, int count);

#endif
