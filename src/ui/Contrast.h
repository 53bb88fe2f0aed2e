// Contrast of two colours as a reader perceives it: the ratio of their relative
// luminances (sRGB, each plus 0.05 for the light around the screen), from 1 (the same) to
// 21 (black on white). Used to pick the colour a text or a mark is drawn in so that it can
// be read on what it lies on.
// Thread: any (pure functions).
#pragma once

#include <initializer_list>

#include "ui/Types.h"

namespace orvane::ui {

double RelativeLuminance(Color color);
double ContrastRatio(Color a, Color b);
// Of the candidates, the one that stands out most from background (the first of equals).
Color MostLegible(Color background, std::initializer_list<Color> candidates);

}  // namespace orvane::ui
