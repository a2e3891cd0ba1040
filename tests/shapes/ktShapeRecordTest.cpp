// The shape record on real C streams: exact bytes, round trips through shapes of every kind,
// several records in one stream, what a read keeps and replaces, damaged records that must leave
// the shape untouched, and writes that fail.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/ktRecordCheck.h"
#include "shapes/ktNiceShapes.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Header offsets of the fields the tests poke at.
constexpr size_t atPicking = 73, atListLength = 74, atIndexFlag = 78, atIndexLength = 79, atNormalsFlag = 83,
                 atColorsFlag = 84, atTextureFlag = 85;

void putInt(Bytes& bytes, size_t at, int32_t value) {
    uint32_t word;
    std::memcpy(&word, &value, 4);
    for (int i = 0; i < 4; i++) bytes[at + i] = static_cast<unsigned char>(word >> (8 * i));
}

void appendWord(Bytes& bytes, uint32_t word) {
    for (int i = 0; i < 4; i++) bytes.push_back(static_cast<unsigned char>(word >> (8 * i)));
}

void appendFloat(Bytes& bytes, float value) {
    uint32_t word;
    std::memcpy(&word, &value, 4);
    appendWord(bytes, word);
}

// Reads one record from `bytes` into `shape`; returns what was printed. `consumed` gets the
// stream position afterwards.
std::string readRecord(ktShape& shape, Bytes bytes, long* consumed = nullptr) {
    static unsigned char none = 0;
    FILE* stream = fmemopen(bytes.empty() ? &none : bytes.data(), bytes.size(), "rb");
    testing::internal::CaptureStdout();
    shape.readFromFile(stream);
    std::string printed = testing::internal::GetCapturedStdout();
    if (consumed != nullptr) *consumed = std::ftell(stream);
    std::fclose(stream);
    return printed;
}

// A shape with every optional list, values that no constructor gives, and an out-of-range index.
ktShape unusualShape() {
    ktShape shape(true, true, true);
    shape.enablePerVertexTextureCoords();
    for (int i = 0; i < 3; i++) {
        shape.addPoint(1.5f * i, -2.0f, 1e-30f);
        shape.setVertexColor(i, 0.1f * i, 0.2f, 0.3f, 0.4f);
        shape.normalList[i].set(0.0f, 1.0f, 0.0f);
        shape.textureCoordList[i].set(0.25f, 0.75f * i, 9.0f);
    }
    // A NaN with a payload must come back bit for bit.
    uint32_t nanBits = 0x7FA00001u;
    std::memcpy(&shape.vertexList[2].z, &nanBits, 4);
    testing::internal::CaptureStdout();
    for (int index : {0, 1, 2, -1, 2, 7}) shape.addIndex(index);
    testing::internal::GetCapturedStdout();
    shape.drawStyle = 0xDEADBEEFu;
    shape.transformOrder = static_cast<xformOrder>(200);
    shape.enablePicking = false;
    shape.Normal.set(0.0f, -1.0f, 0.5f);
    shape.Color.set(0.5f, 0.25f, 0.125f, 0.0f);
    shape.Translation.set(-3.0f, 4.0f, 5.0f);
    shape.Scale.set(2.0f, -2.0f, 0.0f);
    shape.Rotation.set(-45.0f, 1.0f, 1.0f, 0.0f);
    return shape;
}

}  // namespace

