// Every allocation that building shapes and meshes, enabling lists, adding indices and reading a
// record makes is failed in turn (the n-th for every n up to the count the case makes). The shape
// must then report the failure with its message, keep every list consistent with its count, stay
// as it was for a single operation, and stay usable.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "fuzz/ktRecordCheck.h"
#include "fuzz/ktShapeProgram.h"
#include "shapes/ktNiceShapes.h"
#include "shapes/ktShape.h"
#include "support/ktFailingAlloc.h"

namespace {

// Storage for one shape made with placement new; the classes are trivially destructible.
struct Subject {
    alignas(ktMeshShape) unsigned char storage[sizeof(ktMeshShape)];
    ktShape* shape = nullptr;
};

std::vector<unsigned char> meshRecord() {
    ktMeshShape mesh(3, 4);
    mesh.enablePerVertexTextureCoords();
    std::vector<unsigned char> bytes = ktShapeRecordBytes(mesh);
    ktReleaseShapeLists(mesh);
    return bytes;
}

struct Case {
    const char* name;
    void (*prepare)(Subject&);  // unarmed
    void (*act)(Subject&);      // armed
    bool single;                // one operation: a failure must leave the shape exactly as it was
    const char* message;
};

void plainShape(Subject& s) { s.shape = new (s.storage) ktShape(true, true, true); }
void shapeWithPoints(Subject& s) {
    plainShape(s);
    for (int i = 0; i < 3; i++) s.shape->addPoint(1.0f * i, 2.0f, 3.0f);
    s.shape->addIndex(0);
}
void bareShapeWithPoints(Subject& s) {
    s.shape = new (s.storage) ktShape(false, false, true);
    for (int i = 0; i < 3; i++) s.shape->addPoint(1.0f * i, 2.0f, 3.0f);
}
void nothing(Subject&) {}

FILE* recordStream = nullptr;

const Case cases[] = {
    {"build a shape", plainShape,
     [](Subject& s) {
         for (int i = 0; i < 4; i++) s.shape->addPoint(1.0f * i, 0.0f, 0.0f);
         for (int k : {0, 1, 2, -1, 0}) s.shape->addIndex(k);
     },
     false, ktMsgOutOfMemory},
    {"add a point", shapeWithPoints, [](Subject& s) { s.shape->addPoint(9.0f, 9.0f, 9.0f); }, true,
     ktMsgOutOfMemory},
    {"add an index", shapeWithPoints, [](Subject& s) { s.shape->addIndex(2); }, true, ktMsgOutOfMemory},
    {"enable colours", bareShapeWithPoints, [](Subject& s) { s.shape->enablePerVertexColors(); }, true,
     ktMsgOutOfMemory},
    {"enable normals", bareShapeWithPoints, [](Subject& s) { s.shape->enablePerVertexNormals(); }, true,
     ktMsgOutOfMemory},
    {"enable texture coordinates", bareShapeWithPoints,
     [](Subject& s) { s.shape->enablePerVertexTextureCoords(); }, true, ktMsgOutOfMemory},
    {"build a mesh", nothing, [](Subject& s) { s.shape = new (s.storage) ktMeshShape(3, 4); }, false,
     ktMsgOutOfMemory},
    {"read a record", shapeWithPoints, [](Subject& s) { s.shape->readFromFile(recordStream); }, true,
     ktMsgRecordDamaged},
};

// The part of a snapshot that a failed operation must leave alone (a list may move in memory).
bool sameContents(const ktShapeSnapshot& a, const ktShapeSnapshot& b) {
    return a.fields == b.fields && a.lists == b.lists;
}

}  // namespace

