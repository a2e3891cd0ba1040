// Vector semantics: construction, compound operators, normalisation, cross product handedness,
// operand order of the free operators and IEEE behaviour of division by zero. The compile-time
// block pins the interface shape that callers rely on: packed float triples, no assignment
// chains, no float * vector.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <random>
#include <string>
#include <type_traits>
#include <utility>

#include "math/ktVec3f.h"
#include "math/ktVec4f.h"
#include "support/ktTestMath.h"

namespace {

// Detection idiom: each trait is true exactly when the expression in its specialisation compiles.
template <class T, class = void>
struct hasChainedAssign : std::false_type {};
template <class T>
struct hasChainedAssign<T,
                        std::void_t<decltype(std::declval<T&>() = (std::declval<T&>() = std::declval<T>()))>>
    : std::true_type {};

template <class T, class = void>
struct hasAssign : std::false_type {};
template <class T>
struct hasAssign<T, std::void_t<decltype(std::declval<T&>() = std::declval<T>())>> : std::true_type {};

template <class T, class = void>
struct hasScalarTimesVector : std::false_type {};
template <class T>
struct hasScalarTimesVector<T, std::void_t<decltype(std::declval<float>() * std::declval<T>())>>
    : std::true_type {};

template <class T, class = void>
struct hasVectorTimesScalar : std::false_type {};
template <class T>
struct hasVectorTimesScalar<T, std::void_t<decltype(std::declval<T>() * std::declval<float>())>>
    : std::true_type {};

// The positive controls make sure the detectors are not vacuously false.
static_assert(hasAssign<ktVec3f>::value, "single assignment must compile");
static_assert(std::is_void_v<decltype(std::declval<ktVec3f&>() = std::declval<ktVec3f>())>,
              "assignment returns nothing");
static_assert(!hasChainedAssign<ktVec3f>::value, "a = b = c must not compile");
static_assert(hasVectorTimesScalar<ktVec3f>::value, "vector * float must compile");
static_assert(!hasScalarTimesVector<ktVec3f>::value, "there is no float * vector");
static_assert(std::is_void_v<decltype(std::declval<ktVec3f&>() += std::declval<ktVec3f>())>);

// Arrays of vectors are handed around as contiguous float triples.
static_assert(sizeof(ktVec3f) == 3 * sizeof(float));
static_assert(std::is_standard_layout_v<ktVec3f>);
static_assert(!std::is_polymorphic_v<ktVec3f>);
static_assert(sizeof(ktVec4f) == 16);
static_assert(std::is_standard_layout_v<ktVec4f>);

TEST(Vec3f, DefaultConstructionZeroesOverGarbage) {
    alignas(ktVec4f) unsigned char raw[sizeof(ktVec4f)];
    std::memset(raw, 0xA5, sizeof raw);
    ktVec3f* v = new (raw) ktVec3f();
    expectVecNear(*v, ktVec3f(0, 0, 0));
    std::memset(raw, 0xA5, sizeof raw);
    ktVec4f* q = new (raw) ktVec4f();
    EXPECT_TRUE(q->x == 0.0f && q->y == 0.0f && q->z == 0.0f && q->w == 0.0f);

    ktVec3f arr[2] = {ktVec3f(1, 2, 3), ktVec3f(4, 5, 6)};
    const float* flat = &arr[0].x;
    for (int i = 0; i < 6; i++) EXPECT_EQ(flat[i], static_cast<float>(i + 1));
}

TEST(Vec3f, CompoundOperatorsActOnACopyOfTheOperand) {
    ktVec3f v(1, -2, 3);
    v += v;
    expectVecNear(v, ktVec3f(2, -4, 6));
    v *= v.x;  // the factor is read before any component changes
    expectVecNear(v, ktVec3f(4, -8, 12));
    v /= v.x;
    expectVecNear(v, ktVec3f(1, -2, 3));
    ktVec3f w;
    w = v;
    w += ktVec3f(0.5f, 0.5f, 0.5f);
    expectVecNear(v, ktVec3f(1, -2, 3));  // assignment copied, it did not alias
    expectVecNear(w, ktVec3f(1.5f, -1.5f, 3.5f));
    w.set(7, 8, 9);
    expectVecNear(w, ktVec3f(7, 8, 9));
}

TEST(Vec3f, FreeOperatorsKeepOperandOrderAndOperands) {
    const ktVec3f a(1, 2, 3), b(1, 1, 1);
    expectVecNear(a - b, ktVec3f(0, 1, 2));
    expectVecNear(b - a, ktVec3f(0, -1, -2));
    expectVecNear(a + b, ktVec3f(2, 3, 4));
    expectVecNear(a * 2.0f, ktVec3f(2, 4, 6));
    expectVecNear(a / 2.0f, ktVec3f(0.5f, 1, 1.5f));
    expectVecNear(a, ktVec3f(1, 2, 3));
}

TEST(Vec3f, DivisionByZeroGivesIeeeValuesSilently) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ktVec3f q = ktVec3f(1, 1, 1) / 0.0f;
    ktVec3f mixed = ktVec3f(-1, 0, 1);
    mixed /= 0.0f;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(q.x == inf && q.y == inf && q.z == inf);
    EXPECT_EQ(mixed.x, -inf);
    EXPECT_TRUE(std::isnan(mixed.y));
    EXPECT_EQ(mixed.z, inf);
    EXPECT_TRUE(std::isnan(mixed.length()));
}

