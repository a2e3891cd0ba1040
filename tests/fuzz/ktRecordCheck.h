// Checks shared by the shape-record fuzz target and the regression test that replays its findings.
// Both feed arbitrary bytes to ktShape::readFromFile through a memory stream and judge the outcome
// against facts that do not come from the reader itself: the header's own counts, the input bytes,
// and the shape's state before the call.
#ifndef KT_TESTS_FUZZ_KTRECORDCHECK_H
#define KT_TESTS_FUZZ_KTRECORDCHECK_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shapes/ktShape.h"

// Everything a read could change: scalar fields, list pointers and the contents of every list,
// each taken at the length the shape's counts give it.
struct ktShapeSnapshot {
    std::vector<unsigned char> fields;
    std::vector<const void*> pointers;
    std::vector<unsigned char> lists;
    bool operator==(const ktShapeSnapshot& o) const {
        return fields == o.fields && pointers == o.pointers && lists == o.lists;
    }
};
ktShapeSnapshot ktSnapshotShape(const ktShape& shape);

// Frees every list the shape holds, flagged on or off. Shapes have no destructor (the program never
// destroys one); the checks release theirs so that LeakSanitizer sees any block a read lost.
void ktReleaseShapeLists(ktShape& shape);

// The shape's record as writeToFile produces it (memory stream).
std::vector<unsigned char> ktShapeRecordBytes(ktShape& shape);

// Runs readFromFile on the shape with standard output captured; returns what it printed.
std::string ktReadRecordCapturingStdout(ktShape& shape, FILE* stream);

// Feeds `data` to readFromFile, record after record, on a shape that already holds lists of other
// sizes. Returns an empty string when every property holds, else a description of the first fault:
// - a damaged record prints exactly the damage message and leaves the shape as it was;
// - an accepted record consumed exactly the length its header announces, every list whose flag is
//   on has exactly its count of entries (each is touched, so a short list trips AddressSanitizer),
//   writing the shape reproduces the input bytes (flag bytes normalised to 0 or 1), and reading
//   those bytes into another shape and writing it again gives the same bytes;
// - picking on whatever was read stays within the lists.
std::string ktCheckRecordInput(const uint8_t* data, size_t size);

#endif
