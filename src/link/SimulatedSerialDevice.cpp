#include "link/SimulatedSerialDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "link/SimulatedLine.h"

namespace orvane {

SimulatedSerialDevice::SimulatedSerialDevice(SimulatedLine& line) : line_(line) {
  line_.attach(*this);
}

SimulatedSerialDevice::~SimulatedSerialDevice() { line_.detach(*this); }

bool SimulatedSerialDevice::lineMatchesController() const {
  return settings_.baudRate == 9600 && settings_.dataBits == 8 &&
         settings_.parity == LineSettings::Parity::None &&
         settings_.stopBits == LineSettings::StopBits::One;
}

int SimulatedSerialDevice::applyLineSettings(const LineSettings& settings) {
  if (settings.dataBits < 5 || settings.dataBits > 8) return EINVAL;
  settings_ = settings;
  return 0;
}

int SimulatedSerialDevice::applyTimeouts(const DeviceTimeouts&) { return 0; }

int SimulatedSerialDevice::setQueueSizes(int, int) { return 0; }

int SimulatedSerialDevice::write(const char* data, int count) {
  if (count <= 0) return 0;
  if (lost_ || line_.unplugged()) return -1;
  // Output held by XOff stays unsent; the controller never sends XOn, so it is dropped.
  if (outputHeld_) return 0;
  if (lineMatchesController()) line_.send(std::string_view(data, static_cast<std::size_t>(count)));
  return count;
}

int SimulatedSerialDevice::read(char* buffer, int count) {
  if (count <= 0) return 0;
  line_.catchUp();
  const std::size_t taken = std::min(input_.size(), static_cast<std::size_t>(count));
  std::memcpy(buffer, input_.data(), taken);
  input_.erase(0, taken);
  return static_cast<int>(taken);
}

int SimulatedSerialDevice::inQueueCount() {
  line_.catchUp();
  return static_cast<int>(input_.size());
}

int SimulatedSerialDevice::outQueueCount() { return 0; }

std::uint32_t SimulatedSerialDevice::clearErrors(ComStat& status) {
  line_.catchUp();
  status = ComStat{};
  status.inQueue = static_cast<std::uint32_t>(input_.size());
  status.xoffHold = outputHeld_;
  return std::exchange(errors_, 0);
}

void SimulatedSerialDevice::purge(bool input, bool) {
  line_.catchUp();
  if (input) input_.clear();
}

void SimulatedSerialDevice::flush() {}

int SimulatedSerialDevice::setDtr(bool) { return 0; }

int SimulatedSerialDevice::setRts(bool) { return 0; }

int SimulatedSerialDevice::setBreak(bool) { return 0; }

int SimulatedSerialDevice::setXon(bool on) {
  outputHeld_ = !on;
  return 0;
}

bool SimulatedSerialDevice::modemLine(int) { return false; }

void SimulatedSerialDevice::startEvents(std::uint32_t mask,
                                        std::function<void(std::uint32_t)> handler) {
  mask_ = mask;
  handler_ = std::move(handler);
}

void SimulatedSerialDevice::stopEvents() {
  mask_ = 0;
  handler_ = nullptr;
}

void SimulatedSerialDevice::arrive(std::string_view bytes) {
  std::uint32_t events = 0;
  if (!lineMatchesController()) {
    errors_ |= comm_error::kFrame;
    events |= comm_event::kError;
  } else {
    for (char byte : bytes) {
      if (byte == '\0' && settings_.nullStrip) continue;
      if (input_.size() >= kInputQueueLimit) {
        errors_ |= comm_error::kRxOver;
        events |= comm_event::kError;
        break;
      }
      input_.push_back(byte);
      events |= comm_event::kRxChar;
      if (byte == settings_.eventChar) events |= comm_event::kRxFlag;
    }
  }
  noted_ |= events;
}

void SimulatedSerialDevice::raiseEvents() {
  const std::uint32_t events = std::exchange(noted_, 0) & mask_;
  if (events == 0 || !handler_) return;
  // A copy: the handler may close the port, which destroys this device.
  std::function<void(std::uint32_t)> handler = handler_;
  handler(events);
}

void SimulatedSerialDevice::lineLost() {
  if (lost_) return;
  lost_ = true;
  // No event follows a loss.
  std::function<void(std::uint32_t)> handler = std::move(handler_);
  handler_ = nullptr;
  mask_ = 0;
  if (handler) handler(comm_event::kLost);
}

}  // namespace orvane
