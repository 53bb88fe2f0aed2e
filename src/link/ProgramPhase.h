// The program's phase, kept in the tag of the main window's start-up timer: before
// start-up, started, or shutting down (waiting loops give up once shutdown has begun).
// Thread: user-interface thread only.
#pragma once

#include "ui/Timer.h"

namespace orvane {

namespace startup_phase {
constexpr int kBeforeStart = 0;
constexpr int kStarted = 1;
constexpr int kShuttingDown = -1;
}  // namespace startup_phase

inline bool ShuttingDown(const ui::Timer& startupTimer) {
  return startupTimer.tag() == startup_phase::kShuttingDown;
}

}  // namespace orvane
