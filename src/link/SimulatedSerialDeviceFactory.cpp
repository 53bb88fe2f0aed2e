#include "link/SimulatedSerialDeviceFactory.h"

#include <cerrno>
#include <stdexcept>
#include <utility>

#include "link/DeviceMap.h"
#include "link/SimulatedLine.h"
#include "link/SimulatedSerialDevice.h"

namespace orvane {

SimulatedSerialDeviceFactory::SimulatedSerialDeviceFactory(ui::Backend& backend)
    : backend_(backend) {}

SimulatedSerialDeviceFactory::~SimulatedSerialDeviceFactory() = default;

sim::SimulatedController& SimulatedSerialDeviceFactory::addController(
    int port, sim::ControllerOptions options) {
  if (port < 1 || port > DeviceMap::kPortCount) throw std::out_of_range("no such port");
  std::unique_ptr<SimulatedLine>& line = lines_[port];
  if (line && line->attached()) throw std::logic_error("the port is open");
  line = std::make_unique<SimulatedLine>(backend_, std::move(options));
  return line->controller();
}

std::unique_ptr<SerialDevice> SimulatedSerialDeviceFactory::open(const std::string& deviceName,
                                                                 int& errorCode) {
  errorCode = 0;
  const std::optional<int> port = DeviceMap::PortNumber(deviceName);
  auto found = port ? lines_.find(*port) : lines_.end();
  if (found == lines_.end()) {
    errorCode = ENOENT;
    return nullptr;
  }
  SimulatedLine& line = *found->second;
  if (line.attached()) {
    errorCode = EBUSY;
    return nullptr;
  }
  if (line.unplugged()) {
    errorCode = ENODEV;
    return nullptr;
  }
  return std::make_unique<SimulatedSerialDevice>(line);
}

}  // namespace orvane
