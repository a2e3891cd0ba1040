// ktShape picking: hit tests in window coordinates (pixels, origin bottom-left, y up) against the
// window positions that the shape's last draw left in screenVertexList. pointInside follows the
// primitive of drawStyle; shapeInRect and shapeInCircle look at the vertices only. An index-list
// entry of -1 separates primitives; an entry outside 0 .. listLength - 1 names no vertex and is
// skipped exactly like a separator, so no window position is ever read through it.
#include <cmath>

#include "shapes/ktShape.h"

namespace {

// OpenGL primitive modes as stored in drawStyle.
enum : uint32_t {
    modePoints = 0,
    modeLines = 1,
    modeLineLoop = 2,
    modeLineStrip = 3,
    modeTriangles = 4,
    modeTriangleStrip = 5,
    modeTriangleFan = 6,
    modePolygon = 9
};

// The entries a shape walks: its index list when enableIndex is on, else its vertices in order.
struct EntryWalk {
    const ktShape& shape;

    int count() const {
        if (!shape.enableIndex) return shape.listLength;
        return shape.indexList == nullptr ? 0 : shape.indexListLength;
    }
    int at(int k) const { return shape.enableIndex ? shape.indexList[k] : k; }
    // True when the entry names a vertex whose window position may be read.
    bool isVertex(int v) const { return v >= 0 && v < shape.listLength && shape.screenVertexList != nullptr; }
    const ktVec3f& screen(int v) const { return shape.screenVertexList[v]; }
};

// Is (x, y) within `tolerance` of the segment a-b, measured perpendicular to it, between the
// perpendiculars at its ends (no caps)? A segment whose ends coincide in x and y has no direction;
// it is measured as a point.
bool segmentHit(float x, float y, const ktVec3f& a, const ktVec3f& b, float tolerance) {
    if (a.x == b.x && a.y == b.y) {
        float dx = a.x - x;
        float dy = a.y - y;
        return dx * dx + dy * dy < tolerance * tolerance;
    }
    ktVec3f along(b.x - a.x, b.y - a.y, 0.0f);
    ktVec3f fromA(x - a.x, y - a.y, 0.0f);
    if (fromA.dot(along) < 0.0f) return false;
    ktVec3f fromB(x - b.x, y - b.y, 0.0f);
    ktVec3f backwards(a.x - b.x, a.y - b.y, 0.0f);
    if (fromB.dot(backwards) < 0.0f) return false;
    ktVec3f normal(along.y, -along.x, 0.0f);
    normal.normalize();
    return std::fabs(fromA.dot(normal)) < tolerance;
}

}  // namespace

// The sign of nz tells the winding on screen; each edge test then asks whether (x, y) lies on the
// inner side of that edge for this winding, so both windings pick alike and edges count as inside.
bool pointInTriangle(float x, float y, ktVec3f& a, ktVec3f& b, ktVec3f& c) {
    // A corner behind the near plane (clip z below -1) has a negative screen z.
    if (a.z < 0.0f || b.z < 0.0f || c.z < 0.0f) return false;
    float nz = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    const ktVec3f* corners[3] = {&a, &b, &c};
    for (int e = 0; e < 3; e++) {
        const ktVec3f& q = *corners[e];
        const ktVec3f& r = *corners[(e + 1) % 3];
        float s = (x - q.x) * (r.y - q.y) - (y - q.y) * (r.x - q.x);
        if (nz > 0.0f && s > 0.0f) return false;
        if (nz <= 0.0f && s < 0.0f) return false;
    }
    // A triangle without area passes the edge tests for every position on the line through its
    // corners (and for every position at all when the corners coincide); it covers only the part
    // of that line spanned by its corners, so the position must also lie within their bounds.
    if (nz == 0.0f) {
        float minX = std::fmin(a.x, std::fmin(b.x, c.x));
        float maxX = std::fmax(a.x, std::fmax(b.x, c.x));
        float minY = std::fmin(a.y, std::fmin(b.y, c.y));
        float maxY = std::fmax(a.y, std::fmax(b.y, c.y));
        if (x < minX || x > maxX || y < minY || y > maxY) return false;
    }
    return true;
}

