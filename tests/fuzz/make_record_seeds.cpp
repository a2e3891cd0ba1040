// Writes valid shape records into a directory, one file each, as the fuzzer's seed corpus:
// empty and filled shapes with every combination of optional lists, meshes, and two records in
// one file.
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/ktRecordCheck.h"
#include "shapes/ktNiceShapes.h"

namespace {

void save(const std::string& dir, const std::string& name, const std::vector<unsigned char>& bytes) {
    std::string path = dir + "/" + name;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fclose(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];

    ktShape empty;
    save(dir, "empty", ktShapeRecordBytes(empty));

    for (int flags = 0; flags < 16; flags++) {
        ktShape shape((flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0);
        if (flags & 8) shape.enablePerVertexTextureCoords();
        for (int i = 0; i < 4; i++) shape.addPoint(0.5f * i, -1.0f * i, 2.0f);
        if (shape.enableIndex) {
            for (int index : {0, 1, 2, -1, 3, 2, 1}) shape.addIndex(index);
        }
        shape.drawStyle = static_cast<uint32_t>(flags % 10);
        shape.transformOrder = static_cast<xformOrder>(flags % 6);
        save(dir, "flags" + std::to_string(flags), ktShapeRecordBytes(shape));
        ktReleaseShapeLists(shape);
    }

    ktMeshShape mesh(2, 2);
    std::vector<unsigned char> meshBytes = ktShapeRecordBytes(mesh);
    save(dir, "mesh2x2", meshBytes);
    ktMeshShape wide(3, 5);
    save(dir, "mesh3x5", ktShapeRecordBytes(wide));

    std::vector<unsigned char> two = ktShapeRecordBytes(empty);
    two.insert(two.end(), meshBytes.begin(), meshBytes.end());
    save(dir, "two-records", two);
    ktReleaseShapeLists(mesh);
    ktReleaseShapeLists(wide);
    return 0;
}
