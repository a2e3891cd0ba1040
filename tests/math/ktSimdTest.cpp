// The instruction-set choice: what a KT_SIMD request gives on machines of each capability, how many
// lines it writes, and that the detected path matches what the build contains.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "math/ktSimd.h"

namespace {

const ktSimdPath allPaths[] = {ktSimdScalar, ktSimdSse2, ktSimdAvx2, ktSimdAvx512};
const char* const allNames[] = {"scalar", "sse2", "avx2", "avx512"};

// Everything ktSimdChoose wrote, read back from a temporary file.
struct Choice {
    ktSimdPath path;
    std::string text;
};

Choice choose(const char* request, ktSimdPath best) {
    std::FILE* err = std::tmpfile();
    EXPECT_NE(err, nullptr);
    Choice c{ktSimdChoose(request, best, err), ""};
    std::rewind(err);
    for (int ch; (ch = std::fgetc(err)) != EOF;) c.text += static_cast<char>(ch);
    std::fclose(err);
    return c;
}

int lineCount(const std::string& text) {
    int n = 0;
    for (char ch : text) n += ch == '\n';
    return n;
}

TEST(KtSimd, ChoiceForEveryRequestAndCapability) {
    for (int b = 0; b < 4; b++) {
        const ktSimdPath best = allPaths[b];
        SCOPED_TRACE(allNames[b]);
        EXPECT_STREQ(ktSimdName(best), allNames[b]);
        // Known names: honoured at or below the best path, otherwise the best with one line.
        for (int r = 0; r < 4; r++) {
            SCOPED_TRACE(allNames[r]);
            const Choice c = choose(allNames[r], best);
            EXPECT_EQ(c.path, r <= b ? allPaths[r] : best);
            EXPECT_EQ(lineCount(c.text), r <= b ? 0 : 1);
        }
        struct Odd {
            const char* request;
            int lines;
        };
        const Odd odd[] = {{nullptr, 0}, {"", 0},        {"AVX2", 1},       {"avx", 1},
                           {"sse2 ", 1}, {"avx5120", 1}, {"avx2\nsse2", 1}, {"sse", 1}};
        for (const Odd& o : odd) {
            SCOPED_TRACE(o.request ? o.request : "(null)");
            const Choice c = choose(o.request, best);
            EXPECT_EQ(c.path, best);
            EXPECT_EQ(lineCount(c.text), o.lines);
            // The line ends the text and names the path used.
            if (o.lines) {
                EXPECT_EQ(c.text.back(), '\n');
                EXPECT_NE(c.text.find(std::string("using ") + allNames[b]), std::string::npos) << c.text;
            }
        }
        EXPECT_EQ(ktSimdChoose("avx512", best, nullptr), best);  // no stream: nothing written, no crash
    }
}

TEST(KtSimd, DetectedPathMatchesTheBuild) {
    const ktSimdPath best = ktSimdBest();
#if defined(KT_LANES_PLAIN) || !defined(__x86_64__)
    EXPECT_EQ(best, ktSimdScalar);
#else
    EXPECT_GE(best, ktSimdSse2);
#if !KT_SIMD_WIDE
    EXPECT_EQ(best, ktSimdSse2);
#endif
#endif
    EXPECT_EQ(ktSimdPathInUse(), ktSimdChoose(std::getenv("KT_SIMD"), best, nullptr));
    EXPECT_EQ(ktSimdPathInUse(), ktSimdPathInUse());
}

}  // namespace