bool ktShape::pointInside(float x, float y) {
    if (!enablePicking) return false;
    EntryWalk walk{*this};
    const int count = walk.count();

    switch (drawStyle) {
        case modeLines:
        case modeLineLoop:
        case modeLineStrip: {
            // A line loop is tested as an open strip: its closing segment is not a hit zone.
            if (count < 2) return false;
            const int step = drawStyle == modeLines ? 2 : 1;
            for (int i = 0; i + 1 < count; i += step) {
                int a = walk.at(i);
                int b = walk.at(i + 1);
                if (!walk.isVertex(a) || !walk.isVertex(b)) {
                    // Separate lines pair up again from the entry after the separator.
                    if (drawStyle == modeLines) i -= 1;
                    continue;
                }
                if (segmentHit(x, y, walk.screen(a), walk.screen(b), pickTolerance)) return true;
            }
            return false;
        }
        case modeTriangles:
        case modeTriangleStrip: {
            // pointInTriangle accepts both windings, so a strip's alternating winding needs no care.
            if (count < 3) return false;
            const int step = drawStyle == modeTriangles ? 3 : 1;
            for (int i = 0; i + 2 < count; i += step) {
                int a = walk.at(i);
                int b = walk.at(i + 1);
                int c = walk.at(i + 2);
                if (!walk.isVertex(a) || !walk.isVertex(b) || !walk.isVertex(c)) {
                    // Separate triangles start again at the entry after the separator.
                    if (drawStyle == modeTriangles) i -= 2;
                    continue;
                }
                if (pointInTriangle(x, y, screenVertexList[a], screenVertexList[b], screenVertexList[c]))
                    return true;
            }
            return false;
        }
        case modeTriangleFan:
        case modePolygon: {
            // A polygon is tested as a fan around its first entry, which is exact when it is convex.
            // At a separator the fan starts again around the entry after it; while the hub names no
            // vertex, its triangles are skipped.
            if (count < 3) return false;
            int hub = walk.at(0);
            for (int j = 1; j <= count - 2; j++) {
                int b = walk.at(j);
                int c = walk.at(j + 1);
                if (walk.isVertex(hub) && walk.isVertex(b) && walk.isVertex(c) &&
                    pointInTriangle(x, y, screenVertexList[hub], screenVertexList[b], screenVertexList[c])) {
                    return true;
                }
                if (!walk.isVertex(b)) hub = c;
            }
            return false;
        }
        case modePoints: {
            const float reach = pickTolerance * pickTolerance;
            for (int k = 0; k < count; k++) {
                int v = walk.at(k);
                if (!walk.isVertex(v)) continue;
                float dx = screenVertexList[v].x - x;
                float dy = screenVertexList[v].y - y;
                if (dx * dx + dy * dy < reach) return true;
            }
            return false;
        }
        default:
            // Quads, quad strips and unknown modes are never hit.
            return false;
    }
}

// any: one vertex strictly inside suffices. Otherwise every vertex must be inside, border included.
// The bounds are taken as given, not reordered.
bool ktShape::shapeInRect(float left, float bottom, float right, float top, bool any) {
    EntryWalk walk{*this};
    const int count = walk.count();
    for (int k = 0; k < count; k++) {
        int v = walk.at(k);
        if (!walk.isVertex(v)) continue;
        const ktVec3f& p = screenVertexList[v];
        if (any) {
            if (left < p.x && p.x < right && bottom < p.y && p.y < top) return true;
        } else if (p.x < left || p.x > right || p.y < bottom || p.y > top) {
            return false;
        }
    }
    return !any;
}

// any: one vertex strictly inside suffices. Otherwise every vertex must be inside, edge included.
bool ktShape::shapeInCircle(float cx, float cy, float radius, bool any) {
    EntryWalk walk{*this};
    const int count = walk.count();
    const float reach = radius * radius;
    for (int k = 0; k < count; k++) {
        int v = walk.at(k);
        if (!walk.isVertex(v)) continue;
        float dx = screenVertexList[v].x - cx;
        float dy = screenVertexList[v].y - cy;
        float d2 = dx * dx + dy * dy;
        if (any) {
            if (d2 < reach) return true;
        } else if (d2 > reach) {
            return false;
        }
    }
    return !any;
}
