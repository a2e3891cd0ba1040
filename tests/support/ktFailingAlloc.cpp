// The wrapped allocators behind ktFailingAlloc.h; the linker sends our objects' calls here.
#include "support/ktFailingAlloc.h"

#include <cstddef>
#include <new>

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
// operator new(size_t) under its mangled name, which is what the linker wraps.
void* __real__Znwm(size_t size);
}

namespace {

bool armed = false;
long made = 0;
long failAt = 0;

// Counts one allocation while armed; true when it is the one to fail.
bool failThisOne() {
    if (!armed) return false;
    return ++made == failAt;
}

}  // namespace

void ktFailAllocation(long n) {
    made = 0;
    failAt = n;
    armed = true;
}

long ktStopFailingAllocations() {
    armed = false;
    return made;
}

extern "C" {
void* __wrap_malloc(size_t size) { return failThisOne() ? nullptr : __real_malloc(size); }
void* __wrap_calloc(size_t count, size_t size) {
    return failThisOne() ? nullptr : __real_calloc(count, size);
}
void* __wrap_realloc(void* block, size_t size) {
    // A realloc to zero bytes frees; it is not an allocation that can fail.
    if (size == 0) return __real_realloc(block, size);
    return failThisOne() ? nullptr : __real_realloc(block, size);
}

void* __wrap__Znwm(size_t size) {
    if (failThisOne()) throw std::bad_alloc();
    return __real__Znwm(size);
}
}
