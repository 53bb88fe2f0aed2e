#include "OutputQueue.h"

#include <limits>
#include <utility>

namespace orvane::sim {

void OutputQueue::add(std::vector<Output> pieces) {
  appendAll(pieces_, std::move(pieces));
  dropFinished();
}

void OutputQueue::clear() {
  pieces_.clear();
  takenOfFirst_ = 0;
}

double OutputQueue::nextDueMs() const {
  if (pieces_.empty()) return std::numeric_limits<double>::infinity();
  return pieces_.front().byteDoneMs(takenOfFirst_);
}

std::string_view OutputQueue::due(double nowMs) const {
  if (pieces_.empty()) return {};
  const Output& first = pieces_.front();
  const std::size_t sent = first.bytesSentBy(nowMs);
  if (sent <= takenOfFirst_) return {};
  return std::string_view(first.bytes).substr(takenOfFirst_, sent - takenOfFirst_);
}

void OutputQueue::take(std::size_t count) {
  if (pieces_.empty()) return;
  takenOfFirst_ += count;
  dropFinished();
}

std::string OutputQueue::takeDue(double nowMs) {
  std::string taken;
  for (std::string_view bytes = due(nowMs); !bytes.empty(); bytes = due(nowMs)) {
    taken.append(bytes);
    take(bytes.size());
  }
  return taken;
}

void OutputQueue::dropFinished() {
  while (!pieces_.empty() && takenOfFirst_ >= pieces_.front().bytes.size()) {
    pieces_.pop_front();
    takenOfFirst_ = 0;
  }
}

}  // namespace orvane::sim
