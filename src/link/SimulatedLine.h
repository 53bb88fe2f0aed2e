// SimulatedLine: the wire between one port of the simulated devices and its simulated
// controller, in the backend's time. Bytes the program writes reach the controller at
// once; what the controller sends becomes readable byte by byte as it leaves the
// controller (the controller paces its output at the line rate). A window timer runs only
// while something is due: bytes on the wire, an announcement of the controller, or the
// moment the line drops; an idle line costs nothing.
// Events are raised at the timer's ticks only (on the user-interface thread, while it
// processes events), as a driver queues bytes at once but the program hears of them
// when its event loop runs.
// Owned by SimulatedSerialDeviceFactory; a device attached to it must go first.
// Thread: user-interface thread.
#pragma once

#include <string_view>

#include "OutputQueue.h"
#include "SimulatedController.h"
#include "ui/Timer.h"

namespace orvane {

namespace ui {
class Backend;
}

class SimulatedSerialDevice;

class SimulatedLine {
 public:
  SimulatedLine(ui::Backend& backend, sim::ControllerOptions options);
  ~SimulatedLine();
  SimulatedLine(const SimulatedLine&) = delete;
  SimulatedLine& operator=(const SimulatedLine&) = delete;

  sim::SimulatedController& controller() { return controller_; }
  bool unplugged() const;
  bool attached() const { return device_ != nullptr; }
  void attach(SimulatedSerialDevice& device);
  void detach(SimulatedSerialDevice& device);
  // Bytes from the program, arriving now.
  void send(std::string_view bytes);
  // Moves the bytes that have arrived by now into the attached device's input queue. The
  // received-byte event follows at the line's next tick; the device calls this before it
  // looks at its queue, so that a purge or a count sees what a real driver would hold.
  void catchUp();

 private:
  double nowMs() const;
  void tick();
  // Sets the timer for the next due moment, or stops it.
  void reschedule();

  ui::Backend& backend_;
  sim::SimulatedController controller_;
  ui::Timer pump_;
  sim::OutputQueue onWire_;
  SimulatedSerialDevice* device_ = nullptr;
};

}  // namespace orvane
