#include "link/SimulatedLine.h"

#include <algorithm>
#include <cmath>
#include <limits>
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
  lossReported_ = false;
  reschedule();
}

void SimulatedLine::detach(SimulatedSerialDevice& device) {
  if (device_ != &device) return;
  device_ = nullptr;
  reschedule();
}

void SimulatedLine::send(std::string_view bytes) {
  for (sim::Output& output : controller_.receive(bytes, nowMs()))
    onWire_.push_back(Piece{std::move(output), 0});
  reschedule();
}

void SimulatedLine::tick() {
  catchUp();
  if (device_ != nullptr) device_->raiseEvents();  // may detach the device
  if (device_ != nullptr && !lossReported_ && unplugged()) {
    lossReported_ = true;
    device_->lineLost();  // may detach the device
  }
  reschedule();
}

void SimulatedLine::catchUp() {
  if (device_ != nullptr) {
    for (sim::Output& output : controller_.poll(nowMs()))
      onWire_.push_back(Piece{std::move(output), 0});
  }
  const double now = nowMs();
  std::string arrived;
  while (!onWire_.empty()) {
    Piece& piece = onWire_.front();
    const std::size_t sent = piece.output.bytesSentBy(now);
    if (sent > piece.delivered) {
      arrived.append(piece.output.bytes, piece.delivered, sent - piece.delivered);
      piece.delivered = sent;
    }
    if (piece.delivered < piece.output.bytes.size()) break;
    onWire_.pop_front();
  }
  // Bytes arriving at a closed port are lost.
  if (!arrived.empty() && device_ != nullptr) device_->arrive(arrived);
}

void SimulatedLine::reschedule() {
  double next = kNever;
  if (!onWire_.empty()) {
    const Piece& piece = onWire_.front();
    next = piece.output.msPerByte > 0 ? piece.output.byteDoneMs(piece.delivered)
                                      : piece.output.atMs;
  }
  if (device_ != nullptr) {
    if (device_->eventsNoted()) next = nowMs();  // arrivals caught up outside a tick
    next = std::min(next, controller_.nextUnsolicitedMs());
    const double unplugAt = controller_.options().unplugAtMs;
    if (!lossReported_ && unplugAt >= 0) next = std::min(next, unplugAt);
  }
  pump_.stop();
  if (next == kNever) return;
  const double wait = std::clamp(std::ceil(next - nowMs()), 1.0, kLongestPeriodMs);
  pump_.setInterval(static_cast<int>(wait));
  pump_.start();
}

}  // namespace orvane
