// Shape files by name: a path ending in ".ktrec" holds shape records (the raw binary form of
// ktShape::writeToFile); any other path is a model file for the asset library. A record file is
// whole when it holds exactly one record: a complete 86-byte header with non-negative counts and
// every block the header announces, and nothing after it.
#ifndef KT_IO_KTSHAPEFILE_H
#define KT_IO_KTSHAPEFILE_H

#include <cstdint>

#include "shapes/ktShape.h"

bool ktIsRecordPath(const char* path);

// The header of a record file as stored, and how its size compares with what it announces.
struct ktRecordInfo {
    bool readable = false;     // the file could be opened and sized
    bool headerWhole = false;  // it holds all 86 header bytes; the fields below are set only then
    uint32_t drawStyle = 0;
    unsigned transformOrder = 0;
    float normal[3] = {}, color[4] = {}, translation[3] = {}, scale[3] = {}, rotation[4] = {};
    bool picking = false, index = false, vertexNormals = false, vertexColors = false,
         vertexTextureCoords = false;
    int32_t listLength = 0, indexListLength = 0;
    long long recordSize = -1;  // bytes the header announces; -1 when the counts are negative
    long long fileSize = 0;

    bool whole() const { return headerWhole && recordSize >= 0 && recordSize == fileSize; }
};

ktRecordInfo ktInspectRecord(const char* path);

// Reads the file into `shape` (a record replaces everything a record holds; a model replaces the
// geometry). A refused file prints one line naming it and leaves the shape unchanged.
bool ktLoadShape(const char* path, ktShape& shape);

// Writes the shape to the file: a whole record, or a model (positions as the shape's transforms
// give them when `world`, else its own coordinates). Reports and returns false when any byte fails.
bool ktSaveShape(const ktShape& shape, const char* path, bool world = true);

#endif
