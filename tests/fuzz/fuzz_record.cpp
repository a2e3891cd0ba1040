// libFuzzer target: arbitrary bytes as a stream of shape records. Any property that
// ktCheckRecordInput finds broken aborts, so libFuzzer keeps the input as a crash.
#include <cstdio>
#include <cstdlib>

#include "fuzz/ktRecordCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string fault = ktCheckRecordInput(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "shape record check failed: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
