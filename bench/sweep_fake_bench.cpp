// SweepDesktopFolder over the in-memory desktop of the host tests.
//
// The fake platform is written to be checked, not to be fast: every call is
// logged as a line of text and SetFileAttributesW finds its entry by walking
// the folder, so the time here is mostly the fake's and grows faster than
// the number of entries. The allocation counters still separate the toggle
// code (array allocations) from the fake's (scalar ones). The time of the
// toggle code alone is measured by sweep_core_bench.cpp.
#include <benchmark/benchmark.h>

#include <string>

#include "sweep_counters.h"
#include "fake/fake_platform.h"
#include "toggle/toggle_run.h"

namespace {

std::u16string EntryName(int64_t i) {
    std::string digits = std::to_string(100000 + i).substr(1);
    std::u16string name = i % 20 == 0 ? u"Folder " : u"Shortcut ";
    name.append(digits.begin(), digits.end());
    return i % 20 == 0 ? name : name + u".lnk";
}

void FillDesktop(int64_t entries) {
    fake::Reset();
    for (int64_t i = 0; i < entries; ++i) {
        fake::AddEntry(fake::kUserDesktop, EntryName(i), i % 20 == 0 ? fake::kDirectory : fake::kArchive);
    }
}

void BM_SweepFakeDesktop(benchmark::State& bench) {
    const int64_t entries = bench.range(0);
    RunState run;
    run.selfName.Assign(u"Vantric.exe");
    WideText folder;
    folder.Assign(fake::kUserDesktop);
    AllocationCounts made;
    for (auto _ : bench) {
        bench.PauseTiming();
        FillDesktop(entries);
        run.hiding = true;
        run.failedCount = 0;
        bench.ResumeTiming();

        AllocationCounts before = CurrentAllocations();
        SweepDesktopFolder(folder, run);
        made += CurrentAllocations() - before;
    }
    // Every entry must have been hidden, or the time means nothing.
    size_t hidden = 0;
    for (const fake::Entry& entry : fake::FindFolder(fake::kUserDesktop)->entries) {
        hidden += (entry.attributes & fake::kHidden) != 0;
    }
    if (run.failedCount != 0 || hidden != static_cast<size_t>(entries)) {
        bench.SkipWithError("the sweep did not hide every entry");
        return;
    }
    ReportPerEntry(bench, entries, made, "fake_allocs/entry");
}
BENCHMARK(BM_SweepFakeDesktop)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
