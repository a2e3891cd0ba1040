/// @file
/// ktFormPrimitives: the points, line segments or triangles that OpenGL draws for a shape, as
/// vertex indices. The entries are the index list (or the vertices in order); -1 ends a primitive
/// and the next entry starts a new one, as draw's glEnd/glBegin do; an entry outside the vertex
/// list is left out, as draw leaves it out, so its neighbours join. Strip triangles keep OpenGL's
/// winding (every odd triangle has its first two corners swapped), fans and polygons turn around
/// the first entry of their primitive, and quads split along the diagonal Mesa's rasteriser uses.
#ifndef KT_IO_KTSHAPEPRIMITIVES_H
#define KT_IO_KTSHAPEPRIMITIVES_H

#include <vector>

#include "shapes/ktShape.h"

/// The primitives a shape draws, as vertex indices.
struct ktShapePrimitives {
    /// Corners per primitive: 1 points, 2 line segments, 3 triangles; 0 when the style draws none.
    int corners = 0;
    /// Vertex indices, `corners` per primitive, every one within the vertex list.
    std::vector<int> indices;

    /// The number of primitives.
    int count() const { return corners == 0 ? 0 : static_cast<int>(indices.size()) / corners; }
};

/// Forms the points, segments or triangles that drawing @p shape gives.
ktShapePrimitives ktFormPrimitives(const ktShape& shape);

#endif