TEST(RecordBytes, EmptyShapeIsExactlyTheHeader) {
    ktShape shape;
    Bytes expected = {0x03, 0x00, 0x00, 0x00, 0x01};
    for (float v : {0.0f, 0.0f, 1.0f,           // Normal
                    1.0f, 1.0f, 1.0f, 1.0f,     // Color
                    0.0f, 0.0f, 0.0f,           // Translation
                    1.0f, 1.0f, 1.0f,           // Scale
                    0.0f, 0.0f, 1.0f, 0.0f}) {  // Rotation
        appendFloat(expected, v);
    }
    expected.push_back(0x01);  // picking
    appendWord(expected, 0);   // listLength
    expected.push_back(0x00);  // index list
    appendWord(expected, 0);   // indexListLength
    expected.insert(expected.end(), {0x00, 0x00, 0x00});
    ASSERT_EQ(expected.size(), 86u);
    EXPECT_EQ(ktShapeRecordBytes(shape), expected);
    // The float 1.0 is 00 00 80 3F little-endian: Normal.z sits at offset 13.
    EXPECT_EQ(ktShapeRecordBytes(shape)[16], 0x3F);
}

TEST(RecordBytes, MeshRecordSizesAndBlocks) {
    ktMeshShape small(2, 2);
    Bytes bytes = ktShapeRecordBytes(small);
    ASSERT_EQ(bytes.size(), 266u);
    // Vertices right after the header: (0,0,0) (0,1,0) (1,0,0) (1,1,0).
    Bytes vertices;
    for (float v : {0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 1.f, 0.f, 0.f, 1.f, 1.f, 0.f}) appendFloat(vertices, v);
    EXPECT_EQ(Bytes(bytes.begin() + 86, bytes.begin() + 134), vertices);
    // The index block comes last: 0, 2, 1, 3, -1.
    Bytes indices;
    for (uint32_t i : {0u, 2u, 1u, 3u, 0xFFFFFFFFu}) appendWord(indices, i);
    EXPECT_EQ(Bytes(bytes.end() - 20, bytes.end()), indices);
    EXPECT_EQ(bytes[4], 1);              // kt_T_R_S
    EXPECT_EQ(bytes[atNormalsFlag], 1);  // normals and colours on, texture coordinates off
    EXPECT_EQ(bytes[atColorsFlag], 1);
    EXPECT_EQ(bytes[atTextureFlag], 0);

    ktMeshShape cloth(100, 100);
    EXPECT_EQ(ktShapeRecordBytes(cloth).size(), 479682u);
}

TEST(RecordRoundTrip, AnyRecordIntoAnyShapeWritesTheSameBytes) {
    ktShape empty;
    ktMeshShape mesh(2, 3);
    ktShape unusual = unusualShape();
    ktShape* sources[] = {&empty, &mesh, &unusual};
    for (ktShape* source : sources) {
        const Bytes record = ktShapeRecordBytes(*source);
        ktShape fresh;
        ktMeshShape bigger(4, 4);
        ktShape other = unusualShape();
        ktShape* targets[] = {&fresh, &bigger, &other};
        for (ktShape* target : targets) {
            long consumed = 0;
            EXPECT_EQ(readRecord(*target, record, &consumed), "");
            EXPECT_EQ(consumed, static_cast<long>(record.size()));
            EXPECT_EQ(ktShapeRecordBytes(*target), record);
            EXPECT_EQ(target->drawStyle, source->drawStyle);
            EXPECT_EQ(target->transformOrder, source->transformOrder);
            EXPECT_EQ(target->listLength, source->listLength);
        }
    }
}

TEST(RecordRoundTrip, TwoRecordsInOneStreamReadBackInOrder) {
    ktMeshShape first(2, 2);
    ktShape second = unusualShape();
    FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    first.writeToFile(stream);
    second.writeToFile(stream);
    std::rewind(stream);

    ktShape a, b;
    a.readFromFile(stream);
    EXPECT_EQ(std::ftell(stream), 266);
    b.readFromFile(stream);
    EXPECT_EQ(std::fgetc(stream), EOF);
    std::fclose(stream);
    EXPECT_EQ(ktShapeRecordBytes(a), ktShapeRecordBytes(first));
    EXPECT_EQ(ktShapeRecordBytes(b), ktShapeRecordBytes(second));
}

