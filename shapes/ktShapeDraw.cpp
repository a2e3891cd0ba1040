// ktShape::draw: places the shape on the software transform stack, computes the world position of
// every vertex (and its window position while picking is on), refreshes per-vertex normals, and
// hands the shape to ktShapeSendGL, the framework's OpenGL layer (shapes/ktShapeDrawGL.cpp).
// The shape's own translation, rotation and scale therefore never reach OpenGL's matrices; the
// caller's modelview applies on top. Window positions use the camera captured last by
// ktTransformsCaptureCamera (origin bottom-left).
#include <cstdio>

#include "math/ktTransforms.h"
#include "shapes/ktShape.h"
#include "shapes/ktShapeDrawPasses.h"

void ktShape::draw() {
    ktPushMatrix();
    ktShapeApplyTransforms(transformOrder, Translation, Rotation, Scale);
    space.set(getCurrentMatrix());

    const int vertexCount = listLength;
    ktShapeWorldPositions(vertexList, absVertexList, vertexCount);
    if (enablePicking) ktShapeWindowPositions(absVertexList, screenVertexList, vertexCount);
    if (enableVertexNormals) calculateNormals();

    if (enableIndex && indexListLength == 0) std::fputs(ktMsgDrawEmptyIndexList, stdout);

    // The shape's positions, normals, colours and texture coordinates go to OpenGL when the
    // framework's drawing layer is linked in; a program without it computes them only.
    if (ktShapeSendGL != nullptr) ktShapeSendGL(*this);
    ktPopMatrix();
}
