#include "ControllerOptions.h"

#include <limits>

namespace orvane::sim {

double ControllerOptions::replugAtMs() const {
  if (unplugAtMs < 0 || replugAfterMs < 0) return std::numeric_limits<double>::infinity();
  return unplugAtMs + replugAfterMs;
}

// An option list's setting (its heading number, a multiple of 10) holds the number of the
// chosen option; value settings hold their value text.
std::map<int, std::string> ControllerOptions::standardSettings() {
  return {
      // mechanics
      {20, "21"},
      {30, "31"},
      {40, "41"},
      {201, "180"},
      {202, "180"},
      {203, "3"},
      {204, "3"},
      {205, "200"},
      {206, "200"},
      {211, "20"},
      {212, "60"},
      {213, "16"},
      // motors and speeds
      {230, "232"},
      {221, "800"},
      {222, "800"},
      {223, "300"},
      {224, "300"},
      {225, "30"},
      {120, "5"},
      {110, "5"},
      {160, "16"},
      {170, "64"},
      // tracking, guiding, periodic error
      {50, "51"},
      {60, "61"},
      {70, "72"},
      {251, "0"},
      {261, "50"},
      {270, "271"},
      {290, "291"},
      // site and time kept natively
      {503, "41"},
      {90, "91"},
      // park and limits
      {401, "0"},
      {402, "90"},
      {410, "411"},
      {421, "10"},
      {422, "15"},
      {423, "15"},
      {430, "431"},
      // hand controller
      {80, "81"},
      {601, "8"},
      {602, "60"},
      {610, "611"},
      {620, "621"},
      {630, "631"},
      {640, "641"},
      // user object
      {140, "+004244"},
      {150, "+411609"},
  };
}

}  // namespace orvane::sim
