// SimulatorProcess: the orvane-sim program started as a process of its own for end-to-end
// tests, with its standard output and error collected as they come (a reader thread keeps
// the pipe drained, so a simulator that logs every command never blocks on it). Every
// wait is bounded. The process (with its process group, when it has one of its own) is
// killed and reaped when the object goes.
// Thread: the test's thread; the reader thread only appends to the collected text.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvane::testing {

class SimulatorProcess {
 public:
  // program: the path of orvane-sim; arguments: without the program's name.
  // ownProcessGroup: the program starts programs of its own (INDI's server starts its
  // drivers), which share its output; they are killed with it.
  SimulatorProcess(const std::string& program, const std::vector<std::string>& arguments,
                   bool ownProcessGroup = false);
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // Everything printed so far.
  std::string output() const;
  // Waits until the output contains text; false when the time runs out first or the
  // program ends without printing it.
  bool waitForOutput(const std::string& text, int timeoutMs) const;
  // Waits until the program has ended and reaps it: its exit code, or -1.
  int waitForExit(int timeoutMs);
  // Processor time used so far, in clock ticks.
  long cpuTicks() const;

 private:
  void readAll();

  pid_t pid_ = -1;
  bool ownProcessGroup_ = false;
  int output_ = -1;
  bool reaped_ = false;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::string text_;
  bool ended_ = false;
  std::thread reader_;
};

}  // namespace orvane::testing
