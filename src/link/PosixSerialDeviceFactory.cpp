#include "link/PosixSerialDeviceFactory.h"

#include <utility>

#include "link/PosixSerialDevice.h"

namespace orvane {

PosixSerialDeviceFactory::PosixSerialDeviceFactory(ui::Backend& backend, DeviceMap map)
    : backend_(backend), map_(std::move(map)) {}

std::unique_ptr<SerialDevice> PosixSerialDeviceFactory::open(const std::string& deviceName,
                                                             int& errorCode) {
  return PosixSerialDevice::Open(backend_, map_.PathFor(deviceName), errorCode);
}

}  // namespace orvane
