#include "ui/EditMask.h"

#include <algorithm>

#include "ui/Latin1.h"

namespace orvane::ui {

namespace {

constexpr char kFieldSeparator = ';';
constexpr char kEscape = '\\';
constexpr char kDefaultBlank = '_';

// Text is Latin-1: letters are A-Z, a-z and the accented letters from 0xC0 on, except the
// multiplication and division signs.
bool isLetter(char ch) {
  auto c = static_cast<unsigned char>(ch);
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Control characters (C0, DEL and C1) never stand in a field.
bool isPrintable(char ch) {
  auto c = static_cast<unsigned char>(ch);
  return c >= 0x20 && c != 0x7F && (c < 0x80 || c >= 0xA0);
}

char toUpper(char ch) {
  auto c = static_cast<unsigned char>(ch);
  // 0xDF (sharp s) and 0xFF (y diaeresis) have no upper-case form in Latin-1.
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
    return static_cast<char>(c - 0x20);
  }
  return ch;
}

std::optional<EditMask::Slot> editableSlot(char ch, EditMask::Case caseConversion) {
  using Kind = EditMask::SlotKind;
  EditMask::Slot slot;
  slot.caseConversion = caseConversion;
  switch (ch) {
    case '0': slot.kind = Kind::Digit; slot.required = true; break;
    case '9': slot.kind = Kind::Digit; break;
    case '#': slot.kind = Kind::DigitOrSign; break;
    case 'L': slot.kind = Kind::Letter; slot.required = true; break;
    case 'l': slot.kind = Kind::Letter; break;
    case 'A': slot.kind = Kind::LetterOrDigit; slot.required = true; break;
    case 'a': slot.kind = Kind::LetterOrDigit; break;
    case 'C': slot.kind = Kind::Any; slot.required = true; break;
    case 'c': slot.kind = Kind::Any; break;
    default: return std::nullopt;
  }
  return slot;
}

}  // namespace

EditMask EditMask::parse(std::string_view definition) {
  EditMask mask;
  mask.definition_ = std::string(definition);

  Case caseConversion = Case::Keep;
  size_t i = 0;
  for (; i < definition.size(); ++i) {
    char ch = definition[i];
    if (ch == kFieldSeparator) break;
    if (ch == kEscape) {
      // A trailing escape has nothing to quote and is dropped.
      if (++i >= definition.size()) break;
      mask.slots_.push_back(Slot{SlotKind::Literal, false, Case::Keep, definition[i]});
    } else if (ch == '!') {
      mask.fillFromRight_ = true;
    } else if (ch == '>') {
      caseConversion = Case::Upper;
    } else if (ch == '<') {
      bool keep = i + 1 < definition.size() && definition[i + 1] == '>';
      caseConversion = keep ? Case::Keep : Case::Lower;
      if (keep) ++i;
    } else if (auto slot = editableSlot(ch, caseConversion)) {
      mask.slots_.push_back(*slot);
    } else {
      mask.slots_.push_back(Slot{SlotKind::Literal, false, Case::Keep, ch});
    }
  }

  // The fields after the mask: save-literals ("0" turns it off) and the blank character.
  std::string_view rest = i < definition.size() ? definition.substr(i + 1) : "";
  size_t separator = rest.find(kFieldSeparator);
  std::string_view save = rest.substr(0, separator);
  std::string_view blank =
      separator == std::string_view::npos ? std::string_view{} : rest.substr(separator + 1);
  if (!save.empty()) mask.saveLiterals_ = save.front() != '0';
  if (!blank.empty()) mask.blank_ = blank.front();
  if (mask.blank_ == '\0') mask.blank_ = kDefaultBlank;
  return mask;
}

std::string EditMask::emptyDisplay() const {
  std::string display(slots_.size(), blank_);
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].kind == SlotKind::Literal) display[i] = slots_[i].literal;
  }
  return display;
}

std::string EditMask::displayFromText(std::string_view text) const {
  std::string display = emptyDisplay();
  size_t slotCount = slots_.size();
  if (slotCount == 0) return display;
  size_t expected = saveLiterals_ ? slotCount
                                  : static_cast<size_t>(std::count_if(
                                        slots_.begin(), slots_.end(), [](const Slot& slot) {
                                          return slot.kind != SlotKind::Literal;
                                        }));
  // A short value under '!' is placed from its last character backwards, so that the
  // blanks come first; otherwise from the front, and whatever does not fit is cut.
  bool fromRight = fillFromRight_ && text.size() < expected;
  size_t slotIndex = 0;
  size_t textIndex = 0;
  while (slotIndex < slotCount && textIndex < text.size()) {
    size_t s = fromRight ? slotCount - 1 - slotIndex : slotIndex;
    char ch = text[fromRight ? text.size() - 1 - textIndex : textIndex];
    const Slot& slot = slots_[s];
    if (slot.kind == SlotKind::Literal) {
      // A text with literals carries them in place; a literal missing from it is skipped.
      if (saveLiterals_ && ch == slot.literal) ++textIndex;
      ++slotIndex;
      continue;
    }
    ++textIndex;
    if (ch == ' ' || ch == blank_) {
      ++slotIndex;  // an unfilled position stays blank
    } else if (auto stored = accept(s, ch)) {
      display[s] = *stored;
      ++slotIndex;
    }
    // A character the position refuses is dropped; the position takes the next one.
  }
  return display;
}

