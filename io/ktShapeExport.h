/// @file
/// Model export: writes a ktShape to any format the Open Asset Import Library writes (OBJ, PLY, STL,
/// glTF 2 and more) as one mesh of the points, line segments or triangles that drawing forms
/// (ktFormPrimitives), with its normals and colours where the format carries them. The positions
/// are either those the shape's own transforms give, as draw computes them from an identity stack,
/// or the shape's own coordinates. Every byte goes through checked writes; a write that fails, a
/// format that cannot hold the shape's primitives and a shape that draws nothing are reported in
/// one line on standard output, and any partly written regular file is removed.
#ifndef KT_IO_KTSHAPEEXPORT_H
#define KT_IO_KTSHAPEEXPORT_H

#include "shapes/ktShape.h"

/// The library's format identifier for a file name's extension ("plyb" for .ply, "stlb" for .stl,
/// "glb2" for .glb, "gltf2" for .gltf, "obj" for .obj, else the first format writing that
/// extension), or null when no format writes it.
const char* ktExportFormatFor(const char* path);

/// Writes `shape` to `path` in `formatId` (null: by the extension; a shape with per-vertex colours
/// named .ply is written as text PLY, since the library's binary PLY stores them wrongly, and an
/// explicit "plyb" for such a shape is refused). `world` selects the positions
/// the shape's transforms give over its own coordinates. Returns true only when every byte was written.
bool ktExportShape(const ktShape& shape, const char* path, bool world = true, const char* formatId = nullptr);

#endif
