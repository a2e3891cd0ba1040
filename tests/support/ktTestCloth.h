// Shared helpers of the cloth tests. makeCloth makes the application on the heap (it is about 600 KB)
// as the exact type it deletes, by default a final wrapper, so that no test deletes through a class
// without a virtual destructor.
// Table-driven tests restart from a fresh copy (`*app = *start`, sharing the mesh) instead of
// building a new application, and with it a new mesh, for every case.
// DrapoHash is the bit-pattern hash of the cloth's hash tests: 64-bit FNV-1a over the bytes of float
// and integer values, so that two runs agree only when every bit of every value agrees.
#ifndef KT_TESTS_SUPPORT_KTTESTCLOTH_H
#define KT_TESTS_SUPPORT_KTTESTCLOTH_H

#include <cstdint>
#include <cstring>
#include <memory>

#include "demo/drapoApp.h"
#include "math/ktVec3f.h"
#include "support/ktTestMath.h"

class TestCloth final : public drapoApp {};

template <class T = TestCloth>
std::unique_ptr<T> makeCloth() {
    return std::unique_ptr<T>(new T);
}

struct DrapoHash {
    uint64_t value = 0xcbf29ce484222325ull;
    void add(uint32_t word) {
        for (int b = 0; b < 4; b++) {
            value ^= (word >> (8 * b)) & 0xffu;
            value *= 0x100000001b3ull;
        }
    }
    void add(float f) {
        uint32_t word;
        std::memcpy(&word, &f, sizeof word);
        add(word);
    }
    void add(const ktVec3f& v) {
        add(v.x);
        add(v.y);
        add(v.z);
    }
    template <class Vec>
    void addList(const Vec* list, int count, int floats) {
        const float* f = reinterpret_cast<const float*>(list);
        for (int k = 0; k < count * floats; k++) add(f[k]);
    }
};

#endif
