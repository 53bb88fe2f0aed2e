// DeviceLink: a symbolic link with a stable name (for example /tmp/ttyOrvane) to the
// simulator's terminal device, whose name changes from run to run. An existing symbolic
// link of that name is replaced; any other file is never touched. The link is removed
// when the object goes, as long as it still points at the device.
// Thread: the simulator's main thread.
#pragma once

#include <memory>
#include <string>

namespace orvane::sim {

class DeviceLink {
 public:
  // Nothing when the link cannot be made; error then says why.
  static std::unique_ptr<DeviceLink> create(const std::string& linkPath, const std::string& target,
                                            std::string& error);
  ~DeviceLink();
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

  const std::string& path() const { return path_; }

 private:
  DeviceLink(std::string path, std::string target)
      : path_(std::move(path)), target_(std::move(target)) {}

  std::string path_;
  std::string target_;
};

}  // namespace orvane::sim
