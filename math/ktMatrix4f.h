// ktMatrix4f: 4x4 float matrix stored row-major, m[row][col]. Points are column vectors
// multiplied on the right (p' = M * p); the translation lives in column 3. This is the transpose
// of OpenGL's column-major memory layout: OpenGL element 4*j + i is m[i][j].
// translate, scale and rotgen post-multiply (M <- M * X), composing in the same order as
// glTranslatef, glScalef and glRotatef. Angles given to rotgen are in radians.
#ifndef KT_MATH_KTMATRIX4F_H
#define KT_MATH_KTMATRIX4F_H

#include "math/ktVec3f.h"

class ktMatrix4f {
public:
    float m[4][4];

    // Leaves the entries undefined (zero for objects in static storage) until set or setIdentity.
    ktMatrix4f() {}

    void set(const ktMatrix4f* other);
    void set(const float src[4][4]);
    void setIdentity();

    // Affine image of a point (w = 1); row 3 is ignored and nothing is divided.
    // `in` and `out` must be different vectors.
    void transform3(const ktVec3f* in, ktVec3f* out) const {
        out->x = m[0][0] * in->x + m[0][1] * in->y + m[0][2] * in->z + m[0][3];
        out->y = m[1][0] * in->x + m[1][1] * in->y + m[1][2] * in->z + m[1][3];
        out->z = m[2][0] * in->x + m[2][1] * in->y + m[2][2] * in->z + m[2][3];
    }
    // Full 4-component product, no division by w. `in` and `out` must be different arrays.
    void transform4(const float* in, float* out) const {
        for (int r = 0; r < 4; r++) {
            out[r] = m[r][0] * in[0] + m[r][1] * in[1] + m[r][2] * in[2] + m[r][3] * in[3];
        }
    }

    // c = a * b. c is cleared first, so it must not share storage with a or b.
    static void multiply(const float a[4][4], const float b[4][4], float c[4][4]);

    void rotgen(float x, float y, float z, float angle);
    void scale(float sx, float sy, float sz);
    void translate(float tx, float ty, float tz);
};

#endif
