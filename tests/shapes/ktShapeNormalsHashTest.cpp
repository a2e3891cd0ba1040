// The strip normals that the cloth's mesh draw uses, checked bit for bit against the face-by-face
// rule (every face's unit normal added to its corners in face order, every odd face of a strip
// since its start or last break negated, then averaged and normalised) on strips the mesh never
// has: longer than one batch of faces, with separators and unnamed entries, and with a vertex
// repeated close by.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "shapes/ktShape.h"

namespace {

// The rule applied face by face on copies of the lists.
void referenceStripNormals(const ktShape& s, std::vector<ktVec3f>& normals, std::vector<int>& counts) {
    const int n = s.listLength;
    normals.assign(n, ktVec3f());
    counts.assign(n, 0);
    const int count = s.enableIndex ? s.indexListLength : n;
    auto entry = [&](int k) { return s.enableIndex ? s.indexList[k] : k; };
    auto named = [&](int e) { return e >= 0 && e < n; };
    int k = 0;
    for (int i = 0; i + 2 < count; i++) {
        const int a = entry(i), b = entry(i + 1), c = entry(i + 2);
        if (!named(a) || !named(b) || !named(c)) {
            k = 0;
            continue;
        }
        const ktVec3f* p = s.absVertexList;
        ktVec3f f = (p[b] - p[a]).cross(p[c] - p[a]);
        f.normalize();
        if (k % 2 == 0) f.set(-f.x, -f.y, -f.z);
        normals[a] += f;
        normals[b] += f;
        normals[c] += f;
        counts[a]++;
        counts[b]++;
        counts[c]++;
        k++;
    }
    for (int v = 0; v < n; v++) {
        if (counts[v] != 0) {
            normals[v] /= static_cast<float>(counts[v]);
            normals[v].normalize();
        } else {
            normals[v].set(0.0f, 0.0f, 1.0f);
        }
    }
}

bool sameBits(const ktVec3f& a, const ktVec3f& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct StripCase {
    const char* name;
    int vertices;
    std::vector<int> indices;  // empty: vertex order
};

TEST(DrapoHashNormals, StripNormalsMatchTheFaceByFaceRule) {
    std::vector<int> longWithBreaks;
    for (int k = 0; k < 1500; k++) longWithBreaks.push_back(k % 97 == 96 ? -1 : (k * 7) % 1000);
    std::vector<int> repeats = {0, 1, 2, 3, 4, 4, 5, 6, 5, 7, 8, 9, 10, 8, 11, 12, 13, 14, 15};
    std::vector<int> unnamed = {0, 1, 2, 3, 2000, 4, 5, 6, 7, -5, 8, 9, 10, 11, 12, 13, -1, -1, 14, 15, 16};
    const StripCase cases[] = {
        {"one run over several batches", 1203, {}},
        {"long runs with breaks", 1000, longWithBreaks},
        {"vertex repeated within a few entries", 16, repeats},
        {"entries naming no vertex", 17, unnamed},
    };
    for (const StripCase& c : cases) {
        SCOPED_TRACE(c.name);
        ktShape shape(false, true, !c.indices.empty());
        shape.drawStyle = 5;  // triangle strip
        uint32_t state = 7u;
        auto next = [&state]() {
            state = state * 1664525u + 1013904223u;
            return static_cast<float>(state >> 8) / 16777216.0f;
        };
        testing::internal::CaptureStdout();  // addIndex warns of the entries outside the list
        for (int v = 0; v < c.vertices; v++) shape.addPoint(0.1f * v + next(), next() * 3.0f, next());
        for (int e : c.indices) shape.addIndex(e);
        testing::internal::GetCapturedStdout();
        for (int v = 0; v < shape.listLength; v++) shape.absVertexList[v] = shape.vertexList[v];
        // One exactly flat face pair, so that a zero-length face normal is among them.
        if (c.vertices > 12) shape.absVertexList[11] = shape.absVertexList[10];

        std::vector<ktVec3f> normals;
        std::vector<int> counts;
        referenceStripNormals(shape, normals, counts);
        shape.calculateNormals();
        int mismatches = 0;
        for (int v = 0; v < shape.listLength; v++) {
            if (!sameBits(shape.normalList[v], normals[v]) || shape.normalCountList[v] != counts[v]) mismatches++;
        }
        EXPECT_EQ(mismatches, 0);
    }
}

}  // namespace
