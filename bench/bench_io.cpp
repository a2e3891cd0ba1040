// Model-file speed: import time of wavy grid surfaces of 125 000 to 1 000 000 triangles written as
// binary PLY and binary STL (is it linear in the file's size?), and the frame rate of drawing the
// million-triangle model lit in the framework's view frame, as the viewer example draws it.
// Usage: bench_io [directory for the generated files, default /tmp]; needs a window (with-xvfb.sh).
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/ktu.h"
#include "io/ktShapeExport.h"
#include "io/ktShapeImport.h"
#include "math/ktTransforms.h"
#include "shapes/ktNiceShapes.h"
#include "support/ktTestWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A side x side grid, drawn as strips: 2 (side - 1)^2 triangles, no two neighbours parallel.
ktMeshShape* makeSurface(int side) {
    ktMeshShape* mesh = new ktMeshShape(side, side);
    for (int i = 0; i < side; i++)
        for (int j = 0; j < side; j++)
            mesh->setMeshVertex(i, j, static_cast<float>(i), static_cast<float>(j),
                                3.0f * std::sin(0.05f * i) * std::cos(0.07f * j));
    mesh->enableVertexColors = false;  // positions and faces only
    return mesh;
}

long long fileSize(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// Median of three imports, in seconds; the shape of the last one is kept in `shape`.
double importSeconds(const std::string& path, ktShape& shape) {
    std::vector<double> runs;
    for (int r = 0; r < 3; r++) {
        const Clock::time_point start = Clock::now();
        if (!ktImportShape(path.c_str(), shape)) return -1.0;
        runs.push_back(secondsSince(start));
    }
    std::sort(runs.begin(), runs.end());
    return runs[1];
}

// Frames per second of the shape drawn lit and fitted to the window, each frame finished.
double frameRate(ktShape& shape, int frames) {
    shape.enablePicking = false;
    if (!shape.enableVertexNormals) shape.enablePerVertexNormals();
    const float scale = 0.6f * ktuWindowHeight / 708.0f;
    auto frame = [&shape, scale] {
        ktuOpenToviFrame();
        glEnable(GL_NORMALIZE);
        glPushMatrix();
        glTranslatef(0.5f * ktuWindowWidth, 0.5f * ktuWindowHeight, 0.0f);
        glRotatef(30.0f, 1.0f, 0.0f, 0.0f);
        glScalef(scale, scale, scale);
        glTranslatef(-354.0f, -354.0f, 0.0f);
        shape.draw();
        glPopMatrix();
        glFinish();
        ktuCloseToviFrame();
    };
    frame();  // warm-up
    const Clock::time_point start = Clock::now();
    for (int f = 0; f < frames; f++) frame();
    return frames / secondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    ktTestOpenWindow();
    ktTransformsInit();
    std::printf("%-6s %10s %12s %10s %12s\n", "format", "triangles", "file bytes", "import s", "ns/triangle");
    ktShape million;
    for (int side : {251, 355, 501, 708}) {  // about 125 000, 250 000, 500 000 and 1 000 000 triangles
        ktMeshShape* surface = makeSurface(side);
        for (const char* extension : {"ply", "stl"}) {
            const std::string path = dir + "/kt-bench-io-" + std::to_string(side) + "." + extension;
            if (!ktExportShape(*surface, path.c_str(), false)) return 1;
            ktShape shape;
            const double seconds = importSeconds(path, shape);
            if (seconds < 0) return 1;
            const int triangles = shape.indexListLength / 3;
            std::printf("%-6s %10d %12lld %10.3f %12.1f\n", extension, triangles, fileSize(path), seconds,
                        1e9 * seconds / triangles);
            if (side == 708 && std::string(extension) == "ply") ktImportShape(path.c_str(), million);
            std::remove(path.c_str());
        }
    }
    std::printf("draw %d triangles lit in a %d x %d window: %.2f frames per second\n",
                million.indexListLength / 3, ktuWindowWidth, ktuWindowHeight, frameRate(million, 5));
    return 0;
}
