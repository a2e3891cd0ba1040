/// @file
/// Shape files by name: a path ending in ".ktrec" holds shape records (the raw binary form of
/// ktShape::writeToFile); any other path is a model file for the asset library. A record file is
/// whole when it holds exactly one record: a complete 86-byte header with non-negative counts and
/// every block the header announces, and nothing after it.
#ifndef KT_IO_KTSHAPEFILE_H
#define KT_IO_KTSHAPEFILE_H

#include <cstdint>

#include "shapes/ktShape.h"

/// True when @p path names a shape-record file (it ends in ".ktrec"); any other path is a model file.
bool ktIsRecordPath(const char* path);

/// The header of a record file as stored, and how its size compares with what it announces.
struct ktRecordInfo {
    bool readable = false;             ///< the file could be opened and sized
    bool headerWhole = false;          ///< it holds all 86 header bytes; the fields below are set only then
    uint32_t drawStyle = 0;            ///< the shape's primitive code (ktShape::drawStyle)
    unsigned transformOrder = 0;       ///< the order of the shape's own transforms (ktShape::transformOrder)
    float normal[3] = {};              ///< the shape's normal
    float color[4] = {};               ///< the shape's colour, RGBA
    float translation[3] = {};         ///< the shape's translation
    float scale[3] = {};               ///< the shape's scale factors
    float rotation[4] = {};            ///< the shape's rotation: angle in degrees, then the axis
    bool picking = false;              ///< picking is enabled
    bool index = false;                ///< the record carries an index list
    bool vertexNormals = false;        ///< the record carries per-vertex normals
    bool vertexColors = false;         ///< the record carries per-vertex colours
    bool vertexTextureCoords = false;  ///< the record carries per-vertex texture coordinates
    int32_t listLength = 0;            ///< vertices announced
    int32_t indexListLength = 0;       ///< index entries announced
    long long recordSize = -1;         ///< bytes the header announces; -1 when the counts are negative
    long long fileSize = 0;            ///< bytes in the file

    /// True when the file holds exactly the one record its header announces.
    bool whole() const { return headerWhole && recordSize >= 0 && recordSize == fileSize; }
};

/// Reads the header of the record file at @p path without loading the shape.
ktRecordInfo ktInspectRecord(const char* path);

/// Reads the file into `shape` (a record replaces everything a record holds; a model replaces the
/// geometry). A refused file prints one line naming it and leaves the shape unchanged.
bool ktLoadShape(const char* path, ktShape& shape);

/// Writes the shape to the file: a whole record, or a model (positions as the shape's transforms
/// give them when `world`, else its own coordinates). Reports and returns false when any byte fails.
bool ktSaveShape(const ktShape& shape, const char* path, bool world = true);

#endif