TEST(RecordRead, AnyNonZeroFlagByteIsTrueAndOddValuesAreKept) {
    ktShape source = unusualShape();
    Bytes record = ktShapeRecordBytes(source);
    record[atPicking] = 0x80;
    record[atIndexFlag] = 0x02;
    record[atNormalsFlag] = 0xFF;
    record[atColorsFlag] = 0x10;
    record[atTextureFlag] = 0x01;
    record[4] = 9;  // transformOrder outside 0..5
    ktShape shape;
    ASSERT_EQ(readRecord(shape, record), "");
    EXPECT_TRUE(shape.enablePicking && shape.enableIndex && shape.enableVertexNormals &&
                shape.enableVertexColors && shape.enableVertexTextureCoords);
    EXPECT_EQ(static_cast<int>(shape.transformOrder), 9);
    EXPECT_EQ(shape.drawStyle, 0xDEADBEEFu);
    EXPECT_EQ(shape.indexList[5], 7);  // stored as read, out of range or not
    Bytes again = ktShapeRecordBytes(shape);
    for (size_t at : {atPicking, atIndexFlag, atNormalsFlag, atColorsFlag, atTextureFlag}) {
        EXPECT_EQ(again[at], 1) << "flag at " << at;
        record[at] = 1;
    }
    EXPECT_EQ(again, record);
}

TEST(RecordRead, ResizesVertexListsKeepsOldEntriesAndLeavesFlaggedOffListsAlone) {
    ktShape shape(true, false, false);
    for (int i = 0; i < 3; i++) {
        shape.addPoint();
        shape.screenVertexList[i].set(10.0f * (i + 1), 1.0f, 0.5f);
        shape.absVertexList[i].set(1.0f, 2.0f, 3.0f + i);
    }
    ktVec4f* colors = shape.colorList;

    ktShape source(false, true, false);
    for (int i = 0; i < 5; i++) source.addPoint(static_cast<float>(i), 0.0f, 0.0f);
    ASSERT_EQ(readRecord(shape, ktShapeRecordBytes(source)), "");

    ASSERT_EQ(shape.listLength, 5);
    EXPECT_FALSE(shape.enableVertexColors);
    EXPECT_EQ(shape.colorList, colors);  // neither resized nor freed
    EXPECT_TRUE(shape.enableVertexNormals);
    ASSERT_NE(shape.normalCountList, nullptr);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(shape.vertexList[i].x, static_cast<float>(i));
        EXPECT_EQ(shape.normalCountList[i], 0);
        float keptX = i < 3 ? 10.0f * (i + 1) : 0.0f;  // new window and world positions start at 0
        EXPECT_EQ(shape.screenVertexList[i].x, keptX) << i;
        EXPECT_EQ(shape.absVertexList[i].z, i < 3 ? 3.0f + i : 0.0f) << i;
    }
    testing::internal::CaptureStdout();
    shape.setVertexColor(0, 1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), ktMsgSetVertexColorDisabled);

    // A record of no vertices with normals on: an empty shape with normals on and empty lists.
    ktShape none(false, true, false);
    ASSERT_EQ(readRecord(shape, ktShapeRecordBytes(none)), "");
    EXPECT_EQ(shape.listLength, 0);
    EXPECT_TRUE(shape.enableVertexNormals);
    EXPECT_TRUE(shape.vertexList == nullptr && shape.normalList == nullptr &&
                shape.normalCountList == nullptr);
}

TEST(RecordRead, IndexCountWithoutIndexBlockIsKeptWithoutAllocating) {
    // The flag is off, so the count has no block behind it: nothing is read or allocated for it,
    // and the record still writes back as it was.
    ktShape target(false, false, true);
    target.addPoint();
    target.addIndex(0);
    int* kept = target.indexList;
    ktShape empty;
    Bytes record = ktShapeRecordBytes(empty);
    putInt(record, atIndexLength, INT_MAX);
    ASSERT_EQ(readRecord(target, record), "");
    EXPECT_FALSE(target.enableIndex);
    EXPECT_EQ(target.indexListLength, INT_MAX);
    EXPECT_EQ(target.indexList, kept);
    EXPECT_EQ(ktShapeRecordBytes(target), record);
}

