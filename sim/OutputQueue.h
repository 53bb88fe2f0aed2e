// OutputQueue: the controller's output on its way over the line, in sending order, with
// the count of bytes already taken off the first piece. A byte is due once it has left
// the controller (Output::bytesSentBy); whoever reads the line takes the due bytes when it
// can. The simulator program writes them to its pseudo-terminal, the simulated serial
// device queues them as received bytes.
// Thread: one thread at a time (its owner's).
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "ControllerOutput.h"

namespace orvane::sim {

class OutputQueue {
 public:
  void add(std::vector<Output> pieces);
  void clear();
  // When the next byte is due; infinity when nothing waits.
  double nextDueMs() const;
  // The bytes of the first piece that are due by nowMs and not taken yet; valid until the
  // queue changes.
  std::string_view due(double nowMs) const;
  // Takes count bytes (at most those due) off the first piece; a piece taken whole leaves.
  void take(std::size_t count);
  // Takes every byte due by nowMs, across pieces.
  std::string takeDue(double nowMs);

 private:
  // Removes the pieces at the front that have nothing left to take.
  void dropFinished();

  std::deque<Output> pieces_;
  std::size_t takenOfFirst_ = 0;
};

}  // namespace orvane::sim
