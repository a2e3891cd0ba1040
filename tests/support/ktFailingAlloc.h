// Failed-allocation injection for test programs linked with kt_failing_alloc. The link wraps
// malloc, calloc, realloc and operator new of every object in the program (the framework library
// included), so that while armed the n-th allocation fails: the C functions return null and
// operator new throws std::bad_alloc. Allocations made inside shared libraries (the C library's own
// streams, libstdc++) are not counted.
#ifndef KT_TESTS_SUPPORT_KTFAILINGALLOC_H
#define KT_TESTS_SUPPORT_KTFAILINGALLOC_H

#include <cstdio>
#include <string>

#include "support/ktCapture.h"

// From now on, count allocations and fail the n-th one (n >= 1; only that one).
void ktFailAllocation(long n);
// Stops counting and failing; returns the number of allocations made while armed.
long ktStopFailingAllocations();

// Runs `call` with the n-th allocation failed and standard output captured; returns what it
// printed and sets `made` to the number of allocations it made.
template <typename F>
std::string ktPrintedWithFailedAllocation(long n, long& made, F&& call) {
    return ktCaptured(stdout, [&] {
        ktFailAllocation(n);
        call();
        made = ktStopFailingAllocations();
    });
}

#endif
