// ktVec4f: 4-component float vector holding RGBA colours (x, y, z, w = red, green, blue, alpha)
// and shape rotations (x = angle in degrees, (y, z, w) = axis). No arithmetic.
#ifndef KT_MATH_KTVEC4F_H
#define KT_MATH_KTVEC4F_H

class ktVec4f {
public:
    float x;
    float y;
    float z;
    float w;

    ktVec4f() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
    void set(float ax, float ay, float az, float aw) {
        x = ax;
        y = ay;
        z = az;
        w = aw;
    }
};

#endif
