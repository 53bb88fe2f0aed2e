// The pictures of the main window's image buttons, drawn in white on a transparent
// ground; the colour scheme tints them.
// Thread: any (pure functions).
#pragma once

#include "ui/Types.h"

namespace orvane {

enum class Glyph { NightVision, Credits, Background, Schedule, Zoom, Minimize, Exit };

ui::Image DrawGlyph(Glyph glyph, int size);

}  // namespace orvane
