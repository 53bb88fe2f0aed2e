// Putting values into controls and reading them back by setting number.
#include "sheets/Sheets.h"
#include "text/NumberText.h"

namespace orvane {

int OptionIndexFor(const ui::ComboBox& list, long long number, const std::string& text) {
  long long parsed = 0;
  const long long t = TryParseInteger(text, parsed) ? parsed : -1;
  if (10 * number < t && t < 10 * number + 10) return static_cast<int>(t - 10 * number - 1);
  if (t < 0) return list.indexOfIgnoringCase(text);
  return t - 1 > 1000000 ? -1 : static_cast<int>(t - 1);
}

void Sheets::SetControlValue(ui::Widget* excluded, long long number, bool quiet,
                             const std::string& text, bool exact) {
  const long long listTag = exact ? number + 1000 : number / 10 + 1000;
  // Indexes rather than iterators: a fired event may change what the sheets hold.
  for (size_t s = 0; s < sheets_.size(); ++s) {
    for (size_t i = 0; i < sheets_[s]->lists.size(); ++i) {
      ui::ComboBox& list = *sheets_[s]->lists[i];
      if (list.tag() != listTag || &list == excluded) continue;
      list.setItemIndex(OptionIndexFor(list, number, text));
      // No option chosen: an editable list shows no name either, rather than one it no
      // longer stands for (an object database would offer to replace that entry).
      if (list.itemIndex() < 0 && list.editable()) list.setText("");
      if (!quiet) Callback(list);
      if (s >= sheets_.size()) return;
    }
  }
  for (size_t s = 0; s < sheets_.size(); ++s) {
    for (size_t i = 0; i < sheets_[s]->fields.size(); ++i) {
      ui::MaskEdit& field = *sheets_[s]->fields[i];
      if (field.tag() != number || &field == excluded) continue;
      field.setText(text);
      if (!quiet) Callback(field);
      if (s >= sheets_.size()) return;
    }
  }
}

std::string Sheets::GetControlValue(long long number) const {
  std::string value;
  bool found = false;
  for (const auto& sheet : sheets_) {
    if (found) break;
    for (const auto& list : sheet->lists) {
      if (list->tag() == number / 10 + 1000) {
        value = list->text();
        found = true;
      }
    }
    for (const auto& field : sheet->fields) {
      if (field->tag() == number) {
        value = field->text();
        found = true;
      }
    }
  }
  return value;
}

void Sheets::MaskEditChange(ui::MaskEdit& field) {
  const std::string& text = field.text();
  if (text.empty() || (text[0] != '+' && text[0] != '-')) {
    field.setText(field.hint());
    return;
  }
  field.setHint(text);
  Callback(field);
}

void Sheets::AutoComplete(ui::ComboBox& list) {
  const std::string typed = list.text();
  const size_t n = typed.size();
  int match = -1;
  int matches = 0;
  for (size_t i = 0; i < list.items().size(); ++i) {
    if (list.items()[i].compare(0, n, typed) == 0 && list.items()[i].size() >= n) {
      ++matches;
      match = static_cast<int>(i);
    }
  }
  if (matches != 1 || match == list.itemIndex()) return;
  list.setItemIndex(match);
  list.setSelection(n, list.text().size() - n);
  Callback(list);
}

}  // namespace orvane
