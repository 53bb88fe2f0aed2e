// Appearance: the day and night colour schemes, the brightness factor, the colour-scheme
// registry of fixed controls, the system colours saved at start, blinking status labels
// and taking the keyboard focus away from a control.
// Owned by the main window; called by the profile reader, start-up, zoom, the tray, the
// night-vision button and the brightness choice.
// Thread: user-interface thread only.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ui/Backend.h"
#include "ui/ColorScheme.h"
#include "ui/Timer.h"
#include "ui/Types.h"

namespace orvane::ui {
class Widget;
class Label;
}  // namespace orvane::ui

namespace orvane {

class SettingsStore;
class TMainForm;

// Settings keys of the scheme and brightness chosen last, and of the deepest night.
constexpr const char* kNightVisionSetting = "NightVision";
constexpr const char* kBrightnessSetting = "Brightness";
constexpr const char* kNightFloorSetting = "NightFloor";
// The floor of the night colours: by default 40 %; an observer may set it down to 5 %.
constexpr int kDefaultNightFloorPercent = 40;
constexpr int kLowestNightFloorPercent = 5;

// The floor the NightFloor setting asks for, in percent: its whole number between 5 and
// 40, or 40 when it is missing or not a number.
int NightFloorPercentOf(const std::optional<std::string>& setting);

using ui::ColorTable;
using ui::Palette;

// Tables before any "Colors " line of a profile.
constexpr ColorTable kDefaultDayColors{0x96550C, 0xFFFFFF, 0xFFFFFF, 0x000000,
                                       0xFFFFFF, 0xEE932D, 0xFFFFFF, 0xFFFFFF};
constexpr ColorTable kDefaultNightColors{0x000000, 0x00008C, 0x0000B2, 0x000000,
                                         0x0000B2, 0x000000, 0x0000FF, 0x000000};

// Scales each 8-bit channel by factor, truncating; the colour itself when factor is 1.
ui::Color GetBrightness(ui::Color color, double factor);

// The brightness factor of a brightness entry ("  27   %" -> 0.27); 0 when not a number.
double BrightnessFactorOf(const std::string& entry);

// Tints a picture: each pixel becomes tint scaled by sqrt((r+g+b)/768) x factor;
// transparent pixels stay transparent.
ui::Image ColorizeImage(const ui::Image& picture, ui::Color tint, double factor);

Palette DerivePalette(const ColorTable& table, bool night, double factor);

class Appearance : public ui::ColorScheme {
 public:
  static constexpr int kRegistrySize = 140;

  Appearance(ui::Backend& backend, TMainForm& main);

  ColorTable dayColors = kDefaultDayColors;
  ColorTable nightColors = kDefaultNightColors;

  bool nightVision() const;
  // The brightness factor of the brightness choice (1 in day mode for colours).
  double brightnessFactor() const;
  // The factor colours use now: at least 0.4 in night vision, 1 by day.
  double colorFactor() const;
  // Colour entry (1-8) of the active table, dimmed as the current mode asks.
  ui::Color activeColor(int entry) const override;
  // Colour entry (1-8) of the active table as the profile gave it, not dimmed.
  ui::Color tableColor(int entry) const override;
  Palette palette() const override;
  void SetColorTable(bool day, const ColorTable& table) override;

  // Adds a fixed control to the colour-scheme registry; false when it is full.
  bool registerControl(ui::Widget* control) override;

  void SetVisionMode() override;
  void VisionModeClick();
  void DimDisplayChange();
  // One brightness entry brighter (-1) or dimmer (+1), as choosing it in the list does.
  void StepBrightness(int step);

  // The dark start: the scheme and brightness chosen last and the night floor, from the
  // settings, applied before any window shows; night vision whatever was remembered when
  // forceNight is set. From then on every choice of scheme or brightness is remembered
  // there.
  void ApplyRememberedScheme(SettingsStore& settings, bool forceNight);
  // Writes the scheme and brightness in force into the settings (when wired to them).
  void RememberScheme() const;
  // Whether the settings held a brightness chosen in an earlier run.
  bool brightnessRemembered() const { return brightnessRemembered_; }
  // The lowest factor night colours are dimmed to (0.05 to 0.4).
  double nightFloor() const { return nightFloor_; }
  void Blink(ui::Widget& label) override;
  void FinishBlink() override;
  void Defocus() override;
  // Saved system colours: taken at start, put back when the program ends, and when it hides
  // by day. The colours are the program's own (no other program draws with them), and what
  // stays on the screen of a program hidden at night (the position strip, the notification
  // area's menu, a dialog the controller calls up) must stay dark: at night hiding keeps
  // the scheme's colours, and only the display mode is restored.
  void SaveSystemColors();
  void ResetPalette();
  void ResetPaletteIfNecessary() override;

  ui::Timer& blinker() { return blinker_; }

 private:
  void BlinkerTick();
  void applyToRegistry(const Palette& p);
  void applyToSheets(const Palette& p);
  // Every control on a sheet's content panel, by its kind, nested panels included.
  void applyToContent(ui::Widget& parent, const Palette& p);
  void colorizeButtons();
  // The message boxes' colours: every text in the palette colour that stands out most from
  // what it lies on.
  void applyToMessageBoxes(const Palette& p);

  ui::Backend& backend_;
  TMainForm& main_;
  std::vector<ui::Widget*> registry_;
  ui::SystemPalette savedSystemColors_{};
  ui::Timer blinker_;
  ui::Widget* blinkTarget_ = nullptr;
  double nightFloor_ = kDefaultNightFloorPercent / 100.0;
  SettingsStore* settings_ = nullptr;
  bool brightnessRemembered_ = false;
  bool refocusAfterBlink_ = false;
};

}  // namespace orvane
