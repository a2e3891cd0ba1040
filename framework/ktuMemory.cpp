// The process's allocator settings for steady frames: see framework/ktuMemory.h.
#include "framework/ktuMemory.h"

#include <cstdlib>
#include <cstring>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

const int mapAbove = 32 * 1024 * 1024;  // glibc's largest mapping threshold on 64-bit systems
const int trimAbove = 64 * 1024 * 1024;

}  // namespace

bool ktuAllocatorConfigured() {
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    return (tunables != nullptr && std::strstr(tunables, "glibc.malloc.") != nullptr) ||
           std::getenv("MALLOC_MMAP_THRESHOLD_") != nullptr ||
           std::getenv("MALLOC_TRIM_THRESHOLD_") != nullptr;
}

bool ktuKeepFreedMemory() {
#ifdef __GLIBC__
    if (ktuAllocatorConfigured()) return false;
    // Setting the mapping threshold also ends glibc's own adjustment of both thresholds.
    return mallopt(M_MMAP_THRESHOLD, mapAbove) == 1 && mallopt(M_TRIM_THRESHOLD, trimAbove) == 1;
#else
    return false;
#endif
}
