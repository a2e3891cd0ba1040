/// @file
/// ktVec4f: four floats for colours and rotations.
#ifndef KT_MATH_KTVEC4F_H
#define KT_MATH_KTVEC4F_H

/// A 4-component float vector holding RGBA colours (x, y, z, w = red, green, blue, alpha, each
/// 0 .. 1) and shape rotations (x = angle in degrees, (y, z, w) = axis). A plain value type with no
/// arithmetic.
class ktVec4f {
public:
    float x;  ///< first component: red of a colour, the angle in degrees of a rotation
    float y;  ///< second component: green, or the rotation axis's x
    float z;  ///< third component: blue, or the rotation axis's y
    float w;  ///< fourth component: alpha, or the rotation axis's z

    /// (0, 0, 0, 0).
    ktVec4f() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
    /// Overwrites the four components.
    void set(float ax, float ay, float az, float aw) {
        x = ax;
        y = ay;
        z = az;
        w = aw;
    }
};

#endif
