// Property checks for reading shape records from untrusted bytes; see ktRecordCheck.h.
#include "fuzz/ktRecordCheck.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "support/ktCapture.h"

namespace {

template <typename T>
void appendBytes(std::vector<unsigned char>& out, const T* items, long count) {
    if (items == nullptr || count <= 0) return;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(items);
    out.insert(out.end(), bytes, bytes + static_cast<size_t>(count) * sizeof(T));
}

int32_t wordAt(const uint8_t* p) {
    uint32_t word = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                    static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    int32_t value;
    std::memcpy(&value, &word, 4);
    return value;
}

// A shape holding lists of several lengths, so that a read must resize, replace or keep each one.
void fillStartShape(ktShape& shape) {
    for (int i = 0; i < 3; i++) shape.addPoint(static_cast<float>(i), 2.0f * i, -1.0f);
    for (int i = 0; i < 3; i++) {
        shape.absVertexList[i].set(10.0f + i, 0.0f, 0.0f);
        shape.screenVertexList[i].set(100.0f * i, 50.0f, 0.5f);
        shape.setVertexColor(i, 0.25f, 0.5f, 0.75f, 1.0f);
    }
    shape.enablePerVertexTextureCoords();
    for (int index : {0, 1, 2, -1}) shape.addIndex(index);
    shape.drawStyle = 4;
}

// Reads every entry of every list the shape claims to hold.
unsigned touchLists(const ktShape& shape) {
    volatile unsigned sink = 0;
    auto touch = [&sink](const void* data, long bytes) {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        for (long i = 0; i < bytes; i++) sink = sink + p[i];
    };
    const long n = shape.listLength;
    touch(shape.vertexList, n * 12);
    touch(shape.absVertexList, n * 12);
    touch(shape.screenVertexList, n * 12);
    if (shape.enableVertexNormals) {
        touch(shape.normalList, n * 12);
        touch(shape.normalCountList, n * 4);
    }
    if (shape.enableVertexColors) touch(shape.colorList, n * 16);
    if (shape.enableVertexTextureCoords) touch(shape.textureCoordList, n * 12);
    if (shape.enableIndex) touch(shape.indexList, static_cast<long>(shape.indexListLength) * 4);
    return sink;
}

std::string checkListsPresent(const ktShape& s) {
    auto missing = [](const void* list, long count) { return count > 0 && list == nullptr; };
    if (s.listLength < 0 || s.indexListLength < 0) return "negative count accepted";
    if (missing(s.vertexList, s.listLength) || missing(s.absVertexList, s.listLength) ||
        missing(s.screenVertexList, s.listLength))
        return "vertex lists missing";
    if (s.enableVertexNormals &&
        (missing(s.normalList, s.listLength) || missing(s.normalCountList, s.listLength)))
        return "normal lists missing";
    if (s.enableVertexColors && missing(s.colorList, s.listLength)) return "colour list missing";
    if (s.enableVertexTextureCoords && missing(s.textureCoordList, s.listLength))
        return "texture list missing";
    if (s.enableIndex && missing(s.indexList, s.indexListLength)) return "index list missing";
    return "";
}

// Every primitive mode and a few probes, so that picking walks whatever the record held.
void exercisePicking(ktShape& shape) {
    uint32_t style = shape.drawStyle;
    for (uint32_t mode = 0; mode <= 10; mode++) {
        shape.drawStyle = mode;
        shape.pointInside(0.0f, 0.0f);
        shape.pointInside(1.0f, 1.0f);
    }
    shape.drawStyle = style;
    shape.shapeInRect(-1.0f, -1.0f, 1.0f, 1.0f, true);
    shape.shapeInRect(-1.0f, -1.0f, 1.0f, 1.0f, false);
    shape.shapeInCircle(0.0f, 0.0f, 2.0f, true);
    shape.shapeInCircle(0.0f, 0.0f, 2.0f, false);
}

}  // namespace

ktShapeSnapshot ktSnapshotShape(const ktShape& s) {
    ktShapeSnapshot snap;
    auto fields = [&snap](const auto&... values) { (appendBytes(snap.fields, &values, 1), ...); };
    fields(s.drawStyle, s.transformOrder, s.Normal, s.Color, s.Translation, s.Scale, s.Rotation,
           s.enablePicking, s.listLength, s.enableIndex, s.indexListLength, s.enableVertexNormals,
           s.enableVertexColors, s.enableVertexTextureCoords);
    snap.pointers = {s.vertexList,       s.absVertexList, s.screenVertexList, s.normalList,
                     s.textureCoordList, s.colorList,     s.indexList,        s.normalCountList};
    appendBytes(snap.lists, s.vertexList, s.listLength);
    appendBytes(snap.lists, s.absVertexList, s.listLength);
    appendBytes(snap.lists, s.screenVertexList, s.listLength);
    if (s.enableVertexNormals) {
        appendBytes(snap.lists, s.normalList, s.listLength);
        appendBytes(snap.lists, s.normalCountList, s.listLength);
    }
    if (s.enableVertexColors) appendBytes(snap.lists, s.colorList, s.listLength);
    if (s.enableVertexTextureCoords) appendBytes(snap.lists, s.textureCoordList, s.listLength);
    if (s.enableIndex) appendBytes(snap.lists, s.indexList, s.indexListLength);
    return snap;
}