std::string EditMask::textFromDisplay(std::string_view display) const {
  std::string text;
  text.reserve(slots_.size());
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].kind == SlotKind::Literal) {
      if (saveLiterals_) text.push_back(slots_[i].literal);
      continue;
    }
    std::optional<char> stored;
    if (i < display.size() && display[i] != blank_) stored = accept(i, display[i]);
    text.push_back(stored && *stored != blank_ ? *stored : ' ');
  }
  return text;
}

std::optional<char> EditMask::accept(size_t index, char ch) const {
  if (!isEditable(index) || !isPrintable(ch) || ch == ' ') return std::nullopt;
  const Slot& slot = slots_[index];
  bool accepted = false;
  switch (slot.kind) {
    case SlotKind::Digit: accepted = isDigit(ch); break;
    case SlotKind::DigitOrSign: accepted = isDigit(ch) || ch == '+' || ch == '-'; break;
    case SlotKind::Letter: accepted = isLetter(ch); break;
    case SlotKind::LetterOrDigit: accepted = isLetter(ch) || isDigit(ch); break;
    case SlotKind::Any: accepted = true; break;
    case SlotKind::Literal: break;
  }
  if (!accepted) return std::nullopt;
  if (slot.caseConversion == Case::Upper) return toUpper(ch);
  if (slot.caseConversion == Case::Lower) return static_cast<char>(Latin1Lower(ch));
  return ch;
}

bool EditMask::isEditable(size_t index) const {
  return index < slots_.size() && slots_[index].kind != SlotKind::Literal;
}

size_t EditMask::nextEditable(size_t index) const {
  while (index < slots_.size() && !isEditable(index)) ++index;
  return std::min(index, slots_.size());
}

std::optional<size_t> EditMask::previousEditable(size_t index) const {
  for (size_t i = std::min(index, slots_.size()); i > 0; --i) {
    if (isEditable(i - 1)) return i - 1;
  }
  return std::nullopt;
}

std::optional<EditMask::Edit> EditMask::type(std::string_view display, size_t caret,
                                             char ch) const {
  // Rebuilding the display from its value repairs a display of the wrong length or with
  // characters the mask does not allow, so every edit starts from a sound display.
  Edit edit{displayFromText(textFromDisplay(display)), std::min(caret, slots_.size())};
  if (caret < slots_.size() && slots_[caret].kind == SlotKind::Literal &&
      ch == slots_[caret].literal) {
    edit.caret = caret + 1;
    return edit;
  }
  size_t position = nextEditable(caret);
  if (position >= slots_.size()) return std::nullopt;
  if (ch == ' ') {
    edit.display[position] = blank_;
  } else if (auto stored = accept(position, ch)) {
    edit.display[position] = *stored;
  } else {
    return std::nullopt;
  }
  edit.caret = position + 1;
  return edit;
}

EditMask::Edit EditMask::backspace(std::string_view display, size_t caret) const {
  Edit edit{displayFromText(textFromDisplay(display)), std::min(caret, slots_.size())};
  if (auto position = previousEditable(caret)) {
    edit.display[*position] = blank_;
    edit.caret = *position;
  }
  return edit;
}

EditMask::Edit EditMask::erase(std::string_view display, size_t caret) const {
  Edit edit{displayFromText(textFromDisplay(display)), std::min(caret, slots_.size())};
  size_t position = nextEditable(caret);
  if (position < slots_.size()) {
    edit.display[position] = blank_;
    edit.caret = position;
  }
  return edit;
}

bool EditMask::complete(std::string_view display) const {
  std::string text = textFromDisplay(display);
  // Walk the value text alongside the slots; without saved literals it holds editables only.
  size_t textIndex = 0;
  for (const Slot& slot : slots_) {
    if (slot.kind == SlotKind::Literal) {
      if (saveLiterals_) ++textIndex;
      continue;
    }
    if (slot.required && text[textIndex] == ' ') return false;
    ++textIndex;
  }
  return true;
}

}  // namespace orvane::ui
