// Text-entry and list controls: masked edit, option list (combo box), list box, memo and
// string grid. All editing rules live here so that both backends and tests share them; a
// backend only draws and forwards keys (typeChar, pressKey).
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/EditMask.h"
#include "ui/Widget.h"

namespace orvane::ui {

// Masked edit field (also a plain edit line when the mask is empty).
class MaskEdit : public Widget {
 public:
  MaskEdit(Backend& backend, Widget* parent, std::string name = {});

  const std::string& editMask() const { return mask_.definition(); }
  const EditMask& mask() const { return mask_; }
  void setEditMask(std::string definition);
  bool hasActiveMask() const { return mask_.active(); }

  // Text: the value text (see EditMask). Setting it formats it into the mask.
  void setText(std::string text) override;
  // What the field shows.
  const std::string& displayText() const { return display_; }
  void clear() { setText({}); }

  int maxLength() const { return maxLength_; }
  void setMaxLength(int length) { maxLength_ = length; }
  bool autoSelect() const { return autoSelect_; }
  void setAutoSelect(bool autoSelect) { autoSelect_ = autoSelect; }
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool readOnly);

  size_t selStart() const { return caret_; }
  size_t selLength() const { return selLength_; }
  void setSelection(size_t start, size_t length);

  // User input: a printable character typed at the caret (after the form's key preview).
  void typeChar(char ch);
  // Editing keys: backspace, delete, left, right, home, end.
  void pressKey(int key);
  // The toolkit edited the text freely (unmasked fields only).
  void userSetText(std::string text, size_t caret);
  // User input: the whole text replaced by what the user typed (a value text, formatted
  // into the mask as setText does).
  void userReplaceText(const std::string& text);

  // Whether the user changed the text since the program last set it (or since the edit
  // was taken, setModified(false)).
  bool modified() const { return modified_; }
  void setModified(bool modified) { modified_ = modified; }
  // Puts back the text the field held before the user began to change it.
  void revertEdit();

 private:
  void setDisplay(std::string display, size_t caret, bool byUser);
  EditMask mask_;
  std::string display_;
  size_t caret_ = 0;
  size_t selLength_ = 0;
  int maxLength_ = 0;
  bool autoSelect_ = true;
  bool readOnly_ = false;
  bool modified_ = false;
  std::string unedited_;
};

enum class ComboStyle { DropDownList, DropDown };

// Option list. The program's TNiteCombo is this class; its drop-down list pages on a click
// in the scroll bar track, which the Qt backend provides.
class ComboBox : public Widget {
 public:
  ComboBox(Backend& backend, Widget* parent, std::string name = {});

  ComboStyle style() const { return style_; }
  void setStyle(ComboStyle style);
  // An editable combo box has an edit line (style DropDown).
  bool editable() const { return style_ == ComboStyle::DropDown; }
  bool sorted() const { return sorted_; }
  void setSorted(bool sorted);
  // The program's own option list (TNiteCombo) rather than a plain combo box.
  bool niteCombo() const { return niteCombo_; }
  void setNiteCombo(bool nite) { niteCombo_ = nite; }

  const std::vector<std::string>& items() const { return items_; }
  // Adds an item (in sorted place when sorted); returns its index.
  int addItem(std::string item);
  void clearItems();
  void setItems(std::vector<std::string> items);
  int indexOf(std::string_view item) const;
  // Case-insensitive search, as list look-ups of the program do.
  int indexOfIgnoringCase(std::string_view item) const;

  int itemIndex() const { return itemIndex_; }
  // Selects an item (-1: none) and shows its text; fires no change event.
  void setItemIndex(int index);
  // Setting the text selects the matching item, or none (drop-down lists show no text then).
  void setText(std::string text) override;

  size_t selStart() const { return selStart_; }
  size_t selLength() const { return selLength_; }
  void setSelection(size_t start, size_t length);

  // User input: picks an item from the drop-down list (fires change).
  void userSelect(int index);
  // User input: edit line changed (editable lists; fires change).
  void userEdit(std::string text, size_t caret);

 private:
  ComboStyle style_ = ComboStyle::DropDownList;
  bool sorted_ = false;
  bool niteCombo_ = false;
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  size_t selStart_ = 0;
  size_t selLength_ = 0;
};

class ListBox : public Widget {
 public:
  ListBox(Backend& backend, Widget* parent, std::string name = {});
  const std::vector<std::string>& items() const { return items_; }
  void addItem(std::string item);
  void clearItems();
  void removeItem(int index);
  void setItems(std::vector<std::string> items);
  int itemIndex() const { return itemIndex_; }
  void setItemIndex(int index);
  void userSelect(int index);
  // Oldest lines are dropped beyond this count (0: no limit).
  void setLineLimit(size_t limit) { lineLimit_ = limit; }

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  size_t lineLimit_ = 0;
};

