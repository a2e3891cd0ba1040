// Import and export on real files: the samples of Debian's assimp-testmodels compared with what the
// library's own command-line tool reports for them, export-then-import round trips, files that must
// be refused without touching the shape, and writes that fail.
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <assimp/Importer.hpp>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/ktRecordCheck.h"
#include "io/ktShapeExport.h"
#include "io/ktShapeFile.h"
#include "io/ktShapeImport.h"
#include "io/ktShapePrimitives.h"
#include "math/ktTransforms.h"
#include "shapes/ktNiceShapes.h"
#include "shapes/ktPrimitive.h"

namespace {

std::string modelsDir() {
    const char* dir = std::getenv("KT_ASSIMP_MODELS");
    return dir != nullptr ? dir : "/usr/share/assimp/models";
}

// A fresh directory for the files one test writes.
struct TempDir {
    std::string path;
    TempDir() {
        char name[] = "/tmp/kt-io-test.XXXXXX";
        path = mkdtemp(name);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::string& path, size_t limit = SIZE_MAX) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.substr(0, limit);
}

// What `assimp info` says of a file.
struct ToolReport {
    long vertices = -1, faces = -1;
    std::string types;
    float lo[3] = {}, hi[3] = {};
};

ToolReport toolReport(const std::string& path, bool raw) {
    ToolReport report;
    const std::string command = "assimp info '" + path + "'" + (raw ? " -r" : "") + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return report;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::sscanf(line, "Vertices: %ld", &report.vertices);
        std::sscanf(line, "Faces: %ld", &report.faces);
        std::sscanf(line, "Minimum point (%f %f %f)", &report.lo[0], &report.lo[1], &report.lo[2]);
        std::sscanf(line, "Maximum point (%f %f %f)", &report.hi[0], &report.hi[1], &report.hi[2]);
        char types[128];
        if (std::sscanf(line, "Primitive Types: %127s", types) == 1) report.types = types;
    }
    pclose(pipe);
    return report;
}

using Triangle = std::array<float, 9>;

// The triangles the shape draws, corner positions in its own coordinates.
std::vector<Triangle> trianglesOf(const ktShape& shape) {
    const ktShapePrimitives formed = ktFormPrimitives(shape);
    std::vector<Triangle> triangles;
    if (formed.corners != 3) return triangles;
    for (size_t t = 0; t < formed.indices.size(); t += 3) {
        Triangle corners;
        for (int k = 0; k < 3; k++) {
            const ktVec3f& p = shape.vertexList[formed.indices[t + k]];
            corners[3 * k] = p.x, corners[3 * k + 1] = p.y, corners[3 * k + 2] = p.z;
        }
        triangles.push_back(corners);
    }
    return triangles;
}

// A small shape that a refused import must leave as it is.
ktShape* bystander() {
    ktShape* shape = new ktShape(true, true, true);
    shape->addPoint(1, 2, 3);
    shape->addPoint(4, 5, 6);
    shape->addIndex(0);
    shape->addIndex(1);
    shape->Translation.set(7, 8, 9);
    return shape;
}

