// Replacements of the array forms of the global allocation functions; see
// failing_allocator.h. They sit on malloc and free, so AddressSanitizer and
// valgrind still see every block, its leaks and its misuse.
#include "failing_allocator.h"

#include <stdlib.h>

#include <new>

namespace failing_allocator {
namespace {

bool armed = false;
uint64_t failAt = 0;
Mode mode = Mode::kOnlyThat;
Tally tally;

// Numbers one non-throwing allocation and says whether it must fail.
bool NextFails() {
    if (!armed) {
        return false;
    }
    uint64_t number = ++tally.nothrowCalls;
    bool fails = failAt != 0 && (mode == Mode::kOnlyThat ? number == failAt : number >= failAt);
    if (fails) {
        ++tally.failedCalls;
    }
    return fails;
}

void* Allocate(size_t size) noexcept {
    return malloc(size == 0 ? 1 : size);
}

} // namespace

void Arm(uint64_t at, Mode how) {
    tally = Tally{};
    failAt = at;
    mode = how;
    armed = true;
}

Tally Disarm() {
    armed = false;
    return tally;
}

} // namespace failing_allocator

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    if (failing_allocator::NextFails()) {
        return nullptr;
    }
    return failing_allocator::Allocate(size);
}

void* operator new[](size_t size) {
    if (failing_allocator::armed) {
        ++failing_allocator::tally.throwingCalls;
    }
    void* block = failing_allocator::Allocate(size);
    if (!block) {
        throw std::bad_alloc();
    }
    return block;
}

void operator delete[](void* block) noexcept {
    free(block);
}

void operator delete[](void* block, size_t) noexcept {
    free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    free(block);
}
