// Replays the settings fuzzer's past findings (tests/fuzz/regressions/settings) and its seeds
// (tests/fuzz/corpus-settings) through the fuzzer's own checks.
#include <gtest/gtest.h>

#include "fuzz/ktSettingsProgram.h"
#include "support/ktReplay.h"

TEST(SettingsProgramFuzzInputs, RegressionsAndSeedsPassTheFuzzChecks) {
    const std::filesystem::path data(KT_FUZZ_DATA_DIR);
    ktReplayFolder(data / "regressions" / "settings", ktRunSettingsProgram);
    EXPECT_GT(ktReplayFolder(data / "corpus-settings", ktRunSettingsProgram), 0);
}
