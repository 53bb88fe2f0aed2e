#include "text/VersionText.h"

namespace orvane {

std::string VersionLabel(std::string_view value) {
  const std::string_view rest = value.size() > 1 ? value.substr(1) : std::string_view();
  return "Level " + std::string(value.substr(0, 1)) + ", Version " + std::string(rest.substr(0, 3));
}

bool IsVersionReply(std::string_view reply) {
  constexpr std::size_t kDigits = 3;
  if (reply.size() != kDigits + 1 || reply[kDigits] != '#') return false;
  for (std::size_t i = 0; i < kDigits; ++i) {
    if (reply[i] < '0' || reply[i] > '9') return false;
  }
  return true;
}

}  // namespace orvane
