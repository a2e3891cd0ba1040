// Replays every input the record fuzzer ever failed on (tests/fuzz/regressions) and its seed
// corpus (tests/fuzz/corpus) through the fuzzer's own checks, so a fixed fault stays fixed in the
// ordinary test run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/ktRecordCheck.h"

namespace {

int replayDirectory(const std::filesystem::path& dir) {
    int replayed = 0;
    if (!std::filesystem::is_directory(dir)) return 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(ktCheckRecordInput(data.data(), data.size()), "") << entry.path();
        replayed++;
    }
    return replayed;
}

}  // namespace

TEST(RecordFuzzInputs, RegressionsAndSeedsPassTheFuzzChecks) {
    replayDirectory(std::filesystem::path(KT_FUZZ_DATA_DIR) / "regressions");
    EXPECT_GT(replayDirectory(std::filesystem::path(KT_FUZZ_DATA_DIR) / "corpus"), 0);
}
