/// @file
/// ktMatrix4f: the framework's 4 × 4 float matrix.
#ifndef KT_MATH_KTMATRIX4F_H
#define KT_MATH_KTMATRIX4F_H

#include "math/ktFormulas.h"
#include "math/ktVec3f.h"

/// A 4 × 4 float matrix stored row-major, `m[row][col]`.
///
/// Points are column vectors multiplied on the right (p' = M · p); the translation lives in column 3.
/// This is the transpose of OpenGL's column-major memory layout: OpenGL element 4·j + i is m[i][j].
/// translate(), scale() and rotgen() post-multiply (M ← M · X), composing in the same order as
/// glTranslatef, glScalef and glRotatef: the transform applied last acts on the point first.
class ktMatrix4f {
public:
    float m[4][4];  ///< m[i][j] is row i, column j

    /// Leaves the entries undefined (zero for objects in static storage) until set() or setIdentity().
    ktMatrix4f() {}

    /// Copies the 16 entries of `other`.
    void set(const ktMatrix4f* other);
    /// Copies 16 entries given row by row: src[i] becomes row i.
    void set(const float src[4][4]);
    /// The identity: m[i][j] = 1 when i = j, else 0.
    void setIdentity();

    /// Affine image of a point (w = 1): out = M · (in, 1) without row 3 and without any division.
    /// The input is read before anything is written, so `in` and `out` may be the same vector.
    void transform3(const ktVec3f* in, ktVec3f* out) const {
        const float x = in->x, y = in->y, z = in->z;
        out->x = ktAffineRow(m[0], x, y, z);
        out->y = ktAffineRow(m[1], x, y, z);
        out->z = ktAffineRow(m[2], x, y, z);
    }
    /// Full 4-component product out = M · in, with no division by w. `in` and `out` (four floats each)
    /// may be the same array.
    void transform4(const float* in, float* out) const {
        const float v[4] = {in[0], in[1], in[2], in[3]};
        for (int r = 0; r < 4; r++) out[r] = ktProjectiveRow(m[r], v[0], v[1], v[2], v[3]);
    }

    /// Matrix product c = a · b, accumulated in a local and then stored, so `c` may share storage with
    /// `a` or `b` (multiply(m, x, m) gives m · x).
    static void multiply(const float a[4][4], const float b[4][4], float c[4][4]);

    /// Post-multiplies a rotation by `angle` radians about the axis (x, y, z), counter-clockwise when
    /// looking down the axis towards the origin. The axis need not be unit length. A zero axis or a
    /// zero angle leaves the matrix unchanged.
    void rotgen(float x, float y, float z, float angle);
    /// Post-multiplies a scaling by (sx, sy, sz).
    void scale(float sx, float sy, float sz);
    /// Post-multiplies a translation by (tx, ty, tz).
    void translate(float tx, float ty, float tz);
};

#endif
