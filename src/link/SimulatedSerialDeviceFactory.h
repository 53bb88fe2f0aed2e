// SimulatedSerialDeviceFactory: ports "Com1" ... "Com5" with a simulated controller on
// each port that has one; other names and empty ports fail to open (ENOENT), a port that
// is open already refuses a second open (EBUSY), and one whose line has dropped refuses
// to open (ENODEV). The controllers keep their state across openings, as real ones do.
// The factory must outlive the devices it opened.
// Thread: user-interface thread.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "SimulatedController.h"
#include "link/SerialDevice.h"

namespace orvane {

namespace ui {
class Backend;
}

class SimulatedLine;

class SimulatedSerialDeviceFactory : public SerialDeviceFactory {
 public:
  explicit SimulatedSerialDeviceFactory(ui::Backend& backend);
  ~SimulatedSerialDeviceFactory() override;

  // Puts a controller on port 1-5; replaces one already there unless that port is open
  // (then std::logic_error).
  sim::SimulatedController& addController(int port, sim::ControllerOptions options = {});

  std::unique_ptr<SerialDevice> open(const std::string& deviceName, int& errorCode) override;

 private:
  ui::Backend& backend_;
  std::map<int, std::unique_ptr<SimulatedLine>> lines_;
};

}  // namespace orvane