TEST(Import, SampleFilesMatchTheLibrarysOwnTool) {
    const std::string dir = modelsDir();
    if (!std::filesystem::exists(dir)) FAIL() << dir << " is missing (Debian package assimp-testmodels)";
    struct Sample {
        const char* file;
        bool normals, colors, textureCoords;
    };
    const Sample samples[] = {
        {"PLY/cube.ply", false, false, false},
        {"PLY/cube_binary.ply", false, false, false},
        {"PLY/Wuson.ply", true, false, true},
        {"PLY/float-color.ply", false, true, false},
        {"STL/Spider_binary.stl", true, false, false},
        {"STL/triangle_with_two_solids.stl", true, false, false},
        {"OBJ/spider.obj", true, false, true},
        {"OBJ/box.obj", false, false, false},
        {"OBJ/cube_with_vertexcolors.obj", true, true, false},
        {"glTF2/BoxTextured-glTF/BoxTextured.gltf", true, false, true},
        {"glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", true, false, true},
        {"Collada/duck.dae", true, false, true},
        {"Collada/sphere.dae", true, false, true},
        {"3DS/fels.3ds", true, false, false},
    };
    for (const Sample& s : samples) {
        const std::string path = dir + "/" + s.file;
        const ToolReport raw = toolReport(path, true), processed = toolReport(path, false);
        ASSERT_GE(raw.vertices, 0) << s.file << ": assimp info gave no report (Debian package assimp-utils)";
        ktShape shape;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(ktImportShape(path.c_str(), shape)) << testing::internal::GetCapturedStdout();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << s.file;

        EXPECT_EQ(shape.drawStyle, static_cast<unsigned>(kt_TRIANGLES)) << s.file;
        EXPECT_TRUE(shape.enableIndex) << s.file;
        EXPECT_EQ(shape.listLength, raw.vertices) << s.file;
        // After the tool's processing every polygon is triangulated; when that processing also turns
        // degenerate triangles into lines or points, the raw count of the triangle file is the one.
        const long triangles = processed.types == "triangles" ? processed.faces : raw.faces;
        EXPECT_EQ(shape.indexListLength, 3 * triangles) << s.file;
        EXPECT_EQ(shape.enableVertexNormals, s.normals) << s.file;
        EXPECT_EQ(shape.enableVertexColors, s.colors) << s.file;
        EXPECT_EQ(shape.enableVertexTextureCoords, s.textureCoords) << s.file;

        float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
        for (int v = 0; v < shape.listLength; v++) {
            const float p[3] = {shape.vertexList[v].x, shape.vertexList[v].y, shape.vertexList[v].z};
            for (int k = 0; k < 3; k++) lo[k] = std::fmin(lo[k], p[k]), hi[k] = std::fmax(hi[k], p[k]);
        }
        for (int k = 0; k < 3; k++) {  // the tool prints six decimals
            EXPECT_NEAR(lo[k], raw.lo[k], 1e-6 + 1e-6 * std::fabs(raw.lo[k])) << s.file << " axis " << k;
            EXPECT_NEAR(hi[k], raw.hi[k], 1e-6 + 1e-6 * std::fabs(raw.hi[k])) << s.file << " axis " << k;
        }

        // One shape per placed mesh: together, in order, exactly the merged shape's triangles.
        std::vector<ktShape*> parts;
        ASSERT_TRUE(ktImportShapes(path.c_str(), parts)) << s.file;
        std::vector<Triangle> joined;
        for (ktShape* part : parts) {
            const std::vector<Triangle> some = trianglesOf(*part);
            joined.insert(joined.end(), some.begin(), some.end());
        }
        EXPECT_EQ(joined, trianglesOf(shape)) << s.file;
    }
}

TEST(Import, NodeTransformsPlaceEveryMeshInstance) {
    // The engine places its meshes through a seven-deep node hierarchy, some meshes several times.
    const std::string path = modelsDir() + "/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb";
    if (!std::filesystem::exists(path)) FAIL() << path << " is missing";
    ktShape shape;
    std::vector<ktShape*> parts;
    ASSERT_TRUE(ktImportShape(path.c_str(), shape));
    ASSERT_TRUE(ktImportShapes(path.c_str(), parts));
    // Compared with the library flattening the same scene itself (aiProcess_PreTransformVertices).
    EXPECT_EQ(shape.listLength, 84657);
    EXPECT_EQ(shape.indexListLength, 3 * 121496);
    int vertices = 0;
    for (ktShape* part : parts) vertices += part->listLength;
    EXPECT_EQ(vertices, shape.listLength);
    float lo = FLT_MAX, hi = -FLT_MAX;
    for (int v = 0; v < shape.listLength; v++)
        lo = std::fmin(lo, shape.vertexList[v].x), hi = std::fmax(hi, shape.vertexList[v].x);
    EXPECT_NEAR(lo, -371.692f, 1e-3);
    EXPECT_NEAR(hi, 371.692f, 1e-3);
}