TEST(RecordRead, DamagedRecordLeavesShapeUntouched) {
    ktShape source = unusualShape();
    const Bytes good = ktShapeRecordBytes(source);  // 3 vertices, all lists, 6 indices: 278 bytes
    ASSERT_EQ(good.size(), 86u + 3 * (12 + 12 + 16 + 12) + 6 * 4);

    struct Case {
        std::string name;
        Bytes bytes;
    };
    std::vector<Case> cases;
    // Cut at every header field boundary, just after the header, inside a block, one byte short.
    for (size_t cut : {0, 4, 5, 17, 33, 45, 57, 73, 74, 78, 79, 83, 84, 85, 86, 100, 200}) {
        cases.push_back({"cut at " + std::to_string(cut), Bytes(good.begin(), good.begin() + cut)});
    }
    cases.push_back({"one byte missing", Bytes(good.begin(), good.end() - 1)});
    auto withInt = [&good](size_t at, int32_t value) {
        Bytes bytes = good;
        putInt(bytes, at, value);
        return bytes;
    };
    cases.push_back({"negative listLength", withInt(atListLength, -1)});
    cases.push_back({"most negative listLength", withInt(atListLength, INT_MIN)});
    cases.push_back({"negative indexListLength", withInt(atIndexLength, -3)});
    cases.push_back({"huge listLength", withInt(atListLength, INT_MAX)});
    cases.push_back({"huge indexListLength", withInt(atIndexLength, INT_MAX)});
    cases.push_back({"listLength one too many", withInt(atListLength, 4)});
    Bytes negativeUnflagged = withInt(atIndexLength, -1);
    negativeUnflagged[atIndexFlag] = 0;
    cases.push_back({"negative count without its block", negativeUnflagged});
    Bytes flagWithoutBlock = Bytes(good.begin(), good.end() - 24);
    flagWithoutBlock[atIndexFlag] = 1;
    putInt(flagWithoutBlock, atIndexLength, 1);
    cases.push_back({"index flag without its block", flagWithoutBlock});

    for (const Case& c : cases) {
        ktMeshShape shape(3, 2);
        const ktShapeSnapshot before = ktSnapshotShape(shape);
        EXPECT_EQ(readRecord(shape, c.bytes), ktMsgRecordDamaged) << c.name;
        EXPECT_TRUE(ktSnapshotShape(shape) == before) << c.name;
        ktReleaseShapeLists(shape);
    }

    ktShape shape = unusualShape();
    const ktShapeSnapshot before = ktSnapshotShape(shape);
    testing::internal::CaptureStdout();
    shape.readFromFile(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), ktMsgRecordDamaged);
    EXPECT_TRUE(ktSnapshotShape(shape) == before);
}

TEST(RecordWrite, FailedWriteIsReported) {
    ktMeshShape mesh(2, 2);  // a record of 266 bytes
    // Room -1: a stream open for reading only; 0: no stream; else a memory stream of that many
    // bytes, too small for the record (the failure surfaces when it drains) or exactly its size.
    for (long room : {-1L, 0L, 10L, 100L, 265L, 266L}) {
        SCOPED_TRACE(room);
        std::vector<char> buffer(room > 0 ? room : 1);
        FILE* stream = room < 0    ? std::fopen("/dev/null", "rb")
                       : room == 0 ? nullptr
                                   : fmemopen(buffer.data(), room, "wb");
        ASSERT_TRUE(stream != nullptr || room == 0);
        testing::internal::CaptureStdout();
        mesh.writeToFile(stream);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), room == 266 ? "" : ktMsgRecordNotWritten);
        if (stream != nullptr) std::fclose(stream);
    }
}
