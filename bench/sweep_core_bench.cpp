// SweepDesktopFolder with a platform that costs next to nothing, so the time
// is the toggle code's own: the skip list, the path building, the
// allocations. This file is the whole platform of the binary: FindFirstFileW
// and FindNextFileW hand out prepared names, SetFileAttributesW stores the
// word for the entry handed out last. After the timed loop every entry is
// checked to have been hidden.
#include <benchmark/benchmark.h>

#include <string.h>

#include <string>
#include <vector>

#include "sweep_counters.h"
#include "platform/platform.h"
#include "toggle/toggle_run.h"

namespace {

constexpr const char16_t* kDesktop = u"C:\\Users\\ana\\Desktop";

struct Desktop {
    std::vector<std::u16string> names; // ".", "..", then the entries
    std::vector<uint32_t> attributes;
    size_t next = 0;
    size_t attributeWrites = 0;
};
Desktop desktop;

void Deliver(platform::FindData* data) {
    data->dwFileAttributes = desktop.attributes[desktop.next];
    const std::u16string& name = desktop.names[desktop.next];
    memcpy(data->cFileName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
    ++desktop.next;
}

void FillDesktop(int64_t entries) {
    desktop = Desktop{};
    desktop.names = {u".", u".."};
    desktop.attributes = {0x10, 0x10};
    for (int64_t i = 0; i < entries; ++i) {
        std::string digits = std::to_string(100000 + i).substr(1);
        std::u16string name = i % 20 == 0 ? u"Folder " : u"Shortcut ";
        name.append(digits.begin(), digits.end());
        desktop.names.push_back(i % 20 == 0 ? name : name + u".lnk");
        desktop.attributes.push_back(i % 20 == 0 ? 0x10 : 0x20);
    }
}

void BM_SweepCore(benchmark::State& bench) {
    const int64_t entries = bench.range(0);
    FillDesktop(entries);
    RunState run;
    run.selfName.Assign(u"Vantric.exe");
    WideText folder;
    folder.Assign(kDesktop);
    AllocationCounts made;
    for (auto _ : bench) {
        // Hiding and showing alternate: either way every entry changes.
        run.hiding = !run.hiding;
        AllocationCounts before = CurrentAllocations();
        SweepDesktopFolder(folder, run);
        made += CurrentAllocations() - before;
    }
    size_t inTargetState = 0;
    for (size_t i = 2; i < desktop.attributes.size(); ++i) {
        inTargetState += ((desktop.attributes[i] & platform::kFileAttributeHidden) != 0) == run.hiding;
    }
    if (run.failedCount != 0 || inTargetState != static_cast<size_t>(entries) ||
        desktop.attributeWrites != static_cast<size_t>(entries) * bench.iterations()) {
        bench.SkipWithError("the sweep did not change every entry");
        return;
    }
    ReportPerEntry(bench, entries, made, "other_allocs/entry");
}
BENCHMARK(BM_SweepCore)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

// The platform of this binary. Only the enumeration and the attribute calls
// do anything; the sweep uses nothing else but SHChangeNotify.
namespace platform {

FindHandle FindFirstFileW(const char16_t*, FindData* data) {
    desktop.next = 0;
    Deliver(data);
    return 1;
}

bool FindNextFileW(FindHandle, FindData* data) {
    if (desktop.next >= desktop.names.size()) {
        return false;
    }
    Deliver(data);
    return true;
}

bool FindClose(FindHandle) {
    return true;
}

bool SetFileAttributesW(const char16_t*, uint32_t attributes) {
    desktop.attributes[desktop.next - 1] = attributes;
    ++desktop.attributeWrites;
    return true;
}

void SHChangeNotify(int32_t, uint32_t, const char16_t*) {}

// The rest of the toggle run is linked but never called here.
uint32_t GetModuleFileNameW(char16_t*, uint32_t) {
    return 0;
}
uint16_t GetUserDefaultUILanguage() {
    return 0x0409;
}
bool DeleteFileW(const char16_t*) {
    return false;
}
uint32_t GetFileAttributesW(const char16_t*) {
    return kInvalidFileAttributes;
}
bool MoveFileExW(const char16_t*, const char16_t*, uint32_t) {
    return false;
}
bool CopyFileW(const char16_t*, const char16_t*, bool) {
    return false;
}
int32_t SHGetFolderPathW(int32_t, char16_t*) {
    return -1;
}
bool PathFileExistsW(const char16_t*) {
    return false;
}
WindowHandle FindWindowW(const char16_t*, const char16_t*) {
    return nullptr;
}
WindowHandle SetFocus(WindowHandle) {
    return nullptr;
}
uint32_t SendInput(uint32_t, const KeyboardInput*) {
    return 0;
}
int32_t MessageBoxW(WindowHandle, const char16_t*, const char16_t*, uint32_t) {
    return 0;
}

} // namespace platform
