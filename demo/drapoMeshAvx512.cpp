// The mesh pass over 16-lane groups, compiled for AVX-512F (called only where it runs), with quick
// sines and cosines where they provably give the library's vertices. The order of the includes
// matters: the kernel's group code takes the 16-lane overloads declared before it.
// clang-format off
#include "math/ktLanesAvx512.h"
#include "demo/drapoQuickSines.h"
#include "demo/drapoMeshKernel.h"
// clang-format on

void drapoMeshAvx512(const drapoMeshJob& job) { drapoMeshLanes<ktFloat16>(job); }

void drapoQuickPairsAvx512(const float* angles, int count, double* sines, double* cosines) {
    for (int i = 0; i < count; i += 8) {
        alignas(64) double a[8] = {}, s[8], c[8];
        const int n = count - i < 8 ? count - i : 8;
        for (int l = 0; l < n; l++) a[l] = angles[i + l];
        __m512d sv, cv;
        drapoQuickPair(_mm512_load_pd(a), sv, cv);
        _mm512_store_pd(s, sv), _mm512_store_pd(c, cv);
        for (int l = 0; l < n; l++) sines[i + l] = s[l], cosines[i + l] = c[l];
    }
}
