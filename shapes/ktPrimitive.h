/// @file
/// Primitive codes of shapes and the index-list separator.
#ifndef KT_SHAPES_KTPRIMITIVE_H
#define KT_SHAPES_KTPRIMITIVE_H

/// The values a shape's ktShape::drawStyle holds. They are OpenGL's primitive modes, so drawStyle goes
/// to glBegin unchanged, and drawing, normal calculation, picking and the shape record share them
/// without an OpenGL header.
enum ktPrimitive : unsigned int {
    kt_POINTS = 0,          ///< GL_POINTS: each vertex a point
    kt_LINES = 1,           ///< GL_LINES: each pair of vertices a segment
    kt_LINE_LOOP = 2,       ///< GL_LINE_LOOP: a closed polyline
    kt_LINE_STRIP = 3,      ///< GL_LINE_STRIP: an open polyline (a new shape's style)
    kt_TRIANGLES = 4,       ///< GL_TRIANGLES: each three vertices a triangle
    kt_TRIANGLE_STRIP = 5,  ///< GL_TRIANGLE_STRIP: each vertex after the second closes a triangle
    kt_TRIANGLE_FAN = 6,    ///< GL_TRIANGLE_FAN: triangles around the first vertex
    kt_QUADS = 7,           ///< GL_QUADS: each four vertices a quadrilateral
    kt_QUAD_STRIP = 8,      ///< GL_QUAD_STRIP: each further pair closes a quadrilateral
    kt_POLYGON = 9          ///< GL_POLYGON: one convex polygon
};

/// The index-list entry that separates primitives: it ends the current primitive and the next
/// entry starts a new one.
const int ktIndexSeparator = -1;

#endif
