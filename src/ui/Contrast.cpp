#include "ui/Contrast.h"

#include <algorithm>
#include <cmath>

namespace orvane::ui {

namespace {
double linear(int channel) {
  const double value = channel / 255.0;
  return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}
}  // namespace

double RelativeLuminance(Color color) {
  return 0.2126 * linear(redOf(color)) + 0.7152 * linear(greenOf(color)) +
         0.0722 * linear(blueOf(color));
}

double ContrastRatio(Color a, Color b) {
  const double first = RelativeLuminance(a) + 0.05;
  const double second = RelativeLuminance(b) + 0.05;
  return std::max(first, second) / std::min(first, second);
}

Color MostLegible(Color background, std::initializer_list<Color> candidates) {
  Color best = candidates.size() > 0 ? *candidates.begin() : kBlack;
  double bestRatio = -1;
  for (Color candidate : candidates) {
    const double ratio = ContrastRatio(background, candidate);
    if (ratio > bestRatio) {
      bestRatio = ratio;
      best = candidate;
    }
  }
  return best;
}

}  // namespace orvane::ui
