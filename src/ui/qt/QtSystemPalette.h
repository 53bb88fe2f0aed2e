// The nine system colours as roles of Qt's application palette. Standard window parts
// (buttons, menus, scroll bars, selections) take their colours from the palette, so
// setting these roles makes them follow the program's colour scheme:
//   button face        -> Button
//   button shadow      -> Dark
//   button highlight   -> Light
//   3-D light          -> Midlight
//   highlight          -> Highlight
//   highlight text     -> HighlightedText
//   menu               -> Window (menus and other unstyled window backgrounds)
//   button text        -> ButtonText
//   3-D dark shadow    -> Shadow
// Reading gives the active colour group; writing sets every group. Two roles follow from
// the nine, so that no standard part keeps a colour of its own: Mid (grid lines, the middle
// of bevels) is the button shadow, and so is the text of disabled controls.
// Thread: user-interface thread only (the palette belongs to the application).
#pragma once

#include <QPalette>

#include "ui/Backend.h"

namespace orvane::ui {

QPalette::ColorRole paletteRoleOf(SystemColor color);
SystemPalette systemColorsOf(const QPalette& palette);
QPalette withSystemColors(QPalette palette, const SystemPalette& colors);

}  // namespace orvane::ui
