// SimulatedSerialDevice: an opened port whose far end is a simulated controller
// (SimulatedLine), for tests and a demonstration mode. It behaves as a serial device
// does: written bytes go out at once, received bytes wait in an input queue until read,
// and each arrival raises a received-byte event (and the event-character event when that
// character came). A line set to anything but 9600 baud, 8 data bits, no parity, one stop
// bit does not reach the controller, which talks at that rate only: bytes sent are lost
// and bytes received show as framing errors. A dropped line is reported once as a loss;
// writes fail afterwards. It has no modem lines; break and XOn/XOff are accepted.
// Events are raised from the line's window timer, so the handler runs on the
// user-interface thread, and stopEvents() cannot meet a running watcher.
// Thread: user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/SerialDevice.h"

namespace orvane {

class SimulatedLine;

class SimulatedSerialDevice : public SerialDevice {
 public:
  // The driver's input queue holds this many bytes; more are lost (overflow error).
  static constexpr std::size_t kInputQueueLimit = 4096;

  explicit SimulatedSerialDevice(SimulatedLine& line);
  ~SimulatedSerialDevice() override;

  int applyLineSettings(const LineSettings& settings) override;
  int applyTimeouts(const DeviceTimeouts& timeouts) override;
  int setQueueSizes(int input, int output) override;
  int write(const char* data, int count) override;
  int read(char* buffer, int count) override;
  int inQueueCount() override;
  int outQueueCount() override;
  std::uint32_t clearErrors(ComStat& status) override;
  void purge(bool input, bool output) override;
  void flush() override;
  int setDtr(bool on) override;
  int setRts(bool on) override;
  int setBreak(bool on) override;
  int setXon(bool on) override;
  bool modemLine(int index) override;
  void startEvents(std::uint32_t mask, std::function<void(std::uint32_t)> handler) override;
  void stopEvents() override;

  // From the line (user-interface thread): bytes that arrived (queued, with their events
  // noted), the noted events raised, the line dropped. The handler may close this device
  // in the last two.
  void arrive(std::string_view bytes);
  void raiseEvents();
  void lineLost();
  bool eventsNoted() const { return (noted_ & mask_) != 0; }
  // The drop of the line has been reported to this device.
  bool lost() const { return lost_; }

 private:
  bool lineMatchesController() const;

  SimulatedLine& line_;
  LineSettings settings_;
  std::string input_;
  std::uint32_t errors_ = 0;
  std::uint32_t noted_ = 0;  // events of arrivals not raised yet
  bool outputHeld_ = false;
  bool lost_ = false;
  std::uint32_t mask_ = 0;
  std::function<void(std::uint32_t)> handler_;
};

}  // namespace orvane
