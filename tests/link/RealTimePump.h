// Processing pending events in real time for tests whose events come from another thread
// (the port's watcher): pump until a condition holds, or for a number of rounds.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "ui/headless/HeadlessBackend.h"

namespace orvane::test {

constexpr std::chrono::seconds kPatience{10};

// False when the patience ran out before done() held.
inline bool PumpUntil(ui::HeadlessBackend& backend, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    backend.processMessages();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Gives the other thread room to act: rounds of event processing 1 ms apart.
inline void PumpFor(ui::HeadlessBackend& backend, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    backend.processMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace orvane::test
