// Shared helpers of the cloth tests: the application made on the heap (it is about 600 KB) and
// released by a final wrapper, so that no test deletes through a class without a virtual destructor.
// Table-driven tests restart from a fresh copy (`*app = *start`, sharing the mesh) instead of
// building a new application, and with it a new mesh, for every case.
#ifndef KT_TESTS_DEMO_CLOTHTESTUTIL_H
#define KT_TESTS_DEMO_CLOTHTESTUTIL_H

#include <cmath>
#include <memory>

#include "demo/drapoApp.h"

class TestCloth final : public drapoApp {};

inline std::unique_ptr<TestCloth> makeCloth() { return std::unique_ptr<TestCloth>(new TestCloth); }

inline bool isFinite(const ktVec3f& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

#endif
