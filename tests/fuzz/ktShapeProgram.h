// Runs arbitrary bytes as a program of calls on a few shapes and meshes, checking after every call
// that each shape is consistent and that the call did what its contract says. Shared by the
// shape-program fuzz target and the unit test that replays its findings.
#ifndef KT_TESTS_FUZZ_KTSHAPEPROGRAM_H
#define KT_TESTS_FUZZ_KTSHAPEPROGRAM_H

#include <cstddef>
#include <cstdint>
#include <string>

// Returns an empty string when every check held, else a description of the first broken one
// (the call number and what went wrong). Sizes are bounded so that one program stays small.
// Checked after every call:
// - every list a shape uses holds exactly its count of entries (null when empty), the optional
//   ones while their flag is on, and the counts are never negative;
// - each misuse prints exactly its message on standard output and changes nothing; a sound call
//   prints nothing and changes what it should;
// - the draw passes agree bit for bit with the stack's own point transforms and projection, and
//   the normals with a face-by-face evaluation of the rules; the stack height stays in range;
// - a written record has the length its header announces and reads back into any shape, which
//   then writes the same bytes; a cut record is reported and changes nothing;
// - a failed allocation that the program asks for (the n-th of the next call) is reported and
//   leaves every shape consistent. Programs run only where tests/support/ktFailingAlloc.cpp is
//   linked with its wrapping options.
std::string ktRunShapeProgram(const uint8_t* data, size_t size);

class ktShape;
// Empty when every list the shape uses holds exactly its count of entries (null when empty; exact
// block sizes are checked under AddressSanitizer, a lower bound otherwise), else what is wrong.
std::string ktCheckShapeConsistent(const ktShape& shape);

#endif
