#include "link/SimulatedLine.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "link/SimulatedSerialDevice.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();
// The longest timer period; a later due moment is reached in several periods.
constexpr double kLongestPeriodMs = 60'000;

}  // namespace

SimulatedLine::SimulatedLine(ui::Backend& backend, sim::ControllerOptions options)
    : backend_(backend), controller_(std::move(options)), pump_(backend, 1, false) {
  pump_.onTimer = [this](ui::Timer&) { tick(); };
}

SimulatedLine::~SimulatedLine() = default;

double SimulatedLine::nowMs() const { return static_cast<double>(backend_.ticksMs()); }

bool SimulatedLine::unplugged() const { return controller_.unplugged(nowMs()); }

void SimulatedLine::attach(SimulatedSerialDevice& device) {
  device_ = &device;
  reschedule();
}

void SimulatedLine::detach(SimulatedSerialDevice& device) {
  if (device_ != &device) return;
  device_ = nullptr;
  reschedule();
}

void SimulatedLine::send(std::string_view bytes) {
  onWire_.add(controller_.receive(bytes, nowMs()));
  reschedule();
}

void SimulatedLine::tick() {
  catchUp();
  if (device_ != nullptr) device_->raiseEvents();  // may detach the device
  if (device_ != nullptr && !device_->lost() && unplugged()) {
    device_->lineLost();  // may detach the device
  }
  reschedule();
}

void SimulatedLine::catchUp() {
  if (device_ != nullptr) onWire_.add(controller_.poll(nowMs()));
  const double now = nowMs();
  const std::string arrived = onWire_.takeDue(now);
  // Bytes arriving at a closed port are lost.
  if (!arrived.empty() && device_ != nullptr) device_->arrive(arrived);
}

void SimulatedLine::reschedule() {
  double next = onWire_.nextDueMs();  // infinity when nothing is on the wire
  if (device_ != nullptr) {
    if (device_->eventsNoted()) next = nowMs();  // arrivals caught up outside a tick
    next = std::min(next, controller_.nextUnsolicitedMs());
    const double unplugAt = controller_.options().unplugAtMs;
    // A line that came back after its drop has nothing more to wait for.
    if (!device_->lost() && unplugAt >= 0 && (unplugAt > nowMs() || unplugged())) {
      next = std::min(next, unplugAt);
    }
  }
  pump_.stop();
  if (next == kNever) return;
  const double wait = std::clamp(std::ceil(next - nowMs()), 1.0, kLongestPeriodMs);
  pump_.setInterval(static_cast<int>(wait));
  pump_.start();
}

}  // namespace orvane
