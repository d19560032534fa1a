// Replacements of the global allocation functions that count each call and
// allocate with malloc. See counting_allocator.h.
#include "counting_allocator.h"

#include <stdlib.h>

#include <new>

namespace {

// Benchmarks run on one thread; plain counters keep the counting cheap.
AllocationCounts counts;

void* AllocateOrThrow(size_t size) {
    void* block = malloc(size ? size : 1);
    if (!block) {
        throw std::bad_alloc();
    }
    return block;
}

} // namespace

AllocationCounts CurrentAllocations() {
    return counts;
}

void* operator new(size_t size) {
    ++counts.scalars;
    return AllocateOrThrow(size);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept {
    ++counts.scalars;
    return malloc(size ? size : 1);
}

void* operator new[](size_t size) {
    ++counts.arrays;
    return AllocateOrThrow(size);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    ++counts.arrays;
    return malloc(size ? size : 1);
}

void operator delete(void* block) noexcept {
    free(block);
}

void operator delete(void* block, size_t) noexcept {
    free(block);
}

void operator delete[](void* block) noexcept {
    free(block);
}

void operator delete[](void* block, size_t) noexcept {
    free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    free(block);
}
