// ktFormPrimitives: splits a shape's entries into the primitives draw opens with glBegin and
// decomposes each into the points, segments or triangles OpenGL forms from it.
#include "io/ktShapePrimitives.h"

#include "shapes/ktPrimitive.h"

namespace {

int cornersOf(unsigned style) {
    switch (style) {
        case kt_POINTS:
            return 1;
        case kt_LINES:
        case kt_LINE_LOOP:
        case kt_LINE_STRIP:
            return 2;
        case kt_TRIANGLES:
        case kt_TRIANGLE_STRIP:
        case kt_TRIANGLE_FAN:
        case kt_QUADS:
        case kt_QUAD_STRIP:
        case kt_POLYGON:
            return 3;
        default:
            return 0;  // glBegin refuses the mode: nothing is drawn
    }
}

// Appends the primitives of one glBegin/glEnd run `v` of `n` vertices.
void formRun(unsigned style, const int* v, int n, std::vector<int>& out) {
    auto segment = [&out](int a, int b) { out.insert(out.end(), {a, b}); };
    auto triangle = [&out](int a, int b, int c) { out.insert(out.end(), {a, b, c}); };
    switch (style) {
        case kt_POINTS:
            out.insert(out.end(), v, v + n);
            break;
        case kt_LINES:
            for (int i = 0; i + 1 < n; i += 2) segment(v[i], v[i + 1]);
            break;
        case kt_LINE_STRIP:
        case kt_LINE_LOOP:
            for (int i = 0; i + 1 < n; i++) segment(v[i], v[i + 1]);
            if (style == kt_LINE_LOOP && n >= 2) segment(v[n - 1], v[0]);
            break;
        case kt_TRIANGLES:
            for (int i = 0; i + 2 < n; i += 3) triangle(v[i], v[i + 1], v[i + 2]);
            break;
        case kt_TRIANGLE_STRIP:
            // OpenGL swaps the first two corners of every odd triangle so that all faces of the
            // strip keep the winding of the first.
            for (int i = 0; i + 2 < n; i++) {
                if (i % 2 == 0)
                    triangle(v[i], v[i + 1], v[i + 2]);
                else
                    triangle(v[i + 1], v[i], v[i + 2]);
            }
            break;
        case kt_TRIANGLE_FAN:
        case kt_POLYGON:
            for (int i = 1; i + 1 < n; i++) triangle(v[0], v[i], v[i + 1]);
            break;
        case kt_QUADS:
            // Split along the diagonal from the second corner to the fourth, as Mesa does.
            for (int i = 0; i + 3 < n; i += 4) {
                triangle(v[i], v[i + 1], v[i + 3]);
                triangle(v[i + 1], v[i + 2], v[i + 3]);
            }
            break;
        case kt_QUAD_STRIP:
            // Quad k has the boundary v[2k], v[2k+1], v[2k+3], v[2k+2]; Mesa splits it along the
            // diagonal v[2k] to v[2k+3], the half on v[2k+2] first.
            for (int i = 0; i + 3 < n; i += 2) {
                triangle(v[i], v[i + 3], v[i + 2]);
                triangle(v[i], v[i + 1], v[i + 3]);
            }
            break;
        default:
            break;
    }
}

}  // namespace

ktShapePrimitives ktFormPrimitives(const ktShape& shape) {
    ktShapePrimitives result;
    result.corners = cornersOf(shape.drawStyle);
    if (result.corners == 0) return result;
    const int count = shape.enableIndex ? shape.indexListLength : shape.listLength;
    const int* indices = shape.enableIndex ? shape.indexList : nullptr;
    if (indices == nullptr && shape.enableIndex) return result;
    std::vector<int> run;
    for (int k = 0; k <= count; k++) {
        const int v = k == count ? ktIndexSeparator : (indices != nullptr ? indices[k] : k);
        if (v == ktIndexSeparator) {
            if (!run.empty())
                formRun(shape.drawStyle, run.data(), static_cast<int>(run.size()), result.indices);
            run.clear();
        } else if (v >= 0 && v < shape.listLength) {
            run.push_back(v);
        }
    }
    return result;
}
