#include "app/Appearance.h"

#include <algorithm>
#include <cmath>

#include "app/CompareForm.h"
#include "app/CreditsForm.h"
#include "app/ErrorForm.h"
#include "app/MainForm.h"
#include "app/Observer.h"
#include "dialogue/AlignmentForm.h"
#include "dialogue/RestartForm.h"
#include "link/Cache.h"
#include "persistence/SettingsStore.h"
#include "schedule/Schedule.h"
#include "text/NumberText.h"
#include "ui/Contrast.h"
#include "ui/FocusKeeper.h"

namespace orvane {

namespace {
constexpr int kBlinkSteps = 6;
constexpr int kBlinkInterval = 200;
}  // namespace

ui::Color GetBrightness(ui::Color color, double factor) {
  if (factor == 1) return color;
  auto scale = [factor](int channel) { return static_cast<int>(channel * factor) & 0xFF; };
  return ui::makeColor(scale(ui::redOf(color)), scale(ui::greenOf(color)),
                       scale(ui::blueOf(color)));
}

double BrightnessFactorOf(const std::string& entry) {
  size_t start = entry.find_first_not_of(' ');
  if (start == std::string::npos) return 0;
  std::string text = entry.substr(start);
  size_t cut = text.find(' ');
  if (cut == std::string::npos) cut = text.find('%');
  if (cut != std::string::npos) text.resize(cut);
  return StrToFloatDef(text, 0) / 100;
}

int NightFloorPercentOf(const std::optional<std::string>& setting) {
  if (!setting) return kDefaultNightFloorPercent;
  const long long percent = IntegerOr(*setting, kDefaultNightFloorPercent);
  return static_cast<int>(std::clamp<long long>(percent, kLowestNightFloorPercent,
                                                kDefaultNightFloorPercent));
}

ui::Image ColorizeImage(const ui::Image& picture, ui::Color tint, double factor) {
  ui::Image result = picture;
  for (ui::Color& pixel : result.pixels) {
    if ((pixel & ui::Image::kTransparent) == ui::Image::kTransparent) continue;
    double level = std::sqrt((ui::redOf(pixel) + ui::greenOf(pixel) + ui::blueOf(pixel)) / 768.0);
    pixel = GetBrightness(tint, level * factor);
  }
  return result;
}

Palette DerivePalette(const ColorTable& table, bool night, double factor) {
  ColorTable t = table;
  if (night) {
    for (ui::Color& c : t) c = GetBrightness(c, factor);
  }
  Palette p{};
  p.frameFill = t[0];
  p.framePen = t[1];
  p.text = t[2];
  p.sheetFrameFill = t[3];
  p.pageText = t[4];
  p.accent = t[5];
  p.labelText = t[6];
  p.entry8 = t[7];
  p.fieldBackground = night ? t[0] : t[2];
  p.fieldText = night ? t[6] : ui::kBlack;
  p.hint = night ? t[2] : t[5];
  return p;
}

Appearance::Appearance(ui::Backend& backend, TMainForm& main)
    : backend_(backend), main_(main), blinker_(backend, kBlinkInterval, false) {
  registry_.reserve(kRegistrySize);
  blinker_.onTimer = [this](ui::Timer&) { BlinkerTick(); };
}

bool Appearance::nightVision() const {
  return main_.NightVision != nullptr && main_.NightVision->tag() == 1;
}

double Appearance::brightnessFactor() const {
  if (main_.DimDisplay == nullptr) return 1;
  return BrightnessFactorOf(main_.DimDisplay->text());
}

double Appearance::colorFactor() const {
  if (!nightVision()) return 1;
  return std::max(brightnessFactor(), nightFloor_);
}

ui::Color Appearance::activeColor(int entry) const {
  if (nightVision())
    return GetBrightness(nightColors[static_cast<size_t>(entry - 1)], colorFactor());
  return dayColors[static_cast<size_t>(entry - 1)];
}

ui::Color Appearance::tableColor(int entry) const {
  return (nightVision() ? nightColors : dayColors)[static_cast<size_t>(entry - 1)];
}

void Appearance::SetColorTable(bool day, const ColorTable& table) {
  (day ? dayColors : nightColors) = table;
}

Palette Appearance::palette() const {
  return DerivePalette(nightVision() ? nightColors : dayColors, nightVision(), colorFactor());
}

bool Appearance::registerControl(ui::Widget* control) {
  if (control == nullptr || registry_.size() >= kRegistrySize) return false;
  registry_.push_back(control);
  return true;
}

void Appearance::SetVisionMode() {
  const Palette p = palette();
  TMainForm& m = main_;
  // Hints in the hint colour with text in the button text colour.
  backend_.setHintColors(p.hint, p.sheetFrameFill);
  m.setFontColor(p.text);
  m.setColor(ui::kBlack);

  m.Frame->setBrushColor(p.frameFill);
  m.Frame->setPenColor(p.framePen);
  m.SheetFrame->setBrushColor(p.sheetFrameFill);
  m.SheetFrame->setPenColor(p.framePen);
  m.SheetPanel->setFontColor(p.pageText);
  m.StaticControlsPanel->setColor(p.accent);
  m.StaticControlsPanel->setFontColor(p.text);
  m.StaticControlsFrame->setBrushColor(p.accent);
  // Opaque value labels take the strip's colour, as labels take their parent's.
  for (ui::Widget* label : m.StaticControlsPanel->children()) {
    if (label->kind() == ui::WidgetKind::Label) label->setColor(p.accent);
  }
  m.StaticControlsFrame->setPenColor(p.framePen);
  m.ProfileMenu->setColor(p.accent);
  m.DimDisplay->setColor(p.fieldBackground);
  m.DimDisplay->setFontColor(p.fieldText);

  Windows& w = m.windows();
  if (w.schedule != nullptr) {
    // Recolouring does not move the keyboard: a key that changed the scheme or the
    // brightness in manual control leaves the focus there.
    ui::FocusKeeper keep(*w.schedule);
    w.schedule->SetVisionMode(p);
  }
  if (w.compare != nullptr) w.compare->SetVisionMode(p);
  // The dialogs: frame, the window behind the frame's rounded corners, and the texts that
  // take the window's font. Their titles are drawn in the label text colour.
  auto dialog = [&](ui::Form* form, ui::Shape* frame, ui::Label* title) {
    if (form == nullptr) return;
    form->setColor(ui::kBlack);
    form->setFontColor(p.text);
    frame->setBrushColor(p.frameFill);
    frame->setPenColor(p.framePen);
    if (title != nullptr) title->setFontColor(p.labelText);
  };
  if (w.restart != nullptr) dialog(w.restart, w.restart->Frame.get(), w.restart->Title.get());
  if (w.alignment != nullptr) {
    dialog(w.alignment, w.alignment->Frame.get(), w.alignment->Title.get());
  }
  if (w.credits != nullptr) dialog(w.credits, w.credits->Frame.get(), nullptr);
  if (w.error != nullptr) dialog(w.error, w.error->Frame.get(), nullptr);
  // The position strip shows its own colours by day and the scheme's at night.
  if (w.observer != nullptr) {
    if (nightVision()) {
      w.observer->SetColors(p.frameFill, p.labelText);
    } else {
      w.observer->SetColors(kObserverBackground, kObserverText);
    }
  }

  applyToRegistry(p);
  applyToSheets(p);
  colorizeButtons();
  applyToMessageBoxes(p);

  m.repaint();
  ui::SystemPalette system{};
  const bool night = nightVision();
  system[static_cast<int>(ui::SystemColor::ButtonFace)] = night ? p.text : p.accent;
  system[static_cast<int>(ui::SystemColor::ButtonShadow)] = night ? p.framePen : p.frameFill;
  system[static_cast<int>(ui::SystemColor::ButtonHighlight)] = night ? p.text : p.accent;
  system[static_cast<int>(ui::SystemColor::Light3D)] = night ? p.text : p.accent;
  system[static_cast<int>(ui::SystemColor::Highlight)] = night ? p.text : p.frameFill;
  // At night the highlight is the text colour, and entry 8 (which a "Colors " line makes
  // equal to the label text) would be red on red: a highlighted entry is drawn inverted,
  // in the frame colour, as an active direction button is.
  system[static_cast<int>(ui::SystemColor::HighlightText)] = night ? p.frameFill : p.entry8;
  system[static_cast<int>(ui::SystemColor::Menu)] = night ? p.entry8 : p.accent;
  system[static_cast<int>(ui::SystemColor::ButtonText)] = p.sheetFrameFill;
  system[static_cast<int>(ui::SystemColor::DarkShadow3D)] = p.sheetFrameFill;
  backend_.setSystemColors(system);
  m.repaint();
}

void Appearance::applyToRegistry(const Palette& p) {
  for (ui::Widget* w : registry_) {
    switch (w->kind()) {
      case ui::WidgetKind::Panel:
        w->setColor(p.frameFill);
        break;
      case ui::WidgetKind::Label:
        w->setFontColor(p.labelText);
        break;
      case ui::WidgetKind::Shape: {
        auto* shape = static_cast<ui::Shape*>(w);
        shape->setBrushColor(p.accent);
        shape->setPenColor(p.text);
        break;
      }
      case ui::WidgetKind::ComboBox:
        w->setColor(p.fieldBackground);
        w->setFontColor(p.fieldText);
        static_cast<ui::ComboBox*>(w)->setSelection(0, 0);
        break;
      case ui::WidgetKind::MaskEdit:
        w->setColor(p.fieldBackground);
        w->setFontColor(p.fieldText);
        static_cast<ui::MaskEdit*>(w)->setSelection(0, 0);
        break;
      default:
        break;
    }
  }
}

void Appearance::applyToContent(ui::Widget& parent, const Palette& p) {
  for (ui::Widget* control : parent.children()) {
    switch (control->kind()) {
      case ui::WidgetKind::Panel:
        control->setColor(parent.color());
        applyToContent(*control, p);
        break;
      case ui::WidgetKind::Shape: {
        auto* shape = static_cast<ui::Shape*>(control);
        shape->setBrushColor(p.accent);
        shape->setPenColor(p.text);
        break;
      }
      case ui::WidgetKind::Label:
        // Row texts take the page's font; a label with a font of its own is a button's.
        if (!control->parentFont()) control->setFontColor(p.labelText);
        if (!control->transparent()) control->setColor(parent.color());
        break;
      case ui::WidgetKind::ComboBox:
      case ui::WidgetKind::MaskEdit:
      case ui::WidgetKind::ListBox:
      case ui::WidgetKind::Memo:
      case ui::WidgetKind::StringGrid:
        control->setColor(p.fieldBackground);
        control->setFontColor(p.fieldText);
        break;
      default:
        break;
    }
  }
}

void Appearance::applyToSheets(const Palette& p) {
  for (const auto& sheet : main_.sheets.sheets()) {
    sheet->menuShape->setBrushColor(p.accent);
    sheet->menuShape->setPenColor(p.text);
    sheet->menuPanel->setColor(main_.ProfileMenuPanel->color());
    sheet->menuLabel->setColor(p.accent);
    sheet->menuLabel->setFontColor(p.labelText);
    // The content panel and everything on it (value rows, object databases, file transfer
    // panels) in the scheme being applied, whatever scheme the profile was loaded in.
    sheet->contentPanel->setColor(p.sheetFrameFill);
    applyToContent(*sheet->contentPanel, p);
  }
  main_.databases.ApplyColors(p.accent, p.text);
  main_.fileTransfer.ApplyColors(p);
  for (const auto& binding : main_.sheets.bindings()) {
    if (binding->synchroniserLabel) binding->synchroniserLabel->setFontColor(p.labelText);
    if (binding->synchroniserShape) {
      binding->synchroniserShape->setBrushColor(p.accent);
      binding->synchroniserShape->setPenColor(p.text);
    }
  }
}

void Appearance::colorizeButtons() {
  TMainForm& m = main_;
  const std::pair<ui::ImageButton*, ui::ImageButton*> pairs[] = {
      {m.BtnCredits.get(), m.BtnCredits_Ref.get()},
      {m.BtnExit.get(), m.BtnExit_Ref.get()},
      {m.BtnMinimize.get(), m.BtnMinimize_Ref.get()},
      {m.BtnSchedule.get(), m.BtnSchedule_Ref.get()},
      {m.BtnZoom.get(), m.BtnZoom_Ref.get()},
      {m.BtnBackground.get(), m.BtnBackground_Ref.get()},
      {m.NightVision.get(), m.NightVision_Ref.get()},
  };
  // The tint is the title's font colour: the label-text colour set above.
  const ui::Color tint = m.Title->font().color;
  for (const auto& [button, twin] : pairs) {
    button->setPicture(ColorizeImage(twin->picture(), tint, colorFactor()));
  }
  if (TSchedule* schedule = m.windows().schedule) {
    schedule->BtnExit->setPicture(ColorizeImage(m.BtnExit_Ref->picture(), tint, colorFactor()));
  }
  // The notification area's icon in the same tint. At night it is opaque, on the frame's
  // fill: whatever the notification area draws behind a picture with holes would show
  // through them.
  ui::Image trayPicture = ColorizeImage(m.BtnSchedule_Ref->picture(), tint, colorFactor());
  if (nightVision()) {
    const ui::Color fill = palette().frameFill;
    for (ui::Color& pixel : trayPicture.pixels) {
      if ((pixel & ui::Image::kTransparent) == ui::Image::kTransparent) pixel = fill;
    }
  }
  m.TrayIcon.setIcon(std::move(trayPicture));
}

void Appearance::applyToMessageBoxes(const Palette& p) {
  ui::Backend::DialogColors colors;
  colors.background = p.frameFill;
  colors.outline = p.framePen;
  colors.text = ui::MostLegible(p.frameFill, {p.labelText, p.text, p.pageText, p.sheetFrameFill});
  colors.buttonFill = p.accent;
  colors.buttonText =
      ui::MostLegible(p.accent, {p.labelText, p.text, p.sheetFrameFill, p.frameFill});
  backend_.setDialogColors(colors);
}

void Appearance::VisionModeClick() {
  main_.NightVision->setTag(nightVision() ? 0 : 1);
  SetVisionMode();
  RememberScheme();
}

void Appearance::DimDisplayChange() {
  // The focus stays where it was (on the list, so that the arrow keys go on stepping),
  // in the main window and in manual control alike.
  ui::FocusKeeper keepMain(main_);
  std::optional<ui::FocusKeeper> keepSchedule;
  if (TSchedule* schedule = main_.windows().schedule) keepSchedule.emplace(*schedule);
  RememberScheme();
  if (TCache* cache = main_.windows().cache) {
    cache->SendCommand(":SB" + std::to_string(main_.DimDisplay->itemIndex()) + "#", true);
  }
  if (nightVision()) SetVisionMode();
}

void Appearance::StepBrightness(int step) {
  const int count = static_cast<int>(main_.DimDisplay->items().size());
  const int index = std::clamp(main_.DimDisplay->itemIndex() + step, 0, count - 1);
  if (index == main_.DimDisplay->itemIndex()) return;
  main_.DimDisplay->setItemIndex(index);
  DimDisplayChange();
}

void Appearance::ApplyRememberedScheme(SettingsStore& settings, bool forceNight) {
  settings_ = &settings;
  nightFloor_ = NightFloorPercentOf(settings.read(kNightFloorSetting)) / 100.0;
  if (const std::optional<std::string> brightness = settings.read(kBrightnessSetting)) {
    const double wanted = StrToFloatDef(*brightness, -1) / 100;
    const auto& entries = main_.DimDisplay->items();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (std::abs(BrightnessFactorOf(entries[i]) - wanted) < 0.0005) {
        main_.DimDisplay->setItemIndex(static_cast<int>(i));
        brightnessRemembered_ = true;
      }
    }
  }
  const bool night = forceNight || settings.read(kNightVisionSetting).value_or("off") == "on";
  main_.NightVision->setTag(night ? 1 : 0);
  // The day scheme at full brightness is what the windows are built in: nothing to apply
  // before the profile's own colours are (the start-up applies them after reading it).
  if (night || brightnessRemembered_) {
    SetVisionMode();
  } else {
    applyToMessageBoxes(palette());
  }
}

