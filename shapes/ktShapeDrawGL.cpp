// The OpenGL half of ktShape::draw: the world positions of the last draw, with their normals,
// colours and texture coordinates, sent in immediate mode. kt::framework's link options name
// ktShapeSendGL, so a static link always brings this file in although no caller names it.
#include <GL/gl.h>

#include "shapes/ktShape.h"

// The strong definition of the weak reference in shapes/ktShapeDrawPasses.h (not included here, so
// that this definition is not weak itself).
extern "C" void ktShapeSendGL(const ktShape& shape) {
    // Locals, so that the opaque OpenGL calls do not force the fields to be reloaded per vertex.
    const int vertexCount = shape.listLength;
    const GLenum mode = shape.drawStyle;
    const int* const indices = shape.enableIndex ? shape.indexList : nullptr;
    const int count = shape.enableIndex ? shape.indexListLength : vertexCount;
    const ktVec3f* const positions = shape.absVertexList;
    const ktVec3f* const normals = shape.enableVertexNormals ? shape.normalList : nullptr;
    const ktVec4f* const colors = shape.enableVertexColors ? shape.colorList : nullptr;
    // Texture coordinates go with every vertex while they are on, whether or not per-vertex
    // normals are: a textured shape without them would otherwise lose its texture silently.
    const ktVec3f* const texCoords = shape.enableVertexTextureCoords ? shape.textureCoordList : nullptr;

    // The shape-wide colour and normal hold for every vertex that does not bring its own.
    glBegin(mode);
    glColor4f(shape.Color.x, shape.Color.y, shape.Color.z, shape.Color.w);
    glNormal3f(shape.Normal.x, shape.Normal.y, shape.Normal.z);
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
}
