// SimulatorServer: runs a simulated controller behind a pseudo-terminal in real time. It
// reads what the program writes, hands it to the controller with the time it arrived and
// writes each byte of the controller's output when it is due; it sleeps in poll() until
// the next byte is due, a byte arrives or a signal comes. While no program has the device
// open, output is lost as on a real line, and the server looks for a new open every few
// milliseconds instead of spinning on the hangup.
// SIGINT and SIGTERM end it; SIGHUP power-cycles the controller; SIGUSR1 completes the
// initial alignment; SIGUSR2 switches status bit 4. A dropped line that comes back gets a
// new pseudo-terminal, and the link is moved to it. With the strict option every breach of
// the one-command-at-a-time rule is printed as it happens and counted at the end.
// Thread: the program's main thread (the only one).
#pragma once

#include <ostream>

#include "CommandLine.h"

namespace orvane::sim {

class SimulatorServer {
 public:
  SimulatorServer(SimulatorSettings settings, std::ostream& out, std::ostream& errors);
  // Serves until SIGINT or SIGTERM; returns the process's exit code.
  int run();

 private:
  SimulatorSettings settings_;
  std::ostream& out_;
  std::ostream& errors_;
};

}  // namespace orvane::sim
