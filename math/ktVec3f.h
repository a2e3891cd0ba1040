/// @file
/// ktVec3f and its arithmetic operators.
#ifndef KT_MATH_KTVEC3F_H
#define KT_MATH_KTVEC3F_H

#include "math/ktFormulas.h"

/// The framework's 3-component float vector (positions, normals, velocities, scales).
///
/// A plain value type: no virtual functions, no heap storage, packed as three floats so that an array
/// of them is a contiguous run of float triples. Operands are taken by value, so `v += v` behaves as
/// if the operand had been copied first. Nothing tests for division by zero: IEEE infinities or NaN
/// result, silently.
class ktVec3f {
public:
    float x;  ///< first component
    float y;  ///< second component
    float z;  ///< third component

    /// (0, 0, 0): a default-made vector is never left undefined.
    ktVec3f() : x(0.0f), y(0.0f), z(0.0f) {}
    /// (ax, ay, az).
    ktVec3f(float ax, float ay, float az) : x(ax), y(ay), z(az) {}
    /// Copies the three components.
    ktVec3f(const ktVec3f&) = default;

    /// Overwrites the three components.
    void set(float ax, float ay, float az) {
        x = ax;
        y = ay;
        z = az;
    }

    /// Copies the other's components. Returns nothing, so chains such as `a = b = c` do not compile.
    void operator=(ktVec3f o) {
        x = o.x;
        y = o.y;
        z = o.z;
    }
    /// Adds `o` component by component.
    void operator+=(ktVec3f o) {
        x += o.x;
        y += o.y;
        z += o.z;
    }
    /// Multiplies each component by `s`.
    void operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
    }
    /// Divides each component by `s`. No test for zero: dividing by 0 yields IEEE infinities or NaN.
    void operator/=(float s) {
        x /= s;
        y /= s;
        z /= s;
    }

    /// Dot product x·o.x + y·o.y + z·o.z; neither operand changes.
    float dot(const ktVec3f& o) const { return x * o.x + y * o.y + z * o.z; }
    /// Cross product this × o, right-handed: (1, 0, 0) × (0, 1, 0) = (0, 0, 1). Parallel vectors give
    /// (0, 0, 0).
    ktVec3f cross(const ktVec3f& o) const {
        ktVec3f c;
        ktCross(x, y, z, o.x, o.y, o.z, c.x, c.y, c.z);
        return c;
    }

    /// Scales the vector in place to unit length. A vector whose float length is 0 is left unchanged,
    /// including one whose squared length underflows in float (such as (1e-30, 0, 0)), so the result
    /// is never NaN for a finite input.
    void normalize() { ktNormalizeSafe(x, y, z); }

    /// Euclidean length √(x² + y² + z²).
    float length() const { return ktLength(x, y, z); }
    /// Squared length x² + y² + z².
    float lengthSquared() const { return x * x + y * y + z * z; }
};

/// Component-wise sum a + b.
inline ktVec3f operator+(ktVec3f a, ktVec3f b) { return ktVec3f(a.x + b.x, a.y + b.y, a.z + b.z); }
/// Component-wise difference a − b (the first operand minus the second).
inline ktVec3f operator-(ktVec3f a, ktVec3f b) { return ktVec3f(a.x - b.x, a.y - b.y, a.z - b.z); }
/// Each component times `s`. The vector is always the left operand; there is deliberately no
/// float * vector form.
inline ktVec3f operator*(ktVec3f v, float s) { return ktVec3f(v.x * s, v.y * s, v.z * s); }
/// Each component divided by `s`; no test for zero.
inline ktVec3f operator/(ktVec3f v, float s) { return ktVec3f(v.x / s, v.y / s, v.z / s); }

#endif
