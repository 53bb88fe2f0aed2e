#include "sheets/KnownSettings.h"

namespace orvane {

namespace {

// The mark: a small glyph left of the control, clear of the row's label text.
constexpr int kMarkWidth = 10;
constexpr int kMarkGap = 1;
constexpr int kMarkHeight = 18;
constexpr int kMarkPointSize = 9;
constexpr const char* kUnknownGlyph = "?";
constexpr const char* kPendingGlyph = "\xbb";  // a value on its way

}  // namespace

KnownSettings::KnownSettings(ui::Backend& backend, ui::ColorScheme& scheme)
    : backend_(backend), scheme_(scheme) {}

KnownSettings::~KnownSettings() {
  Clear();
}

void KnownSettings::Add(ui::Widget& control) {
  Entry& entry = entries_[&control];
  show(control, entry);
}

void KnownSettings::Confirm(ui::Widget& control, const std::string& value) {
  auto it = entries_.find(&control);
  if (it == entries_.end()) return;
  it->second.state = SettingState::Confirmed;
  it->second.reason.clear();
  it->second.controllerValue = value;
  show(control, it->second);
}

void KnownSettings::MarkPending(ui::Widget& control, const std::string& why) {
  auto it = entries_.find(&control);
  if (it == entries_.end()) return;
  it->second.state = SettingState::Pending;
  it->second.reason = why;
  show(control, it->second);
}

void KnownSettings::MarkUnknown(ui::Widget& control, const std::string& why) {
  auto it = entries_.find(&control);
  if (it == entries_.end()) return;
  it->second.state = SettingState::Unknown;
  it->second.reason = why;
  show(control, it->second);
}

void KnownSettings::NoteHeld(const ui::Widget& control, const std::string& value) {
  auto it = entries_.find(&control);
  if (it != entries_.end()) it->second.controllerValue = value;
}

void KnownSettings::Compare(ui::Widget& control, const std::string& value) {
  auto it = entries_.find(&control);
  if (it == entries_.end()) return;
  if (control.text() == value) {
    Confirm(control, value);
    return;
  }
  it->second.state = SettingState::Unknown;
  it->second.reason = "The controller holds " + (value.empty() ? "no such value" : value);
  it->second.controllerValue = value;
  show(control, it->second);
}

void KnownSettings::ForgetAll(const std::string& why) {
  for (auto& [control, entry] : entries_) {
    entry.state = SettingState::Unknown;
    entry.reason = why;
    entry.controllerValue.reset();
    show(*const_cast<ui::Widget*>(control), entry);
  }
}

SettingState KnownSettings::StateOf(const ui::Widget& control) const {
  auto it = entries_.find(&control);
  return it == entries_.end() ? SettingState::Unknown : it->second.state;
}

std::string KnownSettings::ReasonOf(const ui::Widget& control) const {
  auto it = entries_.find(&control);
  return it == entries_.end() ? std::string(kNeverRead) : it->second.reason;
}

std::optional<std::string> KnownSettings::ControllerValue(const ui::Widget& control) const {
  auto it = entries_.find(&control);
  return it == entries_.end() ? std::nullopt : it->second.controllerValue;
}

const ui::Label* KnownSettings::MarkOf(const ui::Widget& control) const {
  auto it = entries_.find(&control);
  return it == entries_.end() ? nullptr : it->second.mark.get();
}

void KnownSettings::Clear() {
  // The marks lie on the sheets' panels: they go first.
  for (auto& [control, entry] : entries_) entry.mark.reset();
  entries_.clear();
}

void KnownSettings::show(ui::Widget& control, Entry& entry) {
  const bool marked = entry.state != SettingState::Confirmed;
  if (!marked) {
    if (entry.mark) entry.mark->hide();
    return;
  }
  if (!entry.mark && control.parent() != nullptr) {
    auto mark = std::make_unique<ui::Label>(backend_, control.parent(), "");
    mark->setAutoSize(false);
    mark->setTransparent(true);
    mark->setAlignment(ui::HorizontalAlign::Center);
    mark->setVerticalCenter(true);
    ui::Font font = control.parent()->font();
    font.pointSize = kMarkPointSize;
    font.bold = true;
    mark->setFont(font);
    // The sheets' label colour now; every later change of scheme recolours it with the
    // other labels of the sheet.
    mark->setFontColor(scheme_.palette().labelText);
    mark->setShowHint(true);
    entry.mark = std::move(mark);
  }
  if (!entry.mark) return;
  ui::Label& mark = *entry.mark;
  mark.setBounds(control.left() - kMarkWidth - kMarkGap, control.top() + 1, kMarkWidth,
                 kMarkHeight);
  mark.setText(entry.state == SettingState::Pending ? kPendingGlyph : kUnknownGlyph);
  mark.setHint(entry.reason);
  mark.show();
}

}  // namespace orvane