void Appearance::RememberScheme() const {
  if (settings_ == nullptr) return;
  settings_->write(kNightVisionSetting, nightVision() ? "on" : "off");
  std::string entry = main_.DimDisplay->text();
  std::erase(entry, ' ');
  std::erase(entry, '%');
  if (!entry.empty()) settings_->write(kBrightnessSetting, entry);
}

void Appearance::Blink(ui::Widget& label) {
  if (!label.visible()) return;
  FinishBlink();
  blinker_.setTag(0);
  blinkTarget_ = &label;
  // A flat button pressed from the keyboard loses the focus while it is hidden; it gets it
  // back when the blink ends, so that the next press finds it.
  // Also when its handler took the focus away before the blink (clearing carets) while a
  // key was pressing it.
  ui::Form* form = label.form();
  refocusAfterBlink_ = label.focused() || (form != nullptr && form->keyReleasingButton() == &label);
  blinker_.setEnabled(true);
}

void Appearance::FinishBlink() {
  while (blinker_.enabled()) BlinkerTick();
  blinkTarget_ = nullptr;
}

void Appearance::BlinkerTick() {
  blinker_.setTag(blinker_.tag() + 1);
  if (blinkTarget_ != nullptr) blinkTarget_->setVisible((blinker_.tag() - 1) % 2 == 1);
  if (blinker_.tag() >= kBlinkSteps) {
    blinker_.setEnabled(false);
    ui::Form* form = blinkTarget_ != nullptr ? blinkTarget_->form() : nullptr;
    if (refocusAfterBlink_ && form != nullptr && form->activeControl() == nullptr &&
        blinkTarget_->canFocus()) {
      blinkTarget_->setFocus();
    }
    refocusAfterBlink_ = false;
  }
}

void Appearance::Defocus() {
  main_.setActiveControl(nullptr);
}

void Appearance::SaveSystemColors() {
  savedSystemColors_ = backend_.systemColors();
}

void Appearance::ResetPalette() {
  backend_.restoreDisplayMode();
  backend_.setSystemColors(savedSystemColors_);
}

void Appearance::ResetPaletteIfNecessary() {
  bool scheduleVisible = main_.windows().schedule != nullptr && main_.windows().schedule->visible();
  if (main_.visible() || scheduleVisible) return;
  if (nightVision()) {
    backend_.restoreDisplayMode();
    return;
  }
  ResetPalette();
}

}  // namespace orvane
