// ktVec3f: the framework's 3-component float vector (positions, normals, velocities, scales).
// A plain value type: no virtual functions, no heap storage, packed as three floats so that an
// array of them is a contiguous run of float triples. Operands are taken by value, so `v += v`
// behaves as if the operand had been copied first.
#ifndef KT_MATH_KTVEC3F_H
#define KT_MATH_KTVEC3F_H

#include <cmath>

class ktVec3f {
public:
    float x;
    float y;
    float z;

    ktVec3f() : x(0.0f), y(0.0f), z(0.0f) {}
    ktVec3f(float ax, float ay, float az) : x(ax), y(ay), z(az) {}
    ktVec3f(const ktVec3f&) = default;

    void set(float ax, float ay, float az) {
        x = ax;
        y = ay;
        z = az;
    }

    // Assignment returns nothing, so chains such as `a = b = c` do not compile.
    void operator=(ktVec3f o) {
        x = o.x;
        y = o.y;
        z = o.z;
    }
    void operator+=(ktVec3f o) {
        x += o.x;
        y += o.y;
        z += o.z;
    }
    void operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
    }
    // No test for zero: dividing by 0 yields IEEE infinities or NaN.
    void operator/=(float s) {
        x /= s;
        y /= s;
        z /= s;
    }

    float dot(const ktVec3f& o) const { return x * o.x + y * o.y + z * o.z; }
    // Right-handed: this x o.
    ktVec3f cross(const ktVec3f& o) const {
        return ktVec3f(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
    }

    // Scales to unit length. The zero test is on the float length, so a vector whose squared
    // length underflows in float (e.g. (1e-30, 0, 0)) is left unchanged instead of becoming NaN.
    void normalize() {
        float s = x * x + y * y + z * z;
        float len = std::sqrt(s);
        if (len == 0.0f) return;
        x /= len;
        y /= len;
        z /= len;
    }

    float length() const { return std::sqrt(x * x + y * y + z * z); }
    float lengthSquared() const { return x * x + y * y + z * z; }
};

inline ktVec3f operator+(ktVec3f a, ktVec3f b) { return ktVec3f(a.x + b.x, a.y + b.y, a.z + b.z); }
inline ktVec3f operator-(ktVec3f a, ktVec3f b) { return ktVec3f(a.x - b.x, a.y - b.y, a.z - b.z); }
// The vector is always the left operand; there is deliberately no float * vector form.
inline ktVec3f operator*(ktVec3f v, float s) { return ktVec3f(v.x * s, v.y * s, v.z * s); }
inline ktVec3f operator/(ktVec3f v, float s) { return ktVec3f(v.x / s, v.y / s, v.z / s); }

#endif
