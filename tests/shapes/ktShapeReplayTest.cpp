// Replays the shape-program fuzzer's past findings (tests/fuzz/regressions/shapes) and its seeds
// (tests/fuzz/corpus-shapes) through the fuzzer's own checks.
#include <gtest/gtest.h>

#include "fuzz/ktShapeProgram.h"
#include "support/ktReplay.h"

TEST(ShapeProgramFuzzInputs, RegressionsAndSeedsPassTheFuzzChecks) {
    const std::filesystem::path data(KT_FUZZ_DATA_DIR);
    EXPECT_GT(ktReplayFolder(data / "regressions" / "shapes", ktRunShapeProgram), 0);
    EXPECT_GT(ktReplayFolder(data / "corpus-shapes", ktRunShapeProgram), 0);
}
