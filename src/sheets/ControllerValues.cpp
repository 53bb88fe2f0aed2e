// What the controller holds of the settings the sheets show: values read from it, writes
// that went out, edits held back while every setting is read, and where a control stands.
#include <algorithm>

#include "sheets/Sheets.h"
#include "text/NumberText.h"

namespace orvane {

namespace {

std::string WithoutColon(std::string text) {
  if (!text.empty() && text.back() == ':') text.pop_back();
  return text;
}

}  // namespace

bool IsReadCommand(std::string_view command) {
  return command.size() >= 2 && command[0] == ':' && (command[1] == 'G' || command[1] == 'g');
}

std::vector<ui::Widget*> Sheets::ControlsShowing(long long number, bool exact) const {
  const long long listTag = exact ? number + 1000 : number / 10 + 1000;
  std::vector<ui::Widget*> controls;
  for (const auto& sheet : sheets_) {
    for (const auto& list : sheet->lists) {
      if (list->tag() == listTag) controls.push_back(list.get());
    }
  }
  for (const auto& sheet : sheets_) {
    for (const auto& field : sheet->fields) {
      if (field->tag() == number) controls.push_back(field.get());
    }
  }
  return controls;
}

std::string Sheets::ShownValue(const ui::Widget& control, long long number,
                               const std::string& text) const {
  if (control.kind() == ui::WidgetKind::ComboBox) {
    const auto& list = static_cast<const ui::ComboBox&>(control);
    const int index = OptionIndexFor(list, number, text);
    if (index >= 0 && index < static_cast<int>(list.items().size())) {
      return list.items()[static_cast<size_t>(index)];
    }
    return list.editable() ? text : std::string();
  }
  if (control.kind() == ui::WidgetKind::MaskEdit) {
    const auto& field = static_cast<const ui::MaskEdit&>(control);
    if (!field.hasActiveMask()) return text;
    return field.mask().textFromDisplay(field.mask().displayFromText(text));
  }
  return text;
}

std::string Sheets::SentText(const ui::MaskEdit& field, std::string text) {
  if (!field.hasActiveMask()) return text;
  const char blank = field.editMask().back();
  for (char& ch : text) {
    if (ch == blank || ch == ' ') ch = '0';
  }
  return text;
}

std::optional<double> Sheets::FieldValue(const ui::MaskEdit& field, const std::string& text,
                                        const ControlEvent& event) {
  const std::string sent = SentText(field, text);
  if (!field.hasActiveMask() && sent.empty()) return std::nullopt;
  return StrToFloatDef(sent, event.low - 1);
}

void Sheets::noteControllerValue(ui::Widget& control, const std::optional<std::string>& held) {
  // The value last sent stands for what the controller holds: a commit of the value it
  // holds sends nothing, any other value (and any value once nothing is known) goes out.
  if (control.kind() != ui::WidgetKind::MaskEdit) return;
  const auto& field = static_cast<const ui::MaskEdit&>(control);
  for (const auto& event : events_) {
    long long number = 0;
    if (!TryParseInteger(event->number, number) || number != control.tag()) continue;
    event->lastValue = held ? FieldValue(field, *held, *event) : std::nullopt;
  }
}

void Sheets::ApplyReadValue(long long number, const std::string& text) {
  const std::vector<ui::Widget*> controls = ControlsShowing(number, true);
  // An edit the user made meanwhile stays on screen: it is sent once the read is over.
  std::vector<std::pair<ui::Widget*, std::string>> kept;
  for (ui::Widget* control : controls) {
    if (std::find(deferredEdits_.begin(), deferredEdits_.end(), control) != deferredEdits_.end()) {
      kept.emplace_back(control, control->text());
    }
  }
  // Quietly: the controller holds the value, nothing goes back to it.
  SetControlValue(nullptr, number, true, text, true);
  for (auto& [control, edited] : kept) {
    known_.NoteHeld(*control, control->text());
    control->setText(edited);
  }
  for (ui::Widget* control : controls) {
    const bool edited = std::any_of(kept.begin(), kept.end(),
                                    [&](const auto& entry) { return entry.first == control; });
    if (edited) continue;
    known_.Confirm(*control, control->text());
    noteControllerValue(*control, control->text());
  }
}

bool Sheets::HasBoundRead(const ui::Widget& control) const {
  return std::any_of(bindings_.begin(), bindings_.end(), [&](const auto& binding) {
    return binding->control == &control && IsReadCommand(binding->command);
  });
}

void Sheets::CompareReadValue(long long number, const std::string& text) {
  for (ui::Widget* control : ControlsShowing(number, true)) {
    if (!known_.Knows(*control) || known_.StateOf(*control) == SettingState::Pending) continue;
    // A bound read tells what such a control's setting holds.
    if (HasBoundRead(*control)) continue;
    const std::string held = ShownValue(*control, number, text);
    known_.Compare(*control, held);
    // What the controller holds counts as the value last sent, so that sending all
    // settings sends exactly the fields that show something else.
    noteControllerValue(*control, held);
  }
}

void Sheets::ReadFailed(long long number, const std::string& why) {
  for (ui::Widget* control : ControlsShowing(number, true)) {
    if (known_.StateOf(*control) == SettingState::Pending) continue;
    known_.MarkUnknown(*control, why);
    noteControllerValue(*control, std::nullopt);
  }
}

void Sheets::ForgetControllerValues(const std::string& why) {
  known_.ForgetAll(why);
  for (const auto& event : events_) event->lastValue.reset();
}

void Sheets::SettingWritten(const std::string& command) {
  const size_t colon = command.find(':');
  if (command.size() < 2 || command[0] != '>' || colon == std::string::npos) return;
  auto it = pendingWrites_.find(command.substr(1, colon - 1));
  if (it == pendingWrites_.end()) return;
  for (ui::Widget* control : it->second) {
    if (known_.StateOf(*control) == SettingState::Pending) known_.Confirm(*control, control->text());
  }
  pendingWrites_.erase(it);
}

void Sheets::CommitDeferredEdits() {
  const unsigned long removals = removals_;
  std::vector<ui::Widget*> edits = std::move(deferredEdits_);
  deferredEdits_.clear();
  for (ui::Widget* control : edits) {
    if (removals != removals_ || receivingAll) return;
    // Sent even when it equals the value last sent: the read may have found another one.
    handleValueControl(*control, true);
  }
}

std::string Sheets::DescribeControl(const ui::Widget& control) const {
  for (const auto& sheet : sheets_) {
    if (sheet->contentPanel.get() != control.parent()) continue;
    // The row's label: on the control's row, the nearest one to its left.
    const ui::Label* rowLabel = nullptr;
    for (const auto& label : sheet->labels) {
      const bool sameRow = label->top() >= control.top() - 6 && label->top() <= control.top() + 6;
      if (!sameRow || label->left() >= control.left()) continue;
      if (rowLabel == nullptr || label->left() > rowLabel->left()) rowLabel = label.get();
    }
    const std::string row = rowLabel != nullptr ? WithoutColon(rowLabel->text()) : std::string();
    return sheet->name + ": " + (row.empty() ? std::to_string(control.tag() % 1000) : row);
  }
  return std::to_string(control.tag());
}

}  // namespace orvane
