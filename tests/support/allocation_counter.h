// Counts the calls of the global operator new made by the calling thread,
// to show that a code path allocates nothing.
#pragma once

#include <cstddef>

namespace ql::test {

std::size_t AllocationsOnThisThread();
// False where the sanitizer runtime owns operator new (ThreadSanitizer)
// and nothing can be counted.
bool AllocationCountingAvailable();

}  // namespace ql::test
