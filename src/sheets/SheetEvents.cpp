// Control events: the one handler of every profile-built control, native writes for the
// queue, and removing everything a profile built.
#include <algorithm>

#include "link/Cache.h"
#include "sheets/Sheets.h"
#include "text/Checksum.h"
#include "text/NumberText.h"

namespace orvane {

std::string NativeWritePrefix(const std::string& number) {
  return ">" + std::string(number.size() < 3 ? "0" : "") + number + ":";
}

void Sheets::Callback(ui::Widget& sender) {
  if (sender.kind() == ui::WidgetKind::ComboBox) {
    auto& list = static_cast<ui::ComboBox&>(sender);
    if (list.niteCombo() && list.editable() && !sendingAll) {
      // While a profile is read only a selector left without an entry is told (so that it
      // offers "Add"); choosing an entry would send its values.
      const bool noEntry = list.itemIndex() < 0;
      if ((!document_.ProfileLoading || noEntry) && selectDatabaseEntry) selectDatabaseEntry(list);
      return;
    }
  }
  if (sender.tag() < 0) {
    showSheet(sender);
    return;
  }
  handleValueControl(sender, false);
}

void Sheets::showSheet(ui::Widget& sender) {
  SheetRecord* leaving = nullptr;
  for (const auto& sheet : sheets_) {
    if (sheet->number == -sender.tag()) {
      sheet->contentPanel->show();
      sheet->menuLabel->setFontStyle(false, true);
    } else if (sheet->contentPanel->visible()) {
      leaving = sheet.get();
      sheet->menuLabel->setFontStyle(false, false);
    }
  }
  if (leaving != nullptr) leaving->contentPanel->hide();
  window_.profileMenu.setFontStyle(false, &sender == &window_.profileMenu);
  if (profileFilesChanged) profileFilesChanged();
  // No key goes on to a control the page just shown lies over (the profile page's fields
  // and lists under a sheet) or on a page that has gone.
  const ui::Widget* focused = window_.window.activeControl();
  if (focused == &window_.profileFiles ||
      (focused != nullptr && (!focused->showing() || focused->covered()))) {
    scheme_.Defocus();
  }
}

void Sheets::handleValueControl(ui::Widget& sender, bool force) {
  if (document_.ProfileLoading) return;
  if (receivingAll) {
    // The user's edit while every setting is read: kept, and sent once the read is over (a
    // read would otherwise put the controller's old value over it).
    if (!IsDeferred(sender)) {
      deferredEdits_.push_back(&sender);
      known_.MarkPending(sender, "Sent once all settings have been received");
    }
    return;
  }
  bool bindingRan = false;
  const unsigned long removals = removals_;
  for (size_t i = 0; i < bindings_.size(); ++i) {
    if (bindings_[i]->control != &sender) continue;
    bindingRan = true;
    if (executeBinding) executeBinding(*bindings_[i]);
    if (removals_ != removals) return;  // the sender is gone with its profile
  }
  const long long tag = sender.tag();
  for (size_t i = 0; i < events_.size(); ++i) {
    ControlEvent& event = *events_[i];
    long long number = 0;
    long long group = 0;
    bool numberMatches = TryParseInteger(event.number, number) && number == tag;
    bool optionMatches =
        TryParseInteger(event.group, group) && group + 1000 == tag && event.text == sender.text();
    if (!numberMatches && !optionMatches) continue;
    if (!bindingRan && !FireEvent(sender, event, force)) return;
    long long mirrored = numberMatches ? tag % 1000 : number % 1000;
    SetControlValue(&sender, mirrored, true, sender.text(), false);
    if (sender.kind() == ui::WidgetKind::ComboBox && window_.window.activeControl() == &sender) {
      scheme_.Defocus();
    }
  }
}

bool Sheets::FireEvent(ui::Widget& control, ControlEvent& event, bool force) {
  const std::string prefix = NativeWritePrefix(event.number);
  // The number as the queue holds it (with the added "0"), so withdrawing matches.
  const std::string queuedNumber = prefix.substr(1, prefix.size() - 2);
  std::string command = prefix;
  if (control.kind() == ui::WidgetKind::MaskEdit) {
    auto& field = static_cast<ui::MaskEdit&>(control);
    const std::string text = SentText(field, field.text());
    if (!field.hasActiveMask() && text.empty()) {
      if (cache_ != nullptr) cache_->ClearEvents(queuedNumber);
      pendingWrites_.erase(queuedNumber);
      known_.MarkUnknown(control, "Not sent: the field is empty");
      return false;
    }
    double value = StrToFloatDef(text, event.low - 1);
    if (event.lastValue == value && !force) return false;
    if (event.low != event.high && (value < event.low || value > event.high)) {
      // A write of this setting still queued stays queued: it holds the value the field
      // shows again once the box has closed (the last value accepted), which the controller
      // is then sure to receive. Withdrawing it would leave the field and the remembered
      // last value showing a value that never went out.
      if (rangeErrors_ != nullptr) rangeErrors_->RangeError(&control, event.high, event.low, value);
      return false;
    }
    command += text;
    event.lastValue = value;
  }
  command += CalculateChecksum(command);
  command += '#';
  if (cache_ != nullptr) cache_->AddToCache(command);
  // The control and every other one showing this setting show the value on its way.
  long long number = 0;
  std::vector<ui::Widget*> showing;
  if (TryParseInteger(event.number, number)) showing = ControlsShowing(number, false);
  if (std::find(showing.begin(), showing.end(), &control) == showing.end()) {
    showing.push_back(&control);
  }
  for (ui::Widget* shown : showing) known_.MarkPending(*shown, "Waiting to be sent");
  pendingWrites_[queuedNumber] = std::move(showing);
  return true;
}

void Sheets::RemoveAllComponents() {
  ++removals_;
  known_.Clear();
  pendingWrites_.clear();
  deferredEdits_.clear();
  // The label blinking now may be one of those about to go.
  scheme_.FinishBlink();
  LocalTimeBinding = nullptr;
  DateBinding = nullptr;
  if (removeDatabases) removeDatabases();
  if (removeFileTransferPanels) removeFileTransferPanels();
  bindings_.clear();
  for (auto& sheet : sheets_) {
    sheet->labels.clear();
    sheet->lists.clear();
    sheet->fields.clear();
    sheet->buttons.clear();
    sheet->menuLabel.reset();
    sheet->menuShape.reset();
    sheet->menuPanel.reset();
    sheet->contentPanel.reset();
  }
  sheets_.clear();
  events_.clear();
  if (rangeErrors_ != nullptr) rangeErrors_->ForgetLastReport();
  LongitudeBinding = nullptr;
  UtcOffsetBinding = nullptr;
  SlewSpeedControl = nullptr;
  SlewSpeedEvent = nullptr;
}

}  // namespace orvane
