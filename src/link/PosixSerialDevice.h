// PosixSerialDevice: a serial device of a POSIX system (USB adapters, on-board ports,
// pseudo-terminals) through termios, opened exclusively in raw 8-bit mode.
//
// Exclusive: TIOCEXCL refuses other opens of the terminal, and an flock() on the device
// node keeps two programs (or two components) off one controller even where TIOCEXCL does
// not (privileged users, pseudo-terminals, which are left without TIOCEXCL because it
// would outlive a killed program); the second open fails with the system's error code.
// Reads never block (VMIN 0, VTIME 0, O_NONBLOCK): the component only reads what waits.
// Writes wait for room in the output queue up to the write time-out.
// The line is set up without flow control and with the modem lines ignored for input
// (CLOCAL); the settings found at open are put back at close.
// Pseudo-terminals have no modem lines: setting DTR or RTS there succeeds and changes
// nothing; reading them gives false.
// Only received bytes and failure are watched (TCommEventWatch); termios offers no
// waitable break, modem-line or transmit-empty events.
//
// Thread: user-interface thread only (the event watch too).
#pragma once

#include <linux/serial.h>
#include <termios.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "link/SerialDevice.h"

namespace orvane {

namespace ui {
class Backend;
}

class TCommEventWatch;

class PosixSerialDevice : public SerialDevice {
 public:
  // Opens path; nothing (and errorCode set) when it cannot be opened as a serial device.
  static std::unique_ptr<PosixSerialDevice> Open(ui::Backend& backend, const std::string& path,
                                                 int& errorCode);
  ~PosixSerialDevice() override;

  int applyLineSettings(const LineSettings& settings) override;
  int applyTimeouts(const DeviceTimeouts& timeouts) override;
  int setQueueSizes(int input, int output) override;
  int write(const char* data, int count) override;
  int read(char* buffer, int count) override;
  int inQueueCount() override;
  int outQueueCount() override;
  std::uint32_t clearErrors(ComStat& status) override;
  std::uint32_t clearErrorFlags() override;
  void purge(bool input, bool output) override;
  void flush() override;
  int setDtr(bool on) override;
  int setRts(bool on) override;
  int setBreak(bool on) override;
  int setXon(bool on) override;
  bool modemLine(int index) override;
  void startEvents(std::uint32_t mask, std::function<void(std::uint32_t)> handler) override;
  void stopEvents() override;

 private:
  PosixSerialDevice(ui::Backend& backend, int descriptor, bool pseudoTerminal,
                    const termios& original);
  int setModemBits(int bits, bool on);
  // Notes an error of a transfer; errors that mean the device is gone end the watcher.
  void noteTransferError(int error);

  ui::Backend& backend_;
  int descriptor_;
  bool pseudoTerminal_;
  termios original_;
  bool nullStrip_ = false;
  DeviceTimeouts timeouts_;
  bool outputHeld_ = false;  // the program suspended output as if XOff had arrived
  // Line error counters at the last clearErrors; none before the first.
  std::optional<serial_icounter_struct> counters_;
  bool countsErrors_ = true;  // the device keeps line error counters (not known to fail yet)
  std::unique_ptr<TCommEventWatch> watcher_;
};

}  // namespace orvane
