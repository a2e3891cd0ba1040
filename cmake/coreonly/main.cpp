// Uses the GL-free core alone: a mesh drawn on the software stack (world positions and normals),
// then written to a shape record and read back. Exit status 0 when every result is the expected one.
#include <cstdio>

#include "math/ktTransforms.h"
#include "shapes/ktNiceShapes.h"

static int failures = 0;

static void expect(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "kt_core_only: %s\n", what);
        failures++;
    }
}

int main() {
    ktTransformsInit();
    ktMeshShape mesh(3, 4);
    mesh.Translation.set(1, 2, 3);
    mesh.draw();
    const ktVec3f& last = mesh.absVertexList[mesh.listLength - 1];  // grid position (2, 3), moved
    expect(last.x == 3 && last.y == 5 && last.z == 3, "world position of the last vertex");
    const ktVec3f& n = mesh.normalList[5];  // a flat sheet: every normal along z
    expect(n.x == 0 && n.y == 0 && (n.z == 1 || n.z == -1), "normal of an inner vertex");

    std::FILE* file = std::tmpfile();
    expect(file != nullptr, "tmpfile");
    if (file == nullptr) return 1;
    mesh.writeToFile(file);
    std::rewind(file);
    ktShape copy;
    copy.readFromFile(file);
    std::fclose(file);
    expect(copy.listLength == mesh.listLength && copy.indexListLength == mesh.indexListLength,
           "record read back: list lengths");
    expect(copy.listLength == 12 && copy.vertexList[7].x == mesh.vertexList[7].x &&
               copy.vertexList[7].y == mesh.vertexList[7].y,
           "record read back: a vertex");
    if (failures == 0) std::puts("kt_core_only: passed");
    return failures == 0 ? 0 : 1;
}
