// ktShape model: construction, list growth and the point and index operations.
#include "shapes/ktShape.h"

#include <cstdlib>

const char* const ktMsgAddIndexDisabled = "addIndex: index list is not enable in shape\n";
const char* const ktMsgAddIndexOutOfBounds = "addIndex warning: added index is outside of bounds\n";
const char* const ktMsgSetVertexOutOfBounds = "setVertex: index is out of bounds\n";
const char* const ktMsgSetVertexColorDisabled = "setVertexColor: vertex color is not enabled in shape\n";
const char* const ktMsgSetVertexColorOutOfBounds = "setVertexColor: index is out of bounds\n";
const char* const ktMsgDrawEmptyIndexList =
    "ktShape::draw: no shape is drawing because index list is empty\n";
const char* const ktMsgNormalsDisabled = "calculateNormals: vertex normals are not enabled\n";
const char* const ktMsgRecordDamaged = "readFromFile: shape record is damaged\n";
const char* const ktMsgRecordNotWritten = "writeToFile: shape record was not fully written\n";

const char* const ktMsgOutOfMemory = "ktShape: out of memory\n";

float ktShape::pickTolerance = 5.0f;

namespace {

// Resizes a packed list to exactly `count` entries, keeping the first min(old, count) entries.
// A count of 0 frees the block and leaves a null pointer. When the allocator fails, the block is
// left as it was and false is returned; the caller then undoes its other resizes, so that no list
// ever ends shorter than its count.
template <typename T>
bool resizeList(T*& list, int count) {
    if (count <= 0) {
        std::free(static_cast<void*>(list));
        list = nullptr;
        return true;
    }
    void* resized = std::realloc(static_cast<void*>(list), static_cast<size_t>(count) * sizeof(T));
    if (resized == nullptr) return false;
    list = static_cast<T*>(resized);
    return true;
}

// Grows every per-vertex list in use from `from` to `to` entries, or none of them: after a failed
// allocation the lists already grown are shrunk back (a shrink keeps its block when it cannot
// move it) and the failure is reported.
bool growVertexLists(ktShape& s, int from, int to) {
    int grown = 0;
    bool ok = true;
    auto grow = [&](auto*& list, bool on) {
        if (!ok || !on) return;
        ok = resizeList(list, to);
        if (ok) grown++;
    };
    auto undo = [&](auto*& list, bool on) {
        if (!on || grown == 0) return;
        resizeList(list, from);
        grown--;
    };
    auto each = [&s](auto&& step) {
        step(s.vertexList, true);
        step(s.absVertexList, true);
        step(s.screenVertexList, true);
        step(s.normalList, s.enableVertexNormals);
        step(s.normalCountList, s.enableVertexNormals);
        step(s.colorList, s.enableVertexColors);
        step(s.textureCoordList, s.enableVertexTextureCoords);
    };
    each(grow);
    if (ok) return true;
    each(undo);
    std::fputs(ktMsgOutOfMemory, stdout);
    return false;
}

}  // namespace

ktShape::ktShape(bool vertexColors, bool vertexNormals, bool index)
    : drawStyle(3),
      transformOrder(kt_T_R_S),
      Normal(0.0f, 0.0f, 1.0f),
      Translation(0.0f, 0.0f, 0.0f),
      Scale(1.0f, 1.0f, 1.0f),
      enablePicking(true),
      listLength(0),
      vertexList(nullptr),
      absVertexList(nullptr),
      screenVertexList(nullptr),
      normalList(nullptr),
      textureCoordList(nullptr),
      colorList(nullptr),
      enableIndex(index),
      indexListLength(0),
      indexList(nullptr),
      normalCountList(nullptr),
      enableVertexNormals(vertexNormals),
      enableVertexColors(vertexColors),
      enableVertexTextureCoords(false) {
    Color.set(1.0f, 1.0f, 1.0f, 1.0f);
    Rotation.set(0.0f, 0.0f, 1.0f, 0.0f);
}

