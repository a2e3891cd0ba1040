// libFuzzer target: arbitrary bytes as a program of settings-registry and ktuDebug calls. A broken
// check aborts, so libFuzzer keeps the input as a crash.
#include <cstdio>
#include <cstdlib>

#include "fuzz/ktSettingsProgram.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = ktRunSettingsProgram(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "settings program check failed: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
