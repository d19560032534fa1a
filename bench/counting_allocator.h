// Counts the allocations of a benchmark binary, by the form of operator new
// that made them. The toggle code allocates only arrays (its texts, with
// new[] and new (std::nothrow) []); the standard containers of the fake
// platform and its call log allocate with the scalar operator new. So the
// array count is our code's and the scalar count is the test platform's.
//
//   AllocationCounts before = CurrentAllocations();
//   SweepDesktopFolder(folder, state);
//   AllocationCounts made = CurrentAllocations() - before;
#pragma once

#include <stdint.h>

struct AllocationCounts {
    uint64_t arrays = 0;  // new[] in every form: the toggle code
    uint64_t scalars = 0; // new in every form: standard containers

    AllocationCounts operator-(const AllocationCounts& earlier) const {
        return {arrays - earlier.arrays, scalars - earlier.scalars};
    }
    AllocationCounts& operator+=(const AllocationCounts& more) {
        arrays += more.arrays;
        scalars += more.scalars;
        return *this;
    }
};

AllocationCounts CurrentAllocations();
