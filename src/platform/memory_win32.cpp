// The global allocation functions of the executable, on the process heap.
//
// The library versions throw std::bad_alloc, and linking them drags the whole
// exception runtime (unwinder, type information, demangler, thread support)
// into an executable that is built without exceptions. These replacements
// keep the standard contracts:
//
//   new char16_t[n]                  never returns null: a heap that cannot
//                                    serve the request ends the process the
//                                    way an uncaught bad_alloc would (abort);
//   new (std::nothrow) char16_t[n]   null when the heap is exhausted;
//   delete / delete[]                accept null and every sized form.
//
// HeapAlloc hands out blocks aligned like malloc's (8 bytes on x86, 16 on
// x64), and a request of 0 bytes still gets a distinct block.
#include <stddef.h>
#include <stdlib.h>

#include <new>

#include <windows.h>

namespace {

void* Allocate(size_t size) noexcept {
    return ::HeapAlloc(::GetProcessHeap(), 0, size);
}

void* AllocateOrAbort(size_t size) noexcept {
    void* block = Allocate(size);
    if (!block) {
        abort();
    }
    return block;
}

void Release(void* block) noexcept {
    if (block) {
        ::HeapFree(::GetProcessHeap(), 0, block);
    }
}

} // namespace

void* operator new(size_t size) {
    return AllocateOrAbort(size);
}

void* operator new[](size_t size) {
    return AllocateOrAbort(size);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}

void operator delete(void* block) noexcept {
    Release(block);
}

void operator delete[](void* block) noexcept {
    Release(block);
}

void operator delete(void* block, size_t) noexcept {
    Release(block);
}

void operator delete[](void* block, size_t) noexcept {
    Release(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
