// LineTransmitter: puts the controller's texts on the line. One byte after the other at
// the line rate, each reply after the controller's processing delay, never two texts at
// once; and the faults that concern the sending side: late replies, replies split into
// pieces with silence between them, garbage in place of replies, and a line that drops at
// a given time (nothing leaves after it, until it comes back if it does).
// Thread: one thread at a time (the controller's).
#pragma once

#include <random>
#include <string>
#include <vector>

#include "ControllerOptions.h"
#include "ControllerOutput.h"

namespace orvane::sim {

class LineTransmitter {
 public:
  explicit LineTransmitter(const ControllerOptions& options);

  // A reply to a command whose last byte arrived at commandEndMs.
  std::vector<Output> reply(const std::string& text, double commandEndMs);
  // Bytes sent exactly as given, starting at once (an echo).
  std::vector<Output> immediate(const std::string& text, double nowMs);
  // Unsolicited text in pieces, each starting gapMs after the previous one has ended.
  std::vector<Output> unsolicited(const std::vector<std::string>& pieces, double dueMs,
                                  double gapMs);
  bool unplugged(double nowMs) const;

 private:
  double msPerByte() const;
  // Appends a piece starting no earlier than startMs and after everything before it;
  // drops the bytes that would leave after the line has dropped.
  void append(std::vector<Output>& out, std::string bytes, double startMs);
  std::string garbled(std::size_t length);

  const ControllerOptions& options_;
  double lineFreeAtMs_ = 0;
  std::mt19937 random_;
};

}  // namespace orvane::sim
