// ktMatrix4f: copies, products and the post-multiplying affine generators.
#include "math/ktMatrix4f.h"

#include <cmath>

void ktMatrix4f::set(const ktMatrix4f* other) {
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) m[i][j] = other->m[i][j];
}

void ktMatrix4f::set(const float src[4][4]) {
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) m[i][j] = src[i][j];
}

void ktMatrix4f::setIdentity() {
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) m[i][j] = (i == j) ? 1.0f : 0.0f;
}

void ktMatrix4f::multiply(const float a[4][4], const float b[4][4], float c[4][4]) {
    // Each entry is summed from 0 in k order; the result goes to c only once every product has
    // been read, so an aliased output cannot corrupt its own input.
    float product[4][4];
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) {
            float sum = 0.0f;
            for (int k = 0; k < 4; k++) sum += a[i][k] * b[k][j];
            product[i][j] = sum;
        }
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) c[i][j] = product[i][j];
}

// Rotation by `angle` radians about (x, y, z), right-handed. The axis need not be unit length;
// a zero axis or a zero angle leaves the matrix unchanged. R is Rodrigues' formula in matrix
// form, R = c*I + s*[axis]x + t*axis*axis^T with t = 1 - c, and the result is M * R.
void ktMatrix4f::rotgen(float x, float y, float z, float angle) {
    float len = std::sqrt(x * x + y * y + z * z);
    if (len == 0.0f) return;
    if (angle == 0.0f) return;
    x /= len;
    y /= len;
    z /= len;
    float c = static_cast<float>(std::cos(static_cast<double>(angle)));
    float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    float t = 1.0f - c;

    float r[4][4] = {{t * x * x + c, t * x * y - s * z, t * x * z + s * y, 0.0f},
                     {t * x * y + s * z, t * y * y + c, t * y * z - s * x, 0.0f},
                     {t * x * z - s * y, t * y * z + s * x, t * z * z + c, 0.0f},
                     {0.0f, 0.0f, 0.0f, 1.0f}};
    // The current matrix is copied to a local scratch matrix (no shared state), then M <- M * R.
    ktMatrix4f temp;
    temp.set(this);
    multiply(temp.m, r, m);
}

// M * diag(sx, sy, sz, 1): column c of M scales by the c-th factor.
void ktMatrix4f::scale(float sx, float sy, float sz) {
    for (int r = 0; r < 4; r++) {
        m[r][0] *= sx;
        m[r][1] *= sy;
        m[r][2] *= sz;
    }
}

// M * T(tx, ty, tz): only column 3 changes.
void ktMatrix4f::translate(float tx, float ty, float tz) {
    for (int r = 0; r < 4; r++) m[r][3] += m[r][0] * tx + m[r][1] * ty + m[r][2] * tz;
}
