// What a call prints: the C stream (stdout or stderr) is sent to a memory stream while it runs, so
// that output of printf and of GoogleTest's own capture alike is seen.
#ifndef KT_TESTS_SUPPORT_KTCAPTURE_H
#define KT_TESTS_SUPPORT_KTCAPTURE_H

#include <cstdio>
#include <cstdlib>
#include <string>

template <typename F>
std::string ktCaptured(FILE*& stream, F&& call) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* capture = open_memstream(&buffer, &size);
    if (capture == nullptr) std::abort();
    std::fflush(stream);
    FILE* saved = stream;
    stream = capture;
    call();
    stream = saved;
    std::fclose(capture);
    std::string printed(buffer, size);
    std::free(buffer);
    return printed;
}

#endif
