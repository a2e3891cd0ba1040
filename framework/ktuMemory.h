// How the framework's process keeps freed memory (internal).
//
// Mesa's software renderer (llvmpipe) allocates and frees several megabytes of scene memory on
// every frame. With glibc's default allocator settings those blocks are mapped from the system and
// given back each time, or trimmed off the top of the heap, so every frame touches them as fresh
// pages: in the cloth demonstration about 1 200 page faults per frame, a quarter to a third of its
// frame time. Which programs hit it depends on the heap's history (a large block freed early
// raises glibc's thresholds and hides it), so two programs with the same frames could run at
// 95 and 135 frames per second.
#ifndef KT_FRAMEWORK_KTUMEMORY_H
#define KT_FRAMEWORK_KTUMEMORY_H

// Blocks below 32 MB come from the heap, and up to 64 MB freed at its top stay with the process, so
// a frame reuses the pages of the one before. Leaves the settings alone where the environment gives
// the allocator its own (GLIBC_TUNABLES with malloc settings, or MALLOC_MMAP_THRESHOLD_ or
// MALLOC_TRIM_THRESHOLD_), and does nothing without glibc. Returns whether it changed them.
bool ktuKeepFreedMemory();
// Whether the environment gives the allocator settings of its own.
bool ktuAllocatorConfigured();

#endif
