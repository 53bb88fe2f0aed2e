// EditMask: the classic edit-mask language of masked fields, as pure functions.
//
// A mask definition is "mask;save-literals;blank-character", the last two optional
// (defaults: save-literals 1, blank "_"). Mask characters:
//   0 digit required          9 digit optional          # digit or sign (+ -) optional
//   L letter required         l letter optional
//   A letter or digit req.    a letter or digit optional
//   C any character req.      c any character optional
//   \ the next character is a literal
//   > following letters upper case, < lower case, <> no conversion
//   ! optional positions are filled from the right (blanks first)
//   anything else is a literal shown in place.
//
// A field has two texts: the display text (what the user sees: literals in place, the blank
// character where nothing was typed) and the value text (Text): the editable positions only,
// or the whole display when save-literals is 1, with a blank (' ') wherever nothing was typed.
//
// Thread: any (no state beyond the parsed mask).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::ui {

class EditMask {
 public:
  enum class SlotKind { Literal, Digit, DigitOrSign, Letter, LetterOrDigit, Any };
  enum class Case { Keep, Upper, Lower };

  struct Slot {
    SlotKind kind = SlotKind::Literal;
    bool required = false;
    Case caseConversion = Case::Keep;
    char literal = 0;  // for literals
  };

  // Parses a mask definition. An empty definition gives an inactive mask.
  static EditMask parse(std::string_view definition);

  bool active() const { return !slots_.empty(); }
  const std::string& definition() const { return definition_; }
  const std::vector<Slot>& slots() const { return slots_; }
  bool saveLiterals() const { return saveLiterals_; }
  char blank() const { return blank_; }
  bool fillFromRight() const { return fillFromRight_; }

  // Display text of an empty field.
  std::string emptyDisplay() const;
  // Display text for a value text (as Text holds it, with or without literals according to
  // save-literals). Characters that do not fit a position are skipped; the '!' flag aligns
  // a short value to the right.
  std::string displayFromText(std::string_view text) const;
  // Value text (Text) from a display text.
  std::string textFromDisplay(std::string_view display) const;

  // Whether ch may stand at editable position index; returns the character as stored
  // (after case conversion), or nothing when it is refused.
  std::optional<char> accept(size_t index, char ch) const;
  bool isEditable(size_t index) const;
  // First editable position at or after index (display length when none).
  size_t nextEditable(size_t index) const;
  // Last editable position before index, or nothing.
  std::optional<size_t> previousEditable(size_t index) const;

  struct Edit {
    std::string display;
    size_t caret = 0;
  };
  // Typing ch at caret: writes it into the next editable position that accepts it
  // (skipping literals) and moves the caret behind it; nothing when refused.
  std::optional<Edit> type(std::string_view display, size_t caret, char ch) const;
  // Backspace: blanks the editable position before the caret.
  Edit backspace(std::string_view display, size_t caret) const;
  // Delete: blanks the editable position at the caret.
  Edit erase(std::string_view display, size_t caret) const;

  // True when every required position holds a character.
  bool complete(std::string_view display) const;

 private:
  std::string definition_;
  std::vector<Slot> slots_;
  bool saveLiterals_ = true;
  char blank_ = '_';
  bool fillFromRight_ = false;
};

}  // namespace orvane::ui
