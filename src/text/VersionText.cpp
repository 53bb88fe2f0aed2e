#include "text/VersionText.h"

namespace orvane {

std::string VersionLabel(std::string_view value) {
  const std::string_view rest = value.size() > 1 ? value.substr(1) : std::string_view();
  return "Level " + std::string(value.substr(0, 1)) + ", Version " + std::string(rest.substr(0, 3));
}

}  // namespace orvane
