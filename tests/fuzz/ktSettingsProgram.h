// Runs arbitrary bytes as a program of calls on the settings registry and ktuDebug, judged against
// an independent table of the identifiers. Shared by the settings fuzz target and the unit test that
// replays its findings.
#ifndef KT_TESTS_FUZZ_KTSETTINGSPROGRAM_H
#define KT_TESTS_FUZZ_KTSETTINGSPROGRAM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Returns an empty string when every check held, else a description of the first broken one.
// Checked after every call: exactly the listed identifiers are read (as many values as the table
// gives, nothing past them) and exactly the writable ones written, values stored as given; every
// other call prints its exact message at level 2 (when the threshold lets it through) and changes
// nothing; ktuDebug prints its text and a newline exactly when its level is within the threshold;
// writing the window size releases the screen-grab blocks. Level-1 diagnostics, which end the
// process, are not issued.
std::string ktRunSettingsProgram(const uint8_t* data, size_t size);

// The identifiers of that table, as callers and stored settings use them (numbers, not the header's
// names), each with the globals it reaches in array order and whether it can be written.
struct ktSettingRow {
    short id;
    bool writable;
    std::vector<int*> globals;
};
std::vector<ktSettingRow> ktSettingTable();

#endif
