// Replays every file of a folder of fuzz inputs through a check (the fuzz target's own), for the
// unit tests that keep old findings and the seed corpora passing.
#ifndef KT_TESTS_SUPPORT_KTREPLAY_H
#define KT_TESTS_SUPPORT_KTREPLAY_H

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Runs `check` on each regular file in `dir` (README files excepted) and expects an empty fault;
// returns the number of files replayed. A folder that does not exist is a failure: a replay that
// finds nothing to replay must not pass.
template <typename Check>
int ktReplayFolder(const std::filesystem::path& dir, Check check) {
    int replayed = 0;
    if (!std::filesystem::is_directory(dir)) {
        ADD_FAILURE() << dir << " is not a folder";
        return 0;
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(check(data.data(), data.size()), std::string()) << entry.path();
        replayed++;
    }
    return replayed;
}

#endif