TEST(Vec3f, LengthAndDot) {
    const ktVec3f v(3, 4, 0);
    EXPECT_EQ(v.length(), 5.0f);
    EXPECT_EQ(v.lengthSquared(), 25.0f);
    EXPECT_EQ(ktVec3f(1, 2, 3).dot(ktVec3f(4, -5, 6)), 12.0f);
    EXPECT_EQ(ktVec3f(1, 0, 0).dot(ktVec3f(0, 1, 0)), 0.0f);
}

TEST(Vec3f, Normalize) {
    struct Case {
        ktVec3f in;
        ktVec3f expected;
        float tol;
    };
    const Case cases[] = {
        {ktVec3f(3, 0, 4), ktVec3f(0.6f, 0, 0.8f), 1e-7f},
        {ktVec3f(0, -2, 0), ktVec3f(0, -1, 0), 0},
        {ktVec3f(0, 0, 0), ktVec3f(0, 0, 0), 0},
        // The squared length underflows to zero in float: left as it is, not NaN.
        {ktVec3f(1e-30f, 0, 0), ktVec3f(1e-30f, 0, 0), 0},
        {ktVec3f(0, -1e-25f, 1e-25f), ktVec3f(0, -1e-25f, 1e-25f), 0},
        // A subnormal but non-zero squared length still normalises (with subnormal precision).
        {ktVec3f(1e-20f, 0, 0), ktVec3f(1, 0, 0), 1e-4f},
    };
    for (const Case& c : cases) {
        ktVec3f v = c.in;
        v.normalize();
        SCOPED_TRACE(testing::Message() << "(" << c.in.x << ", " << c.in.y << ", " << c.in.z << ")");
        expectVecNear(v, c.expected, c.tol);
        EXPECT_FALSE(std::isnan(v.x) || std::isnan(v.y) || std::isnan(v.z));
    }

    ktVec3f nan(std::nanf(""), 1, 0);
    nan.normalize();
    EXPECT_TRUE(std::isnan(nan.x));

    // Random vectors: unit length afterwards, same direction as before.
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-100.0f, 100.0f);
    for (int i = 0; i < 1000; i++) {
        const ktVec3f before(coord(rng), coord(rng), coord(rng));
        if (before.length() < 1e-3f) continue;
        ktVec3f v = before;
        v.normalize();
        EXPECT_NEAR(v.length(), 1.0f, 1e-6f);
        EXPECT_NEAR(v.dot(before), before.length(), 1e-5f * before.length());
    }
}

TEST(Vec3f, CrossIsRightHanded) {
    const ktVec3f x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    expectVecNear(x.cross(y), ktVec3f(0, 0, 1));
    expectVecNear(y.cross(z), ktVec3f(1, 0, 0));
    expectVecNear(z.cross(x), ktVec3f(0, 1, 0));
    expectVecNear(y.cross(x), ktVec3f(0, 0, -1));
    expectVecNear(ktVec3f(1, 2, 3).cross(ktVec3f(-2, -4, -6)), ktVec3f(0, 0, 0));
    expectVecNear(ktVec3f(1, 2, 3).cross(ktVec3f(4, 5, 6)), ktVec3f(-3, 6, -3));

    std::mt19937 rng(11);
    std::uniform_real_distribution<float> coord(-10.0f, 10.0f);
    for (int i = 0; i < 500; i++) {
        const ktVec3f a(coord(rng), coord(rng), coord(rng));
        const ktVec3f b(coord(rng), coord(rng), coord(rng));
        const ktVec3f a0 = a, b0 = b;
        const ktVec3f c = a.cross(b);
        expectVecNear(a, a0);
        expectVecNear(b, b0);
        const double scale = a.lengthSquared() * b.lengthSquared();
        // Perpendicular to both operands, and |a x b|^2 = |a|^2 |b|^2 - (a.b)^2.
        EXPECT_NEAR(c.dot(a), 0.0, 1e-5 * std::sqrt(scale) * a.length());
        EXPECT_NEAR(c.dot(b), 0.0, 1e-5 * std::sqrt(scale) * b.length());
        const double d = a.dot(b);
        EXPECT_NEAR(c.lengthSquared(), scale - d * d, 1e-5 * scale);
        // Anti-commutative.
        const ktVec3f r = b.cross(a);
        expectVecNear(r, ktVec3f(-c.x, -c.y, -c.z));
    }
}

}  // namespace
