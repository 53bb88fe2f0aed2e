#include "DeviceLink.h"

#include <filesystem>
#include <system_error>

namespace orvane::sim {

namespace fs = std::filesystem;

std::unique_ptr<DeviceLink> DeviceLink::create(const std::string& linkPath,
                                               const std::string& target, std::string& error) {
  std::error_code code;
  fs::file_status status = fs::symlink_status(linkPath, code);
  if (fs::exists(status)) {
    if (!fs::is_symlink(status)) {
      error = "refusing to replace " + linkPath + ": it is not a symbolic link";
      return nullptr;
    }
    if (!fs::remove(linkPath, code)) {
      error = "cannot remove the old link " + linkPath + ": " + code.message();
      return nullptr;
    }
  }
  fs::create_symlink(target, linkPath, code);
  if (code) {
    error = "cannot create the link " + linkPath + ": " + code.message();
    return nullptr;
  }
  return std::unique_ptr<DeviceLink>(new DeviceLink(linkPath, target));
}

DeviceLink::~DeviceLink() {
  std::error_code code;
  if (fs::is_symlink(fs::symlink_status(path_, code)) && fs::read_symlink(path_, code) == target_) {
    fs::remove(path_, code);
  }
}

}  // namespace orvane::sim