int ktShape::addPoint() {
    const int n = listLength + 1;
    if (!growVertexLists(*this, listLength, n)) return -1;
    vertexList[n - 1].set(0.0f, 0.0f, 0.0f);
    absVertexList[n - 1].set(0.0f, 0.0f, 0.0f);
    screenVertexList[n - 1].set(0.0f, 0.0f, 0.0f);
    if (enableVertexNormals) {
        normalList[n - 1].set(0.0f, 0.0f, 1.0f);
        normalCountList[n - 1] = 0;
    }
    if (enableVertexColors) colorList[n - 1].set(1.0f, 1.0f, 1.0f, 1.0f);
    if (enableVertexTextureCoords) textureCoordList[n - 1].set(0.0f, 0.0f, 0.0f);
    listLength = n;
    return n - 1;
}

bool ktShape::addPoints(int count) {
    if (count <= 0) return true;
    const int first = listLength;
    const int n = listLength + count;
    if (!growVertexLists(*this, first, n)) return false;
    for (int v = first; v < n; v++) {
        vertexList[v].set(0.0f, 0.0f, 0.0f);
        absVertexList[v].set(0.0f, 0.0f, 0.0f);
        screenVertexList[v].set(0.0f, 0.0f, 0.0f);
        if (enableVertexNormals) {
            normalList[v].set(0.0f, 0.0f, 1.0f);
            normalCountList[v] = 0;
        }
        if (enableVertexColors) colorList[v].set(1.0f, 1.0f, 1.0f, 1.0f);
        if (enableVertexTextureCoords) textureCoordList[v].set(0.0f, 0.0f, 0.0f);
    }
    listLength = n;
    return true;
}

int* ktShape::appendIndexSlots(int count) {
    const int first = indexListLength;
    if (count <= 0) return indexList + first;
    if (!resizeList(indexList, first + count)) {
        std::fputs(ktMsgOutOfMemory, stdout);
        return nullptr;
    }
    indexListLength = first + count;
    return indexList + first;
}

int ktShape::addPoint(float x, float y, float z) {
    int index = addPoint();
    if (index < 0) return index;
    vertexList[index].set(x, y, z);
    return index;
}

// An out-of-range index is reported but stored all the same; drawing, normals and picking skip it.
void ktShape::addIndex(int index) {
    if (!enableIndex) {
        std::fputs(ktMsgAddIndexDisabled, stdout);
        return;
    }
    if (index < -1 || index >= listLength) std::fputs(ktMsgAddIndexOutOfBounds, stdout);
    if (!resizeList(indexList, indexListLength + 1)) {
        std::fputs(ktMsgOutOfMemory, stdout);
        return;
    }
    indexList[indexListLength] = index;
    indexListLength++;
}

// The enable operations size a list to listLength entries, also when its flag is already on (a
// caller that changed listLength, such as reading a record, relies on that). A list that was on
// keeps its entries, as a resize keeps the ones a block already had. A list that was off has not
// followed the additions since (its block may be stale or of another length), so every entry
// takes addPoint's default.
void ktShape::enablePerVertexColors() {
    if (!resizeList(colorList, listLength)) {
        std::fputs(ktMsgOutOfMemory, stdout);
        return;
    }
    const bool wasOn = enableVertexColors;
    enableVertexColors = true;
    if (wasOn) return;
    for (int v = 0; v < listLength; v++) colorList[v].set(1.0f, 1.0f, 1.0f, 1.0f);
}

void ktShape::enablePerVertexNormals() {
    if (!resizeList(normalList, listLength) || !resizeList(normalCountList, listLength)) {
        std::fputs(ktMsgOutOfMemory, stdout);
        return;
    }
    const bool wasOn = enableVertexNormals;
    enableVertexNormals = true;
    if (wasOn) return;
    for (int v = 0; v < listLength; v++) {
        normalList[v].set(0.0f, 0.0f, 1.0f);
        normalCountList[v] = 0;
    }
}

void ktShape::enablePerVertexTextureCoords() {
    if (!resizeList(textureCoordList, listLength)) {
        std::fputs(ktMsgOutOfMemory, stdout);
        return;
    }
    const bool wasOn = enableVertexTextureCoords;
    enableVertexTextureCoords = true;
    if (wasOn) return;
    for (int v = 0; v < listLength; v++) textureCoordList[v].set(0.0f, 0.0f, 0.0f);
}
