// ktShape::draw: places the shape on the software transform stack, computes the world position of
// every vertex (and its window position while picking is on), refreshes per-vertex normals, and
// sends the world positions to OpenGL in immediate mode. The shape's own translation, rotation and
// scale therefore never reach OpenGL's matrices; the caller's modelview applies on top. Window
// positions use the camera captured last by ktTransformsCaptureCamera (origin bottom-left).
#include <GL/gl.h>

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

    // Locals, so that the opaque OpenGL calls do not force the fields to be reloaded per vertex.
    const GLenum mode = drawStyle;
    const int* const indices = enableIndex ? indexList : nullptr;
    const int count = enableIndex ? indexListLength : vertexCount;
    const ktVec3f* const positions = absVertexList;
    const ktVec3f* const normals = enableVertexNormals ? normalList : nullptr;
    const ktVec4f* const colors = enableVertexColors ? colorList : nullptr;
    // Texture coordinates go with every vertex while they are on, whether or not per-vertex
    // normals are: a textured shape without them would otherwise lose its texture silently.
    const ktVec3f* const texCoords = enableVertexTextureCoords ? textureCoordList : nullptr;

    // The shape-wide colour and normal hold for every vertex that does not bring its own.
    glBegin(mode);
    glColor4f(Color.x, Color.y, Color.z, Color.w);
    glNormal3f(Normal.x, Normal.y, Normal.z);
    for (int k = 0; k < count; k++) {
        const int v = indices != nullptr ? indices[k] : k;
        if (v == -1) {
            // A new primitive; OpenGL keeps the current colour and normal across the break.
            glEnd();
            glBegin(mode);
            continue;
        }
        // An index the vertex list does not hold names nothing and is left out.
        if (static_cast<unsigned>(v) >= static_cast<unsigned>(vertexCount)) continue;
        if (texCoords != nullptr) glTexCoord2f(texCoords[v].x, texCoords[v].y);
        if (normals != nullptr) glNormal3f(normals[v].x, normals[v].y, normals[v].z);
        if (colors != nullptr) glColor4f(colors[v].x, colors[v].y, colors[v].z, colors[v].w);
        glVertex3f(positions[v].x, positions[v].y, positions[v].z);
    }
    glEnd();
    ktPopMatrix();
}
