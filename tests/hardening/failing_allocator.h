// A test executable that links failing_allocator.cpp gets its own array
// forms of the global operator new, so a test can make the allocations of a
// toggle run fail one by one, the way an exhausted heap fails them:
//
//   failing_allocator::Arm(3, failing_allocator::Mode::kOnlyThat);
//   RunToggle();                                   // the 3rd new[] gets null
//   failing_allocator::Tally tally = failing_allocator::Disarm();
//
// Only allocations made while armed are numbered, so the test framework and
// the in-memory platform (which allocate through std::string and
// std::vector, that is through the scalar operator new) are never affected.
//
// The non-throwing form `new (std::nothrow) T[n]` is the one that fails. The
// throwing form `new T[n]` cannot report failure by value (the Windows build
// aborts on an exhausted heap), so it is only counted: a run that uses it at
// all could end the process instead of degrading.
#pragma once

#include <stdint.h>

namespace failing_allocator {

enum class Mode {
    kOnlyThat,    // the chosen allocation fails, later ones succeed again
    kFromThereOn, // the chosen allocation and every later one fail
};

struct Tally {
    uint64_t nothrowCalls = 0;  // new (std::nothrow) T[n], numbered from 1
    uint64_t failedCalls = 0;   // of those, how many got null
    uint64_t throwingCalls = 0; // new T[n]; never failed, only counted
};

// Starts numbering the allocations. failAt 0 counts without failing.
void Arm(uint64_t failAt, Mode mode);
// Stops numbering and returns what happened while armed.
Tally Disarm();

} // namespace failing_allocator
