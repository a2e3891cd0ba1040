// ktSimd: processor and operating-system feature detection (cpuid, xgetbv) and the KT_SIMD request.
#include "math/ktSimd.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

#ifndef KT_SIMD_WIDE
#define KT_SIMD_WIDE 0
#endif

namespace {

const char* const pathNames[] = {"scalar", "sse2", "avx2", "avx512"};
const int pathCount = sizeof(pathNames) / sizeof(pathNames[0]);

#if defined(__x86_64__) && KT_SIMD_WIDE
// XCR0 bits: the operating system saves and restores these register states on a context switch.
const unsigned long long xcr0Sse = 1u << 1, xcr0Ymm = 1u << 2;
const unsigned long long xcr0Opmask = 1u << 5, xcr0ZmmLow = 1u << 6, xcr0ZmmHigh = 1u << 7;

unsigned long long readXcr0() {
    unsigned lo = 0, hi = 0;
    // xgetbv is not VEX-encoded, so baseline code may hold it; only called when OSXSAVE is set.
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<unsigned long long>(hi) << 32) | lo;
}

ktSimdPath widestSupported() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return ktSimdSse2;
    const bool osxsave = (c & bit_OSXSAVE) != 0, avx = (c & bit_AVX) != 0;
    if (!osxsave || !avx) return ktSimdSse2;
    const unsigned long long xcr0 = readXcr0();
    if ((xcr0 & (xcr0Sse | xcr0Ymm)) != (xcr0Sse | xcr0Ymm)) return ktSimdSse2;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d) || (b & bit_AVX2) == 0) return ktSimdSse2;
    const unsigned long long zmmState = xcr0Opmask | xcr0ZmmLow | xcr0ZmmHigh;
    if ((b & bit_AVX512F) != 0 && (xcr0 & zmmState) == zmmState) return ktSimdAvx512;
    return ktSimdAvx2;
}
#endif

// The request as given, on one line: at most 32 characters, anything unprintable as '?'.
void printRequest(std::FILE* err, const char* request) {
    std::fputs("KT_SIMD=", err);
    for (int i = 0; request[i] != '\0' && i < 32; i++)
        std::fputc(std::isprint(static_cast<unsigned char>(request[i])) ? request[i] : '?', err);
    if (std::strlen(request) > 32) std::fputs("...", err);
}

}  // namespace

const char* ktSimdName(ktSimdPath path) {
    const int i = static_cast<int>(path);
    return i >= 0 && i < pathCount ? pathNames[i] : "unknown";
}

ktSimdPath ktSimdBest() {
#if !defined(__x86_64__) || defined(KT_LANES_PLAIN)
    return ktSimdScalar;
#elif KT_SIMD_WIDE
    // Asked once: the processor does not change, and cpuid is slow (a virtual machine traps it).
    static const ktSimdPath widest = widestSupported();
    return widest;
#else
    return ktSimdSse2;  // every x86-64 processor has SSE2
#endif
}

ktSimdPath ktSimdChoose(const char* request, ktSimdPath best, std::FILE* err) {
    if (request == nullptr || request[0] == '\0') return best;
    for (int i = 0; i < pathCount; i++) {
        if (std::strcmp(request, pathNames[i]) != 0) continue;
        if (i <= best) return static_cast<ktSimdPath>(i);
        if (err) {
            printRequest(err, request);
            std::fprintf(err, ": not available on this machine or in this build; using %s\n",
                         ktSimdName(best));
        }
        return best;
    }
    if (err) {
        printRequest(err, request);
        std::fprintf(err, ": unknown (scalar, sse2, avx2 or avx512); using %s\n", ktSimdName(best));
    }
    return best;
}

ktSimdPath ktSimdPathInUse() {
    static const ktSimdPath path = ktSimdChoose(std::getenv("KT_SIMD"), ktSimdBest(), stderr);
    return path;
}
