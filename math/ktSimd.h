// Run-time choice of the instruction set that the wide kernels use.
//
// The paths are ordered: a machine that runs one runs every path below it. ktSimdBest() asks the
// processor and the operating system and caps the answer at what this build contains; the
// environment variable KT_SIMD (scalar, sse2, avx2, avx512) may ask for a lower path, which
// ktSimdPathInUse() honours once per process.
#ifndef KT_MATH_KTSIMD_H
#define KT_MATH_KTSIMD_H

#include <cstdio>

enum ktSimdPath { ktSimdScalar, ktSimdSse2, ktSimdAvx2, ktSimdAvx512 };

/// "scalar", "sse2", "avx2" or "avx512"; "unknown" for a value outside the enum.
const char* ktSimdName(ktSimdPath path);
/// The highest path that the processor executes, the operating system saves the registers of, and
/// this build has kernels for.
ktSimdPath ktSimdBest();
/// The path for a request: null or empty gives best, a known name at or below best gives it. A
/// name above best or an unknown name gives best and writes one line to err (when err is not null).
ktSimdPath ktSimdChoose(const char* request, ktSimdPath best, std::FILE* err);
/// The path chosen from KT_SIMD and ktSimdBest() at the first call (messages on stderr), then kept.
ktSimdPath ktSimdPathInUse();

#endif
