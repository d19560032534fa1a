// The per-entry counters both sweep benchmarks report:
//
//   ReportPerEntry(bench, entries, made, "fake_allocs/entry");
//
// time/entry, our_allocs/entry (array allocations: the toggle code) and the
// scalar allocations under the name given.
#pragma once

#include <benchmark/benchmark.h>

#include "counting_allocator.h"

inline void ReportPerEntry(benchmark::State& bench, int entries, const AllocationCounts& made,
                           const char* scalarsName) {
    const double sweptEntries = static_cast<double>(entries) * static_cast<double>(bench.iterations());
    bench.counters["time/entry"] =
        benchmark::Counter(static_cast<double>(entries),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    bench.counters["our_allocs/entry"] = static_cast<double>(made.arrays) / sweptEntries;
    bench.counters[scalarsName] = static_cast<double>(made.scalars) / sweptEntries;
}