// A place in a memo's text: a line and a column within it (0 before its first character).
struct TextPosition {
  int line = 0;
  int column = 0;
  bool operator==(const TextPosition&) const = default;
};

// Multi-line text area. Its selection runs from the anchor to the caret; there is none
// when the two are equal.
class Memo : public Widget {
 public:
  Memo(Backend& backend, Widget* parent, std::string name = {});
  const std::vector<std::string>& lines() const { return lines_; }
  // Replaces the lines; the caret and the anchor keep their places as far as the new text
  // reaches.
  void setLines(std::vector<std::string> lines);
  void addLine(std::string line);
  void clearLines();
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool readOnly);
  bool wordWrap() const { return wordWrap_; }
  void setWordWrap(bool wrap);
  bool verticalScrollBar() const { return verticalScrollBar_; }
  void setVerticalScrollBar(bool on);
  bool horizontalScrollBar() const { return horizontalScrollBar_; }
  void setHorizontalScrollBar(bool on);
  // Caret and selection; selecting a whole line is how list memos mark a line.
  TextPosition caret() const { return caret_; }
  TextPosition anchor() const { return anchor_; }
  int caretLine() const { return caret_.line; }
  int caretColumn() const { return caret_.column; }
  // Moves the caret (to the start of line), leaving nothing selected.
  void setCaretLine(int line) { setCaret({line, 0}); }
  void setCaret(TextPosition caret) { setSelection(caret, caret); }
  void setSelection(TextPosition anchor, TextPosition caret);
  bool hasSelection() const { return anchor_ != caret_; }
  // Selects line from its start to its end (the caret at the end).
  void selectLine(int line);
  void selectAll();
  // The selected text, lines joined by CR LF.
  std::string selectedText() const;
  // Oldest lines are dropped beyond this count (0: no limit).
  void setLineLimit(size_t limit) { lineLimit_ = limit; }
  // User input: the toolkit changed the text.
  void userSetLines(std::vector<std::string> lines, int caretLine);
  // User input: the toolkit moved the caret or changed the selection (no change event).
  void userSetSelection(TextPosition anchor, TextPosition caret);

 private:
  // The position moved inside the text.
  TextPosition clamped(TextPosition at) const;
  std::vector<std::string> lines_;
  bool readOnly_ = false;
  bool wordWrap_ = true;
  bool verticalScrollBar_ = false;
  bool horizontalScrollBar_ = false;
  TextPosition caret_;
  TextPosition anchor_;
  size_t lineLimit_ = 0;
};

// Grid of texts with fixed header rows; cells are addressed (column, row).
class StringGrid : public Widget {
 public:
  StringGrid(Backend& backend, Widget* parent, std::string name = {});
  int colCount() const { return colCount_; }
  int rowCount() const { return rowCount_; }
  void setColCount(int count);
  void setRowCount(int count);
  int fixedRows() const { return fixedRows_; }
  void setFixedRows(int rows);
  int defaultRowHeight() const { return defaultRowHeight_; }
  void setDefaultRowHeight(int height);
  int colWidth(int col) const;
  void setColWidth(int col, int width);
  const std::string& cell(int col, int row) const;
  void setCell(int col, int row, std::string text);
  // Removes one data row, moving the rows below it up.
  void deleteRow(int row);
  Color fixedColor() const { return fixedColor_; }
  void setFixedColor(Color color);
  // The selected row is drawn in these colours: background and text.
  Color selectionColor() const { return selectionColor_; }
  Color selectionFontColor() const { return selectionFontColor_; }
  void setSelectionColors(Color background, Color text);
  // Selected row (the grid selects whole rows); -1 when none. Selecting a row scrolls it
  // into view.
  int row() const { return row_; }
  void setRow(int row);
  // The first data row in view, and how many data rows the grid's height shows.
  int topRow() const;
  int visibleRowCount() const;
  // User input: a cell was clicked. Handlers may refuse the selection.
  std::function<void(StringGrid&, int col, int row, bool& canSelect)> onSelectCell;
  void userSelectCell(int col, int row);
  // User input: the grid was scrolled to show row first.
  void userScrolled(int row);

 private:
  int colCount_ = 5;
  int rowCount_ = 5;
  int fixedRows_ = 1;
  int defaultRowHeight_ = 24;
  std::vector<int> colWidths_;
  std::vector<std::vector<std::string>> cells_;  // [row][col]
  Color fixedColor_ = 0xF0F0F0;
  Color selectionColor_ = 0x800000;
  Color selectionFontColor_ = kWhite;
  int row_ = 1;
  int topRow_ = 1;
  // Brings a data row into view.
  void scrollTo(int row);
};

}  // namespace orvane::ui
