// PosixSerialDeviceFactory: opens the termios device a port name stands for (DeviceMap).
// Thread: user-interface thread.
#pragma once

#include <memory>
#include <string>

#include "link/DeviceMap.h"
#include "link/SerialDevice.h"

namespace orvane {

namespace ui {
class Backend;
}

class PosixSerialDeviceFactory : public SerialDeviceFactory {
 public:
  PosixSerialDeviceFactory(ui::Backend& backend, DeviceMap map);

  std::unique_ptr<SerialDevice> open(const std::string& deviceName, int& errorCode) override;

 private:
  ui::Backend& backend_;
  DeviceMap map_;
};

}  // namespace orvane