TEST(Import, RefusedFilesLeaveTheShapeUnchanged) {
    const std::string dir = modelsDir();
    if (!std::filesystem::exists(dir)) FAIL() << dir << " is missing";
    TempDir tmp;
    const std::string png = readBytes(std::string(KT_SOURCE_DIR) + "/docs/drapo.png");
    ASSERT_FALSE(png.empty());
    struct Refused {
        std::string name, bytes;  // a file the test writes; empty name: `path` as given
        std::string path;
    };
    const std::vector<Refused> files = {
        {"empty.stl", "", ""},
        {"empty.obj", "", ""},
        {"empty.ply", "", ""},
        {"truncated.stl", readBytes(dir + "/STL/Spider_binary.stl", 3000), ""},
        {"truncated-ascii.ply", readBytes(dir + "/PLY/Wuson.ply", 2000), ""},
        {"truncated.ply", readBytes(dir + "/PLY/cube_binary.ply", 300), ""},
        {"truncated.glb", readBytes(dir + "/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", 4000), ""},
        {"foreign.obj", png, ""},
        {"foreign.ply", png, ""},
        {"foreign.gltf", png, ""},
        {"foreign.dae", "not a model\n", ""},
        {"", "", tmp.path},                      // a directory
        {"", "", tmp / "missing.obj"},           // no such file
        {"", "", "/dev/zero"},                   // a device that never ends
        {"", "", dir + "/OBJ/point_cloud.obj"},  // points only
        {"", "", dir + "/OBJ/testline.obj"},     // lines only
    };
    for (const Refused& f : files) {
        const std::string path = f.name.empty() ? f.path : tmp / f.name;
        if (!f.name.empty()) writeBytes(path, f.bytes);
        ktShape* shape = bystander();
        const ktShapeSnapshot before = ktSnapshotShape(*shape);
        std::vector<ktShape*> parts;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(ktImportShape(path.c_str(), *shape)) << path;
        EXPECT_FALSE(ktImportShapes(path.c_str(), parts)) << path;
        EXPECT_FALSE(ktLoadShape(path.c_str(), *shape)) << path;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(ktSnapshotShape(*shape) == before) << path;
        EXPECT_TRUE(parts.empty()) << path;
        // One line per attempt, each naming the file and giving a reason.
        const std::string prefix = "import: cannot read " + path + ": ";
        std::istringstream lines(out);
        std::string line;
        int count = 0;
        while (std::getline(lines, line)) {
            count++;
            EXPECT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
            EXPECT_GT(line.size(), prefix.size()) << line;
        }
        EXPECT_EQ(count, 3) << out;
    }
}

TEST(Records, DamagedRecordFilesAreRefusedByName) {
    TempDir tmp;
    ktMeshShape mesh(2, 3);
    const std::string good = tmp / "good.ktrec";
    ASSERT_TRUE(ktSaveShape(mesh, good.c_str()));
    const std::string bytes = readBytes(good);
    ASSERT_EQ(bytes.size(), 86u + 6 * (12 + 12 + 16) + 4 * 7);
    std::string negative = bytes;
    negative[77] = '\x80';  // listLength's top byte: a negative count
    const struct {
        const char* name;
        std::string bytes;
    } damaged[] = {
        {"short-by-one.ktrec", bytes.substr(0, bytes.size() - 1)},
        {"header-only.ktrec", bytes.substr(0, 50)},
        {"empty.ktrec", ""},
        {"negative.ktrec", negative},
        {"trailing.ktrec", bytes + "x"},
    };
    for (const auto& d : damaged) {
        const std::string path = tmp / d.name;
        writeBytes(path, d.bytes);
        ktShape* shape = bystander();
        const ktShapeSnapshot before = ktSnapshotShape(*shape);
        testing::internal::CaptureStdout();
        EXPECT_FALSE(ktLoadShape(path.c_str(), *shape)) << d.name;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), path + ": " + ktMsgRecordDamaged) << d.name;
        EXPECT_TRUE(ktSnapshotShape(*shape) == before) << d.name;
        EXPECT_FALSE(ktInspectRecord(path.c_str()).whole()) << d.name;
    }
    ktShape loaded;
    ASSERT_TRUE(ktLoadShape(good.c_str(), loaded));
    EXPECT_TRUE(ktInspectRecord(good.c_str()).whole());
    const std::string again = tmp / "again.ktrec";
    ASSERT_TRUE(ktSaveShape(loaded, again.c_str()));
    EXPECT_EQ(readBytes(again), bytes);
}

// A strip with a separator and an out-of-range entry, at positions no short decimal holds, with
// per-vertex colours.
ktShape* awkwardStrip(bool colors = true) {
    ktShape* strip = new ktShape(colors, false, true);
    strip->drawStyle = kt_TRIANGLE_STRIP;
    for (int v = 0; v < 7; v++) {
        strip->addPoint(v / 3.0f, (v % 2) * 0.1f + 1e-7f * v, std::sqrt(2.0f) * v);
        if (colors) strip->setVertexColor(v, v / 7.0f, 0.5f, 1.0f - v / 9.0f, 1.0f);
    }
    testing::internal::CaptureStdout();
    for (int i : {0, 1, 2, 3, -1, 4, 99, 5, 6}) strip->addIndex(i);
    testing::internal::GetCapturedStdout();
    return strip;
}

