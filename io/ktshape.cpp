// ktshape: the command-line tool for shape files. "info" describes a shape record field by field
// (or what importing a model file gives), "check" accepts only whole shape records, and "convert"
// turns any readable file into any writable one, chosen by the file names' extensions (".ktrec" for
// a shape record). Exit status: 0 done, 1 a file was refused, 2 the command line was wrong.
#include <cfloat>
#include <cstdio>
#include <cstring>
#include <string>

#include "io/ktShapeExport.h"
#include "io/ktShapeFile.h"
#include "io/ktShapeIoMessage.h"
#include "io/ktShapePrimitives.h"

namespace {

const char* const usageLine =
    "usage: ktshape info FILE | check FILE... | convert [--own] [--format ID] IN OUT\n";

const char* const helpText =
    "Shape files: shape records (.ktrec) and the model formats of the Open Asset Import Library.\n"
    "  info FILE         a record's header fields, counts, bounding box and whether it is whole;\n"
    "                    for a model file, what importing it gives\n"
    "  check FILE...     exit status 0 only if every file is a whole shape record\n"
    "  convert IN OUT    read IN and write OUT, each a record or a model by its extension\n"
    "    --own           write the shape's own coordinates rather than those its transforms give\n"
    "    --format ID     the library's export format (obj, plyb, ply, stlb, stl, glb2, gltf2, ...)\n";

int usage() {
    std::fputs(usageLine, stderr);
    return 2;
}

const char* styleName(uint32_t style) {
    static const char* const names[] = {"points",     "lines",          "line loop",    "line strip",
                                        "triangles",  "triangle strip", "triangle fan", "quads",
                                        "quad strip", "polygon"};
    return style < 10 ? names[style] : "not an OpenGL primitive";
}

void printBounds(const ktShape& shape) {
    if (shape.listLength <= 0) {
        std::printf("bounding box: none (no vertices)\n");
        return;
    }
    float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (int v = 0; v < shape.listLength; v++) {
        const float p[3] = {shape.vertexList[v].x, shape.vertexList[v].y, shape.vertexList[v].z};
        for (int k = 0; k < 3; k++) {
            if (p[k] < lo[k]) lo[k] = p[k];
            if (p[k] > hi[k]) hi[k] = p[k];
        }
    }
    std::printf("bounding box: (%.9g %.9g %.9g) (%.9g %.9g %.9g)\n", lo[0], lo[1], lo[2], hi[0], hi[1],
                hi[2]);
}

void printPrimitives(const ktShape& shape) {
    const ktShapePrimitives primitives = ktFormPrimitives(shape);
    const char* kind = primitives.corners == 1   ? "points"
                       : primitives.corners == 2 ? "line segments"
                                                 : "triangles";
    std::printf("%s: %d\n", kind, primitives.count());
}

int info(const char* path) {
    if (!ktIsRecordPath(path)) {
        ktShape shape;
        if (!ktLoadShape(path, shape)) return 1;
        std::printf("file: %s\nformat: model file, imported\n", path);
        std::printf("vertices: %d\nindices: %d\n", shape.listLength, shape.indexListLength);
        printPrimitives(shape);
        std::printf("normals: %s\ncolors: %s\ntexture coordinates: %s\n",
                    shape.enableVertexNormals ? "yes" : "no", shape.enableVertexColors ? "yes" : "no",
                    shape.enableVertexTextureCoords ? "yes" : "no");
        printBounds(shape);
        return 0;
    }
    const ktRecordInfo r = ktInspectRecord(path);
    if (!r.readable) {
        ktShape shape;
        ktLoadShape(path, shape);  // reports why
        return 1;
    }
    std::printf("file: %s\nformat: shape record\nfile size: %lld\n", path, r.fileSize);
    if (r.headerWhole) {
        std::printf("drawStyle: %u (%s)\n", r.drawStyle, styleName(r.drawStyle));
        std::printf("transformOrder: %u\n", r.transformOrder);
        std::printf("Normal: %.9g %.9g %.9g\n", r.normal[0], r.normal[1], r.normal[2]);
        std::printf("Color: %.9g %.9g %.9g %.9g\n", r.color[0], r.color[1], r.color[2], r.color[3]);
        std::printf("Translation: %.9g %.9g %.9g\n", r.translation[0], r.translation[1], r.translation[2]);
        std::printf("Scale: %.9g %.9g %.9g\n", r.scale[0], r.scale[1], r.scale[2]);
        std::printf("Rotation: %.9g %.9g %.9g %.9g\n", r.rotation[0], r.rotation[1], r.rotation[2],
                    r.rotation[3]);
        std::printf("enablePicking: %d\nlistLength: %d\nenableIndex: %d\nindexListLength: %d\n", r.picking,
                    r.listLength, r.index, r.indexListLength);
        std::printf("enableVertexNormals: %d\nenableVertexColors: %d\nenableVertexTextureCoords: %d\n",
                    r.vertexNormals, r.vertexColors, r.vertexTextureCoords);
        if (r.recordSize >= 0) std::printf("record size: %lld\n", r.recordSize);
    }
    std::printf("whole: %s\n", r.whole() ? "yes" : "no");
    if (!r.whole()) return 1;
    ktShape shape;
    if (!ktLoadShape(path, shape)) return 1;
    printPrimitives(shape);
    printBounds(shape);
    return 0;
}

int check(int count, char** paths) {
    int refused = 0;
    for (int i = 0; i < count; i++) {
        // Whatever its name, a file is checked as a shape record.
        const ktRecordInfo r = ktInspectRecord(paths[i]);
        ktShape shape;
        if (!r.readable) {
            ktIoReport("check", "cannot read", paths[i], "no such regular file, or not readable");
            refused++;
        } else if (!r.whole()) {
            std::printf("%s: %s", paths[i], ktMsgRecordDamaged);
            refused++;
        } else if (ktIsRecordPath(paths[i]) && !ktLoadShape(paths[i], shape)) {
            refused++;
        }
    }
    return refused == 0 ? 0 : 1;
}

int convert(int argc, char** argv) {
    bool world = true;
    const char* format = nullptr;
    const char* files[2];
    int named = 0;
    for (int i = 0; i < argc; i++) {
        if (std::strcmp(argv[i], "--own") == 0) {
            world = false;
        } else if (std::strcmp(argv[i], "--format") == 0) {
            if (++i == argc) return usage();
            format = argv[i];
        } else if (named < 2 && (argv[i][0] != '-' || argv[i][1] == '\0')) {
            files[named++] = argv[i];
        } else {
            return usage();
        }
    }
    if (named != 2) return usage();
    if (format != nullptr && ktIsRecordPath(files[1])) return usage();
    ktShape shape;
    if (!ktLoadShape(files[0], shape)) return 1;
    const bool written = format != nullptr ? ktExportShape(shape, files[1], world, format)
                                           : ktSaveShape(shape, files[1], world);
    return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usageLine, stdout);
        std::fputs(helpText, stdout);
        return 0;
    }
    if (argc < 2) return usage();
    const std::string verb = argv[1];
    int status;
    if (verb == "info" && argc == 3) {
        status = info(argv[2]);
    } else if (verb == "check" && argc >= 3) {
        status = check(argc - 2, argv + 2);
    } else if (verb == "convert") {
        status = convert(argc - 2, argv + 2);
    } else {
        return usage();
    }
    std::fflush(stdout);
    return status;
}
