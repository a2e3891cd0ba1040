// Replays every input the record fuzzer ever failed on (tests/fuzz/regressions) and its seed
// corpus (tests/fuzz/corpus) through the fuzzer's own checks, so a fixed fault stays fixed in the
// ordinary test run.
#include <gtest/gtest.h>

#include "fuzz/ktRecordCheck.h"
#include "support/ktReplay.h"

TEST(RecordFuzzInputs, RegressionsAndSeedsPassTheFuzzChecks) {
    const std::filesystem::path data(KT_FUZZ_DATA_DIR);
    ktReplayFolder(data / "regressions", ktCheckRecordInput);
    EXPECT_GT(ktReplayFolder(data / "corpus", ktCheckRecordInput), 0);
}