TEST(Export, RoundTripsKeepEveryTriangle) {
    TempDir tmp;
    ktShape* colored = awkwardStrip(true);
    ktShape* plain = awkwardStrip(false);
    const std::vector<Triangle> drawn = trianglesOf(*colored);
    ASSERT_EQ(drawn.size(), 3u);  // two in the first strip, one after the separator
    ASSERT_EQ(trianglesOf(*plain), drawn);
    const struct {
        const char* format;  // null: chosen by the file name
        const char* file;
        bool colors;      // the shape has per-vertex colours, and the format carries them
        bool exact;       // floats stored bit for bit
        float colorStep;  // resolution of the stored colours
    } formats[] = {
        {"plyb", "plain.ply", false, true, 0},
        {nullptr, "colored.ply", true, true, 1.0f / 255},  // text PLY, eight-bit colours
        {"stlb", "strip.stl", false, true, 0},
        {"stl", "strip-text.stl", false, false, 0},
        {nullptr, "strip.glb", true, true, 1e-7f},
        {"gltf2", "strip.gltf", true, true, 1e-7f},
        {nullptr, "strip.obj", true, true, 1e-6f},
        {"collada", "strip.dae", true, false, 1e-6f},
    };
    for (const auto& f : formats) {
        const std::string path = tmp / f.file;
        ktShape* shape = f.colors ? colored : plain;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(ktExportShape(*shape, path.c_str(), true, f.format))
            << testing::internal::GetCapturedStdout();
        ASSERT_EQ(testing::internal::GetCapturedStdout(), "") << f.file;
        ktShape back;
        ASSERT_TRUE(ktImportShape(path.c_str(), back)) << f.file;
        const std::vector<Triangle> read = trianglesOf(back);
        ASSERT_EQ(read.size(), drawn.size()) << f.file;
        for (size_t t = 0; t < read.size(); t++)
            for (int k = 0; k < 9; k++) {
                if (f.exact) {
                    EXPECT_EQ(read[t][k], drawn[t][k]) << f.file << " triangle " << t << " value " << k;
                } else {
                    EXPECT_NEAR(read[t][k], drawn[t][k], 1e-5) << f.file << " triangle " << t;
                }
            }
        EXPECT_EQ(back.enableVertexColors, f.colors) << f.file;
        if (!back.enableVertexColors || back.listLength != colored->listLength) continue;
        for (int v = 0; v < back.listLength; v++) {
            EXPECT_NEAR(back.colorList[v].x, v / 7.0f, f.colorStep) << f.file << " vertex " << v;
            EXPECT_NEAR(back.colorList[v].z, 1.0f - v / 9.0f, f.colorStep) << f.file << " vertex " << v;
        }
    }
    // The extension chooses the binary form where there is one.
    EXPECT_STREQ(ktExportFormatFor("a/b.PLY"), "plyb");
    EXPECT_STREQ(ktExportFormatFor("x.glb"), "glb2");
    EXPECT_EQ(ktExportFormatFor("x.unknown"), nullptr);
    EXPECT_EQ(ktExportFormatFor("noextension"), nullptr);
}

