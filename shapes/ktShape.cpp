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

float ktShape::pickTolerance = 5.0f;

namespace {

// Resizes a packed list to exactly `count` entries, keeping the first min(old, count) entries.
// A count of 0 frees the block and leaves a null pointer. On allocation failure the old block is
// kept and the process stops: a list shorter than its count would be read out of bounds later.
template <typename T>
T* resizeList(T* list, int count) {
    if (count <= 0) {
        std::free(static_cast<void*>(list));
        return nullptr;
    }
    void* grown = std::realloc(static_cast<void*>(list), static_cast<size_t>(count) * sizeof(T));
    if (grown == nullptr) {
        std::fputs("ktShape: out of memory\n", stderr);
        std::abort();
    }
    return static_cast<T*>(grown);
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
    int n = listLength + 1;
    vertexList = resizeList(vertexList, n);
    absVertexList = resizeList(absVertexList, n);
    screenVertexList = resizeList(screenVertexList, n);
    vertexList[n - 1].set(0.0f, 0.0f, 0.0f);
    absVertexList[n - 1].set(0.0f, 0.0f, 0.0f);
    screenVertexList[n - 1].set(0.0f, 0.0f, 0.0f);
    if (enableVertexNormals) {
        normalList = resizeList(normalList, n);
        normalList[n - 1].set(0.0f, 0.0f, 1.0f);
        normalCountList = resizeList(normalCountList, n);
        normalCountList[n - 1] = 0;
    }
    if (enableVertexColors) {
        colorList = resizeList(colorList, n);
        colorList[n - 1].set(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (enableVertexTextureCoords) {
        textureCoordList = resizeList(textureCoordList, n);
        textureCoordList[n - 1].set(0.0f, 0.0f, 0.0f);
    }
    listLength = n;
    return n - 1;
}

void ktShape::addPoints(int count) {
    if (count <= 0) return;
    const int first = listLength;
    const int n = listLength + count;
    vertexList = resizeList(vertexList, n);
    absVertexList = resizeList(absVertexList, n);
    screenVertexList = resizeList(screenVertexList, n);
    if (enableVertexNormals) {
        normalList = resizeList(normalList, n);
        normalCountList = resizeList(normalCountList, n);
    }
    if (enableVertexColors) colorList = resizeList(colorList, n);
    if (enableVertexTextureCoords) textureCoordList = resizeList(textureCoordList, n);
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
}

int* ktShape::appendIndexSlots(int count) {
    const int first = indexListLength;
    if (count <= 0) return indexList + first;
    indexList = resizeList(indexList, first + count);
    indexListLength = first + count;
    return indexList + first;
}

int ktShape::addPoint(float x, float y, float z) {
    int index = addPoint();
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
    indexList = resizeList(indexList, indexListLength + 1);
    indexList[indexListLength] = index;
    indexListLength++;
}

// The enable operations size a list to listLength entries, also when its flag is already on (a
// caller that changed listLength, such as reading a record, relies on that). A list that was on
// keeps its entries, as a resize keeps the ones a block already had. A list that was off has not
// followed the additions since (its block may be stale or of another length), so every entry
// takes addPoint's default.
void ktShape::enablePerVertexColors() {
    const bool wasOn = enableVertexColors;
    enableVertexColors = true;
    colorList = resizeList(colorList, listLength);
    if (wasOn) return;
    for (int v = 0; v < listLength; v++) colorList[v].set(1.0f, 1.0f, 1.0f, 1.0f);
}

void ktShape::enablePerVertexNormals() {
    const bool wasOn = enableVertexNormals;
    enableVertexNormals = true;
    normalList = resizeList(normalList, listLength);
    normalCountList = resizeList(normalCountList, listLength);
    if (wasOn) return;
    for (int v = 0; v < listLength; v++) {
        normalList[v].set(0.0f, 0.0f, 1.0f);
        normalCountList[v] = 0;
    }
}

void ktShape::enablePerVertexTextureCoords() {
    const bool wasOn = enableVertexTextureCoords;
    enableVertexTextureCoords = true;
    textureCoordList = resizeList(textureCoordList, listLength);
    if (wasOn) return;
    for (int v = 0; v < listLength; v++) textureCoordList[v].set(0.0f, 0.0f, 0.0f);
}
