// Waiting for a condition that a working component reaches soon: bounded
// only by a patience that no working build comes near, so that no assertion
// depends on how fast anything runs.
#pragma once

#include <chrono>
#include <thread>

namespace ql::test {

inline constexpr auto kPatience = std::chrono::seconds(120);

template <class Condition>
bool Eventually(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace ql::test