TEST(AllocationFailure, EveryFailedAllocationIsReportedAndLeavesTheShapeConsistent) {
    std::vector<unsigned char> record = meshRecord();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        long failures = 0;
        for (long n = 1;; n++) {
            SCOPED_TRACE("allocation " + std::to_string(n));
            Subject subject;
            c.prepare(subject);
            const ktShapeSnapshot before =
                subject.shape != nullptr ? ktSnapshotShape(*subject.shape) : ktShapeSnapshot{};
            recordStream = fmemopen(record.data(), record.size(), "rb");
            long made = 0;
            const std::string printed = ktPrintedWithFailedAllocation(n, made, [&] { c.act(subject); });
            std::fclose(recordStream);
            ASSERT_NE(subject.shape, nullptr);
            ktShape& shape = *subject.shape;
            EXPECT_EQ(ktCheckShapeConsistent(shape), "");
            if (made < n) {
                // Nothing failed: the case ran to its end, silently.
                EXPECT_EQ(printed, "");
                EXPECT_GT(failures, 0) << "the case makes no allocation";
                ktReleaseShapeLists(shape);
                break;
            }
            failures++;
            EXPECT_EQ(printed, c.message);
            if (c.single) {
                EXPECT_TRUE(sameContents(ktSnapshotShape(shape), before));
            }
            // Still usable once memory is back.
            const int count = shape.listLength;
            EXPECT_EQ(ktCaptured(stdout, [&] { EXPECT_EQ(shape.addPoint(), count); }), "");
            EXPECT_EQ(ktCheckShapeConsistent(shape), "");
            ktReleaseShapeLists(shape);
        }
    }
}

TEST(AllocationFailure, AMeshKeepsEitherNoVerticesOrNoIndexList) {
    for (long n = 1;; n++) {
        Subject subject;
        long made = 0;
        const std::string printed = ktPrintedWithFailedAllocation(
            n, made, [&] { subject.shape = new (subject.storage) ktMeshShape(3, 4); });
        ktMeshShape& mesh = *static_cast<ktMeshShape*>(subject.shape);
        EXPECT_EQ(mesh.N, 3);
        EXPECT_EQ(mesh.M, 4);
        if (made < n) {
            EXPECT_EQ(mesh.listLength, 12);
            EXPECT_EQ(mesh.indexListLength, 18);
            ktReleaseShapeLists(mesh);
            break;
        }
        EXPECT_EQ(printed, ktMsgOutOfMemory);
        const bool noVertices = mesh.listLength == 0 && mesh.indexListLength == 0;
        const bool noIndices = mesh.listLength == 12 && mesh.indexListLength == 0;
        EXPECT_TRUE(noVertices || noIndices) << mesh.listLength << " " << mesh.indexListLength;
        // Grid writes report through the setters instead of touching missing storage.
        const std::string reported = ktCaptured(stdout, [&] { mesh.setMeshVertex(2, 3, 1.0f, 1.0f, 1.0f); });
        EXPECT_EQ(reported, noVertices ? ktMsgSetVertexOutOfBounds : "");
        ktReleaseShapeLists(mesh);
    }
}

// The strip normals gather a run into scratch storage that grows with the longest run seen. When it
// cannot grow, the run is summed face by face: the same bits, nothing printed, nothing lost.
TEST(AllocationFailure, StripNormalsWithoutScratchGiveTheSameBits) {
    ktShape strip(false, true, false);
    strip.drawStyle = 5;         // triangle strip, in vertex order: one run as long as the shape
    const int vertices = 40000;  // longer than any run this program draws otherwise
    for (int v = 0; v < vertices; v++) strip.addPoint(0.01f * v, std::sin(0.37f * v), std::cos(0.11f * v));
    for (int v = 0; v < vertices; v++) strip.absVertexList[v] = strip.vertexList[v];
    long made = 0;
    const std::string printed = ktPrintedWithFailedAllocation(1, made, [&] { strip.calculateNormals(); });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(made, 1);
    const std::vector<ktVec3f> faceByFace(strip.normalList, strip.normalList + vertices);
    const std::vector<int> counts(strip.normalCountList, strip.normalCountList + vertices);
    strip.calculateNormals();
    EXPECT_EQ(std::memcmp(faceByFace.data(), strip.normalList, sizeof(ktVec3f) * vertices), 0);
    EXPECT_EQ(std::memcmp(counts.data(), strip.normalCountList, sizeof(int) * vertices), 0);
    ktReleaseShapeLists(strip);
}