TEST(Export, WorldOrOwnCoordinates) {
    TempDir tmp;
    ktShape shape;
    shape.drawStyle = kt_TRIANGLES;
    shape.addPoint(1, 0, 0);
    shape.addPoint(0, 1, 0);
    shape.addPoint(0, 0, 1);
    shape.transformOrder = kt_T_R_S;
    shape.Translation.set(1, 0, 0);
    shape.Scale.set(2, 1, 1);
    shape.Rotation.set(90, 0, 0, 1);
    const std::string world = tmp / "world.ply", own = tmp / "own.ply";
    ASSERT_TRUE(ktExportShape(shape, world.c_str(), true));
    ASSERT_TRUE(ktExportShape(shape, own.c_str(), false));
    ktShape w, o;
    ASSERT_TRUE(ktImportShape(world.c_str(), w));
    ASSERT_TRUE(ktImportShape(own.c_str(), o));
    // Scaled, then rotated a quarter turn about z, then translated: (1, 0, 0) lands on (1, 2, 0).
    EXPECT_NEAR(w.vertexList[0].x, 1.0f, 1e-6);
    EXPECT_NEAR(w.vertexList[0].y, 2.0f, 1e-6);
    EXPECT_NEAR(w.vertexList[1].x, 0.0f, 1e-6);
    EXPECT_NEAR(w.vertexList[2].z, 1.0f, 1e-6);
    EXPECT_EQ(trianglesOf(o), trianglesOf(shape));

    // The caller's transform stack is left as it was, also when it is full.
    for (int height : {0, ktMatrixStackDepth - 1}) {
        ktTransformsInit();
        ktMatrixHeight = height;
        getCurrentMatrix()->translate(5, 6, 7);
        const ktMatrix4f top = *getCurrentMatrix();
        ASSERT_TRUE(ktExportShape(shape, world.c_str(), true));
        EXPECT_EQ(ktMatrixHeight, height);
        EXPECT_EQ(std::memcmp(getCurrentMatrix()->m, top.m, sizeof top.m), 0) << height;
    }
    ktTransformsInit();
}

TEST(Export, LinesAndPointsStayLinesAndPoints) {
    TempDir tmp;
    const struct {
        unsigned style;
        unsigned corners;
        unsigned count;
    } cases[] = {{kt_LINE_LOOP, 2, 4}, {kt_POINTS, 1, 4}};
    for (const auto& c : cases) {
        ktShape shape;
        shape.drawStyle = c.style;
        for (int v = 0; v < 4; v++) shape.addPoint(v * 0.25f, v % 2, 0);
        for (const char* file : {"shape.obj", "shape.glb"}) {
            const std::string path = tmp / file;
            ASSERT_TRUE(ktExportShape(shape, path.c_str())) << file;
            Assimp::Importer importer;
            const aiScene* scene = importer.ReadFile(path, 0);
            ASSERT_NE(scene, nullptr) << file << ": " << importer.GetErrorString();
            unsigned faces = 0;
            for (unsigned m = 0; m < scene->mNumMeshes; m++)
                for (unsigned f = 0; f < scene->mMeshes[m]->mNumFaces; f++) {
                    EXPECT_EQ(scene->mMeshes[m]->mFaces[f].mNumIndices, c.corners) << file;
                    faces++;
                }
            EXPECT_EQ(faces, c.count) << file << " style " << c.style;
        }
        testing::internal::CaptureStdout();
        EXPECT_FALSE(ktExportShape(shape, (tmp / "shape.stl").c_str()));
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "export: cannot write " + (tmp / "shape.stl") + ": STL holds triangles only\n");
    }
}

TEST(Export, FailedWritesAreReported) {
    TempDir tmp;
    ktShape* strip = awkwardStrip();
    ktShape* plain = awkwardStrip(false);
    ktShape nothing;  // draws no primitive
    // A record file name on a full device: the record too goes through checked writes.
    ASSERT_EQ(symlink("/dev/full", (tmp / "full.ktrec").c_str()), 0);
    const struct {
        ktShape* shape;
        std::string path;
        const char* format;
        bool fileLeft;  // the path exists afterwards (a device, or a directory that was there)
    } writes[] = {
        {plain, "/dev/full", "plyb", true},
        {strip, "/dev/full", "obj", true},
        {strip, "/dev/full", "glb2", true},
        {strip, tmp / "full.ktrec", nullptr, true},
        {strip, tmp / "no/such/dir/strip.ply", nullptr, false},
        {strip, tmp / "no/such/dir/strip.ktrec", nullptr, false},
        {strip, tmp / "strip.unknown", nullptr, false},
        {&nothing, tmp / "nothing.ply", nullptr, false},
        {plain, tmp.path, "plyb", true},
        {strip, tmp / "colored.ply", "plyb", false},  // the library's binary PLY garbles colours
    };
    for (const auto& w : writes) {
        testing::internal::CaptureStdout();
        const bool written = w.format == nullptr ? ktSaveShape(*w.shape, w.path.c_str())
                                                 : ktExportShape(*w.shape, w.path.c_str(), true, w.format);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(written) << w.path;
        const std::string prefix = "export: cannot write " + w.path + ": ";
        EXPECT_EQ(out.compare(0, prefix.size(), prefix), 0) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
        EXPECT_EQ(std::filesystem::exists(w.path), w.fileLeft) << w.path;
    }
}

}  // namespace
