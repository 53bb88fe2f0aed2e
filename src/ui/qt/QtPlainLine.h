// QtPlainLine: one line of digits and separators (a clock's "21:04:37", a sidereal time, a
// date "09.12.2026") drawn from glyphs and advances looked up once per font, without laying
// the text out again on every paint. The clocks change every second and repaint alone;
// laying their text out (itemising, shaping, breaking) was most of what that repaint cost.
//
// The result is the text layout's own, pixel for pixel: the first time a font is used, a
// line holding every ordered pair of the characters is laid out, and the glyphs and the
// advance of each character before each other one are read from it (so kerning, rounding
// and spacing come out as the layout makes them). A font that lays these characters out
// in any other way (ligatures, a fallback font, one pair spaced two ways) is never drawn
// here. Anything else (letters, '&', several lines, word wrap, right-to-left, decorations,
// text larger than its rectangle) is left to QPainter::drawText.
// Thread: user-interface thread only.
#pragma once

#include <string>

class QPainter;
class QRect;

namespace orvane::ui {

// Draws the Latin-1 text into rect as QPainter::drawText(rect, flags, text) would, with the
// painter's font and pen, and returns true; returns false and draws nothing when it cannot.
// flags: Qt::TextShowMnemonic and the alignment flags.
bool drawPlainLine(QPainter& painter, const QRect& rect, int flags, const std::string& text);

}  // namespace orvane::ui
