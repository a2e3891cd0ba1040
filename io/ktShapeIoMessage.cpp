// ktIoReport: one line per refusal, whatever the library's reason holds.
#include "io/ktShapeIoMessage.h"

#include <cstdio>
#include <string>

void ktIoReport(const char* operation, const char* what, const char* path, const char* reason) {
    std::string text(reason != nullptr ? reason : "");
    // Line breaks and trailing blanks in the library's text would split or pad the line.
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    std::printf("%s: %s %s: %s\n", operation, what, path != nullptr ? path : "(none)", text.c_str());
    std::fflush(stdout);
}
