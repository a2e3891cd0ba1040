/// @file
/// Model import: reads any file the Open Asset Import Library reads (OBJ, PLY, STL, glTF 2, COLLADA,
/// 3DS and more) into ktShapes. Faces are triangulated and drawn as GL_TRIANGLES through an index
/// list; positions and normals are taken through the scene's node transforms, so each mesh appears
/// where the file places it (a mesh placed by several nodes appears once per node). Per-vertex
/// normals, colours and texture coordinates are turned on when the file has them; points and
/// lines in the file are left out. A file that cannot be read, or holds no triangle, prints one line
/// naming the file and the reason on standard output and leaves every shape as it was.
#ifndef KT_IO_KTSHAPEIMPORT_H
#define KT_IO_KTSHAPEIMPORT_H

#include <vector>

#include "shapes/ktShape.h"

/// Replaces the geometry of `shape` with every triangle of the file, meshes merged with their
/// indices offset. The shape's own transforms, colour, normal and picking flag are kept. Returns
/// false, with the shape unchanged, when the file is refused.
bool ktImportShape(const char* path, ktShape& shape);

/// Appends one new shape (made with new) per placed mesh of the file, in the scene's node order.
/// Returns false, appending nothing, when the file is refused.
bool ktImportShapes(const char* path, std::vector<ktShape*>& shapes);

#endif
