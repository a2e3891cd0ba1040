// Reference computations of the shape tests, written apart from the library: the normal rules
// evaluated face by face, and bit comparisons in which any NaN matches any NaN (the sign and payload
// of a NaN that arithmetic produces depend on the operand order, which no contract fixes).
#ifndef KT_TESTS_SUPPORT_KTSHAPEREFERENCE_H
#define KT_TESTS_SUPPORT_KTSHAPEREFERENCE_H

#include <cmath>
#include <cstring>
#include <vector>

#include "shapes/ktShape.h"

inline bool ktSameBits(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, 4) == 0;
}
inline bool ktSameBits(const ktVec3f& a, const ktVec3f& b) {
    return ktSameBits(a.x, b.x) && ktSameBits(a.y, b.y) && ktSameBits(a.z, b.z);
}

// The per-vertex normals of `s` from the world positions `world` and, when the shape is indexed,
// the entries `indices`: every face's unit normal added to its corners in face order (every other
// face of a strip, counted from its start or last break, negated), then averaged and normalised;
// a vertex without faces gets +z. Triangles, strips, fans and polygons; fewer than three entries
// leave every normal zero.
inline void ktReferenceNormals(const ktShape& s, const ktVec3f* world, const int* indices,
                               std::vector<ktVec3f>& normals, std::vector<int>& counts) {
    const int n = s.listLength;
    normals.assign(n, ktVec3f(0, 0, 0));
    counts.assign(n, 0);
    const int count = s.enableIndex ? s.indexListLength : n;
    auto entry = [&](int k) { return s.enableIndex ? indices[k] : k; };
    auto named = [&](int e) { return e >= 0 && e < n; };
    auto face = [&](int a, int b, int c) {
        ktVec3f f = (world[b] - world[a]).cross(world[c] - world[a]);
        f.normalize();
        return f;
    };
    auto add = [&](int v, const ktVec3f& f) {
        normals[v] += f;
        counts[v]++;
    };
    const uint32_t style = s.drawStyle;
    if ((style == 4 || style == 5 || style == 6 || style == 9) && count < 3) return;
    if (style == 9) {
        const int a = entry(0), b = entry(1), c = entry(2);
        if (named(a) && named(b) && named(c)) {
            const ktVec3f f = face(a, b, c);
            for (int v = 0; v < n; v++) add(v, f);
        }
    } else if (style == 4 || style == 5) {
        const bool strip = style == 5;
        int k = 0;
        for (int i = 0; i + 2 < count; i += strip ? 1 : 3) {
            const int a = entry(i), b = entry(i + 1), c = entry(i + 2);
            if (!named(a) || !named(b) || !named(c)) {
                if (!strip) i -= 2;
                k = 0;
                continue;
            }
            ktVec3f f = face(a, b, c);
            if (strip && k % 2 == 0) f.set(-f.x, -f.y, -f.z);
            add(a, f), add(b, f), add(c, f);
            k++;
        }
    } else if (style == 6) {
        const int h = entry(0);
        for (int j = 1; named(h) && j + 1 < count; j++) {
            const int b = entry(j), c = entry(j + 1);
            if (!named(b) || !named(c)) continue;
            const ktVec3f f = face(h, b, c);
            add(h, f), add(b, f), add(c, f);
        }
    }
    for (int v = 0; v < n; v++) {
        if (counts[v] != 0) {
            normals[v] /= static_cast<float>(counts[v]);
            normals[v].normalize();
        } else {
            normals[v].set(0, 0, 1);
        }
    }
}

#endif
