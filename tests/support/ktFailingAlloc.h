// Failed-allocation injection for test programs linked with kt_failing_alloc. The link wraps
// malloc, calloc, realloc and operator new of every object in the program (the framework library
// included), so that while armed the n-th allocation fails: the C functions return null and
// operator new throws std::bad_alloc. Allocations made inside shared libraries (the C library's own
// streams, libstdc++) are not counted.
#ifndef KT_TESTS_SUPPORT_KTFAILINGALLOC_H
#define KT_TESTS_SUPPORT_KTFAILINGALLOC_H

// From now on, count allocations and fail the n-th one (n >= 1; only that one).
void ktFailAllocation(long n);
// Stops counting and failing; returns the number of allocations made while armed.
long ktStopFailingAllocations();

#endif
