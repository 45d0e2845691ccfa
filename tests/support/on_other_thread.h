// Runs a call on a thread of its own and returns its result: for objects
// whose answer depends on the calling thread (locks, thread-local state).
#pragma once

#include <future>
#include <utility>

namespace ql::test {

template <class Call>
auto OnOtherThread(Call call) {
    return std::async(std::launch::async, std::move(call)).get();
}

}  // namespace ql::test
