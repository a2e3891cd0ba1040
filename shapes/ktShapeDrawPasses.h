// Internal to the shapes module and its benchmarks: the per-vertex CPU passes of ktShape::draw,
// run over packed lists without allocation or OpenGL calls.
#ifndef KT_SHAPES_KTSHAPEDRAWPASSES_H
#define KT_SHAPES_KTSHAPEDRAWPASSES_H

#include "math/ktSimd.h"
#include "math/ktVec3f.h"
#include "math/ktVec4f.h"
#include "shapes/ktShape.h"

// Applies Translation, Rotation and Scale to the top of the software stack in the order `order`
// names, as draw does before it computes world positions.
void ktShapeApplyTransforms(xformOrder order, const ktVec3f& t, const ktVec4f& r, const ktVec3f& s);

// world[i] = own[i] through the top of the software transform stack, as ktTransformToReal gives it.
void ktShapeWorldPositions(const ktVec3f* own, ktVec3f* world, int count);

// Sends a drawn shape (its world positions, normals, colours and texture coordinates) to OpenGL;
// ktShape::draw calls it last. Defined by the framework's OpenGL layer (shapes/ktShapeDrawGL.cpp).
// Weak, so a program without that layer links and draw there computes everything and sends nothing.
extern "C" void ktShapeSendGL(const ktShape& shape) __attribute__((weak));

// window[i] = window position of world[i] with the captured camera, as ktTransformRealToScreen
// gives it.
void ktShapeWindowPositions(const ktVec3f* world, ktVec3f* window, int count);

// The passes on a given instruction-set path (at most ktSimdBest()); the ones above and
// ktShape::calculateNormals run on ktSimdPathInUse(). Every path gives the same bits.
void ktShapeWorldPositionsOn(ktSimdPath path, const ktVec3f* own, ktVec3f* world, int count);
void ktShapeWindowPositionsOn(ktSimdPath path, const ktVec3f* world, ktVec3f* window, int count);
void ktShapeNormalsOn(ktSimdPath path, ktShape& shape);

#endif