void ktReleaseShapeLists(ktShape& s) {
    for (void* list :
         std::initializer_list<void*>{s.vertexList, s.absVertexList, s.screenVertexList, s.normalList,
                                      s.textureCoordList, s.colorList, s.indexList, s.normalCountList})
        std::free(list);
    s.vertexList = s.absVertexList = s.screenVertexList = s.normalList = s.textureCoordList = nullptr;
    s.colorList = nullptr;
    s.indexList = s.normalCountList = nullptr;
    s.listLength = s.indexListLength = 0;
}

std::vector<unsigned char> ktShapeRecordBytes(ktShape& shape) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (stream == nullptr) std::abort();
    shape.writeToFile(stream);
    std::fclose(stream);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// stdout is redirected at the FILE level (glibc lets the stdout variable be reassigned), so the
// capture works inside the fuzzer and inside GoogleTest alike.
std::string ktReadRecordCapturingStdout(ktShape& shape, FILE* stream) {
    return ktCaptured(stdout, [&] { shape.readFromFile(stream); });
}

std::string ktCheckRecordInput(const uint8_t* data, size_t size) {
    static unsigned char empty = 0;
    FILE* stream = fmemopen(size > 0 ? const_cast<uint8_t*>(data) : &empty, size, "rb");
    if (stream == nullptr) return "fmemopen failed";
    ktShape shape(true, true, true);
    fillStartShape(shape);

    std::string fault;
    size_t offset = 0;
    for (int record = 0; record < 8 && fault.empty(); record++) {
        const ktShapeSnapshot before = ktSnapshotShape(shape);
        const std::string printed = ktReadRecordCapturingStdout(shape, stream);

        // What the header promises, worked out from the bytes alone.
        const size_t left = size - offset;
        bool fits = left >= 86;
        uint64_t length = 86;
        if (fits) {
            const uint8_t* h = data + offset;
            int64_t vertices = wordAt(h + 74);
            int64_t indices = wordAt(h + 79);
            if (vertices < 0 || indices < 0) {
                fits = false;
            } else {
                uint64_t perVertex = 12 + (h[83] ? 12 : 0) + (h[84] ? 16 : 0) + (h[85] ? 12 : 0);
                length += perVertex * static_cast<uint64_t>(vertices) +
                          (h[78] ? 4 * static_cast<uint64_t>(indices) : 0);
                fits = length <= left;
            }
        }

        if (!fits) {
            if (printed != ktMsgRecordDamaged)
                fault = "damaged record not reported, printed: " + printed;
            else if (!(ktSnapshotShape(shape) == before))
                fault = "damaged record changed the shape";
            break;
        }
        if (!printed.empty()) {
            fault = "sound record rejected, printed: " + printed;
            break;
        }
        if (static_cast<uint64_t>(std::ftell(stream)) != offset + length) {
            fault = "record not consumed exactly";
            break;
        }
        fault = checkListsPresent(shape);
        if (!fault.empty()) break;
        touchLists(shape);

        std::vector<unsigned char> expected(data + offset, data + offset + length);
        for (size_t flagAt : {73, 78, 83, 84, 85}) expected[flagAt] = expected[flagAt] != 0 ? 1 : 0;
        if (ktShapeRecordBytes(shape) != expected) {
            fault = "written record differs from the record read";
            break;
        }
        ktShape other(false, true, false);
        other.addPoint(1.0f, 2.0f, 3.0f);
        FILE* again = fmemopen(expected.data(), expected.size(), "rb");
        std::string printedAgain = ktReadRecordCapturingStdout(other, again);
        std::fclose(again);
        bool same = printedAgain.empty() && ktShapeRecordBytes(other) == expected;
        ktReleaseShapeLists(other);
        if (!same) {
            fault = "record does not round-trip through another shape";
            break;
        }
        exercisePicking(shape);
        offset += length;
        if (offset == size) break;
    }
    std::fclose(stream);
    ktReleaseShapeLists(shape);
    return fault;
}
