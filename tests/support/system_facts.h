// Facts the tests ask the system itself, each platform its own way, to
// compare with what the library reports.
#pragma once

#include <cstddef>
#include <string>

namespace ql::test {

// The computer's name as the system gives it (the host name up to its first
// dot on POSIX).
std::string SystemComputerName();

// The handles the process holds open: kernel handles on Windows, token
// handles (the library's stand-in for them) on POSIX.
std::size_t OpenHandleCount();

}  // namespace ql::test
