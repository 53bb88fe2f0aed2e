// ColorScheme: what the windows and the profile-built controls need of the program's
// colour scheme (day or night vision, dimmed by the brightness choice): the colours of
// each role, the colour-scheme registry of fixed controls, blinking a status label,
// taking the keyboard focus off the main window, and applying the scheme again.
// The main window's appearance implements it; the windows and the parts below them are
// handed it when the program is wired together.
// Thread: user-interface thread only.
#pragma once

#include <array>

#include "ui/Types.h"

namespace orvane::ui {

class Label;
class Widget;

// The eight colour entries of a scheme, as a profile's "Colors " line gives them.
using ColorTable = std::array<Color, 8>;

// The colours of every role, derived from the active table.
struct Palette {
  Color frameFill;
  Color framePen;
  Color text;
  Color sheetFrameFill;
  Color pageText;
  Color accent;
  Color labelText;
  Color fieldBackground;
  Color fieldText;
  Color hint;
  Color entry8;
};

class ColorScheme {
 public:
  // Colour entry (1-8) of the active table, dimmed as the current mode asks.
  virtual Color activeColor(int entry) const = 0;
  // Colour entry (1-8) of the active table as the profile gave it, not dimmed.
  virtual Color tableColor(int entry) const = 0;
  virtual Palette palette() const = 0;
  // Replaces the day or the night table (a profile's "Colors " line).
  virtual void SetColorTable(bool day, const ColorTable& table) = 0;
  // Adds a fixed control to the registry that every application of the scheme recolours;
  // false when the registry is full.
  virtual bool registerControl(Widget* control) = 0;
  // Applies the active scheme to every window and registered control.
  virtual void SetVisionMode() = 0;
  // Puts the saved system colours back when no window of the program is showing.
  virtual void ResetPaletteIfNecessary() = 0;
  // Makes a status label (or a button) blink a few times.
  virtual void Blink(Widget& label) = 0;
  // Ends a blink in progress at once, its target shown; before the target may go away or be
  // hidden for good.
  virtual void FinishBlink() = 0;
  // Takes the keyboard focus off the main window's controls.
  virtual void Defocus() = 0;

 protected:
  ~ColorScheme() = default;
};

}  // namespace orvane::ui
