// Primitive codes: the values a shape's drawStyle holds. They are OpenGL's primitive modes, so
// drawStyle goes to glBegin unchanged, and drawing, normal calculation, picking and the shape
// record share them without an OpenGL header. In an index list, ktIndexSeparator ends the current
// primitive; the next entry starts a new one.
#ifndef KT_SHAPES_KTPRIMITIVE_H
#define KT_SHAPES_KTPRIMITIVE_H

enum ktPrimitive : unsigned int {
    kt_POINTS = 0,          // GL_POINTS
    kt_LINES = 1,           // GL_LINES
    kt_LINE_LOOP = 2,       // GL_LINE_LOOP
    kt_LINE_STRIP = 3,      // GL_LINE_STRIP
    kt_TRIANGLES = 4,       // GL_TRIANGLES
    kt_TRIANGLE_STRIP = 5,  // GL_TRIANGLE_STRIP
    kt_TRIANGLE_FAN = 6,    // GL_TRIANGLE_FAN
    kt_QUADS = 7,           // GL_QUADS
    kt_QUAD_STRIP = 8,      // GL_QUAD_STRIP
    kt_POLYGON = 9          // GL_POLYGON
};

// The index-list entry that separates primitives.
const int ktIndexSeparator = -1;

#endif
