// PseudoTerminal: the simulator's end of the line. The master side belongs to the
// simulator; the program opens the slave device like a serial port. Both sides start in
// raw mode so that the program sees the bytes unchanged even before it sets the line up.
// Thread: the simulator's main thread.
#pragma once

#include <memory>
#include <string>

namespace orvane::sim {

class PseudoTerminal {
 public:
  // Nothing on failure; error then says why.
  static std::unique_ptr<PseudoTerminal> open(std::string& error);
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  int masterFd() const { return master_; }
  const std::string& devicePath() const { return devicePath_; }
  // The line drops: the program's side sees a hangup.
  void closeMaster();

 private:
  PseudoTerminal(int master, std::string devicePath)
      : master_(master), devicePath_(std::move(devicePath)) {}

  int master_;
  std::string devicePath_;
};

}  // namespace orvane::sim
