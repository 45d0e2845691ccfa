#include "allocation_counter.h"

#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QL_RUNTIME_OWNS_NEW 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define QL_RUNTIME_OWNS_NEW 1
#endif

namespace ql::test {
namespace {
thread_local std::size_t t_allocations = 0;
}  // namespace

std::size_t AllocationsOnThisThread() { return t_allocations; }

#ifdef QL_RUNTIME_OWNS_NEW
bool AllocationCountingAvailable() { return false; }
#else
bool AllocationCountingAvailable() { return true; }
#endif

}  // namespace ql::test

#ifndef QL_RUNTIME_OWNS_NEW
// The replaceable global allocation functions; every other form of new and
// delete ends in these.
void* operator new(std::size_t bytes) {
    ++ql::test::t_allocations;
    if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }

void operator delete(void* block, std::size_t) noexcept { std::free(block); }
#endif
