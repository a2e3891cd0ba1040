// libFuzzer target: arbitrary bytes as a program of calls on shapes and meshes. A broken check
// aborts, so libFuzzer keeps the input as a crash.
#include <cstdio>
#include <cstdlib>

#include "fuzz/ktShapeProgram.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = ktRunShapeProgram(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "shape program check failed: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
