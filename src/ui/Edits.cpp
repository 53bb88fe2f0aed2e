#include "ui/Edits.h"

#include <algorithm>

#include "ui/Latin1.h"

namespace orvane::ui {

// ---- MaskEdit ----------------------------------------------------------------------------

MaskEdit::MaskEdit(Backend& backend, Widget* parent, std::string name)
    : Widget(backend, WidgetKind::MaskEdit, parent, std::move(name)) {
  setColor(kWhite);
  attachPeer();
}

void MaskEdit::setEditMask(std::string definition) {
  std::string value = text();
  mask_ = EditMask::parse(definition);
  changed(Prop::Mask);
  // Reformat what the field held into the new mask.
  std::string display = mask_.active() ? mask_.displayFromText(value) : value;
  setDisplay(std::move(display), 0, false);
}

void MaskEdit::setText(std::string text) {
  if (mask_.active()) {
    setDisplay(mask_.displayFromText(text), 0, false);
  } else {
    // The length limit is the user's: text the program sets is kept whole.
    setDisplay(std::move(text), 0, false);
  }
}

void MaskEdit::setDisplay(std::string display, size_t caret, bool byUser) {
  std::string value = mask_.active() ? mask_.textFromDisplay(display) : display;
  bool displayChanged = display != display_;
  display_ = std::move(display);
  caret_ = std::min(caret, display_.size());
  selLength_ = 0;
  bool textChanged = value != text();
  if (!byUser) {
    modified_ = false;
  } else if (textChanged && !modified_) {
    modified_ = true;
    unedited_ = text();
  }
  if (textChanged) {
    Widget::setText(std::move(value));
  } else if (displayChanged) {
    changed(Prop::Text);
  }
  changed(Prop::Selection);
  if (textChanged) change();
}

void MaskEdit::userReplaceText(const std::string& text) {
  std::string display = mask_.active() ? mask_.displayFromText(text) : text;
  const size_t caret = display.size();
  setDisplay(std::move(display), caret, true);
}

void MaskEdit::revertEdit() {
  if (modified_) setText(unedited_);
}

void MaskEdit::setReadOnly(bool readOnly) {
  if (readOnly == readOnly_) return;
  readOnly_ = readOnly;
  changed(Prop::Style);
}

void MaskEdit::setSelection(size_t start, size_t length) {
  caret_ = std::min(start, display_.size());
  selLength_ = std::min(length, display_.size() - caret_);
  changed(Prop::Selection);
}

void MaskEdit::typeChar(char ch) {
  if (readOnly_) return;
  if (mask_.active()) {
    if (auto edit = mask_.type(display_, caret_, ch)) {
      setDisplay(std::move(edit->display), edit->caret, true);
    }
    return;
  }
  std::string display = display_;
  size_t caret = caret_;
  if (selLength_ > 0) {
    display.erase(caret, selLength_);
  }
  if (maxLength_ > 0 && display.size() >= static_cast<size_t>(maxLength_)) return;
  display.insert(display.begin() + static_cast<std::ptrdiff_t>(caret), ch);
  setDisplay(std::move(display), caret + 1, true);
}

void MaskEdit::pressKey(int key) {
  switch (key) {
    case keys::kLeft:
      if (caret_ > 0) setSelection(caret_ - 1, 0);
      return;
    case keys::kRight:
      setSelection(caret_ + 1, 0);
      return;
    case keys::kHome:
      setSelection(0, 0);
      return;
    case keys::kEnd:
      setSelection(display_.size(), 0);
      return;
    default:
      break;
  }
  if (readOnly_) return;
  if (key == keys::kBackspace) {
    if (mask_.active()) {
      auto edit = mask_.backspace(display_, caret_);
      setDisplay(std::move(edit.display), edit.caret, true);
    } else if (selLength_ > 0 || caret_ > 0) {
      std::string display = display_;
      size_t caret = caret_;
      if (selLength_ > 0) {
        display.erase(caret, selLength_);
      } else {
        display.erase(--caret, 1);
      }
      setDisplay(std::move(display), caret, true);
    }
  } else if (key == keys::kDelete) {
    if (mask_.active()) {
      auto edit = mask_.erase(display_, caret_);
      setDisplay(std::move(edit.display), edit.caret, true);
    } else if (caret_ < display_.size()) {
      std::string display = display_;
      display.erase(caret_, std::max<size_t>(1, selLength_));
      setDisplay(std::move(display), caret_, true);
    }
  }
}

void MaskEdit::userSetText(std::string text, size_t caret) {
  if (mask_.active()) {
    setDisplay(mask_.displayFromText(mask_.textFromDisplay(text)), caret, true);
  } else {
    setDisplay(std::move(text), caret, true);
  }
}

// ---- ComboBox ----------------------------------------------------------------------------

ComboBox::ComboBox(Backend& backend, Widget* parent, std::string name)
    : Widget(backend, WidgetKind::ComboBox, parent, std::move(name)) {
  setColor(kWhite);
  attachPeer();
}

void ComboBox::setStyle(ComboStyle style) {
  if (style == style_) return;
  style_ = style;
  changed(Prop::Style);
}

void ComboBox::setSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (sorted_) {
    std::string current = itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)] : "";
    std::stable_sort(items_.begin(), items_.end());
    if (itemIndex_ >= 0) itemIndex_ = indexOf(current);
    changed(Prop::Items);
  }
}

int ComboBox::addItem(std::string item) {
  int index = static_cast<int>(items_.size());
  if (sorted_) {
    auto at = std::upper_bound(items_.begin(), items_.end(), item);
    index = static_cast<int>(at - items_.begin());
    items_.insert(at, std::move(item));
    if (itemIndex_ >= index) ++itemIndex_;
  } else {
    items_.push_back(std::move(item));
  }
  changed(Prop::Items);
  return index;
}

void ComboBox::clearItems() {
  items_.clear();
  itemIndex_ = -1;
  changed(Prop::Items);
  if (style_ == ComboStyle::DropDownList) Widget::setText({});
}

void ComboBox::setItems(std::vector<std::string> items) {
  items_ = std::move(items);
  if (sorted_) std::stable_sort(items_.begin(), items_.end());
  itemIndex_ = -1;
  changed(Prop::Items);
  if (style_ == ComboStyle::DropDownList) Widget::setText({});
}

int ComboBox::indexOf(std::string_view item) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] == item) return static_cast<int>(i);
  }
  return -1;
}

int ComboBox::indexOfIgnoringCase(std::string_view item) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (EqualIgnoringCase(items_[i], item)) return static_cast<int>(i);
  }
  return -1;
}

void ComboBox::setItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
  itemIndex_ = index;
  if (index >= 0) {
    Widget::setText(items_[static_cast<size_t>(index)]);
  } else if (style_ == ComboStyle::DropDownList) {
    Widget::setText({});
  }
  changed(Prop::Selection);
}

void ComboBox::setText(std::string text) {
  int index = indexOf(text);
  if (style_ == ComboStyle::DropDownList) {
    setItemIndex(index);
    return;
  }
  itemIndex_ = index;
  Widget::setText(std::move(text));
  changed(Prop::Selection);
}

void ComboBox::setSelection(size_t start, size_t length) {
  selStart_ = std::min(start, text().size());
  selLength_ = std::min(length, text().size() - selStart_);
  changed(Prop::Selection);
}

void ComboBox::userSelect(int index) {
  setItemIndex(index);
  change();
}

void ComboBox::userEdit(std::string text, size_t caret) {
  itemIndex_ = indexOf(text);
  Widget::setText(std::move(text));
  selStart_ = std::min(caret, this->text().size());
  selLength_ = 0;
  change();
}

// ---- ListBox -----------------------------------------------------------------------------

ListBox::ListBox(Backend& backend, Widget* parent, std::string name)
    : Widget(backend, WidgetKind::ListBox, parent, std::move(name)) {
  setColor(kWhite);
  attachPeer();
}

void ListBox::addItem(std::string item) {
  items_.push_back(std::move(item));
  if (lineLimit_ > 0 && items_.size() > lineLimit_) {
    size_t drop = items_.size() - lineLimit_;
    items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(drop));
    itemIndex_ = std::max(-1, itemIndex_ - static_cast<int>(drop));
  }
  changed(Prop::Items);
}

void ListBox::clearItems() {
  items_.clear();
  itemIndex_ = -1;
  changed(Prop::Items);
}

void ListBox::removeItem(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  items_.erase(items_.begin() + index);
  // The selection stays on its item; removing the selected item leaves none.
  if (index == itemIndex_) {
    itemIndex_ = -1;
  } else if (index < itemIndex_) {
    --itemIndex_;
  }
  changed(Prop::Items);
}

void ListBox::setItems(std::vector<std::string> items) {
  items_ = std::move(items);
  itemIndex_ = -1;
  changed(Prop::Items);
}

void ListBox::setItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
  itemIndex_ = index;
  changed(Prop::Selection);
}

void ListBox::userSelect(int index) {
  setItemIndex(index);
  click();
}

// ---- Memo --------------------------------------------------------------------------------

Memo::Memo(Backend& backend, Widget* parent, std::string name)
    : Widget(backend, WidgetKind::Memo, parent, std::move(name)) {
  setColor(kWhite);
  attachPeer();
}

void Memo::setLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  if (lineLimit_ > 0 && lines_.size() > lineLimit_) {
    lines_.erase(lines_.begin(),
                 lines_.begin() + static_cast<std::ptrdiff_t>(lines_.size() - lineLimit_));
  }
  anchor_ = clamped(anchor_);
  caret_ = clamped(caret_);
  changed(Prop::Items);
  changed(Prop::Selection);
  change();
}

void Memo::addLine(std::string line) {
  lines_.push_back(std::move(line));
  if (lineLimit_ > 0 && lines_.size() > lineLimit_) {
    lines_.erase(lines_.begin(),
                 lines_.begin() + static_cast<std::ptrdiff_t>(lines_.size() - lineLimit_));
  }
  changed(Prop::Items);
  change();
}

void Memo::clearLines() { setLines({}); }

void Memo::setReadOnly(bool readOnly) {
  if (readOnly == readOnly_) return;
  readOnly_ = readOnly;
  changed(Prop::Style);
}

void Memo::setWordWrap(bool wrap) {
  if (wrap == wordWrap_) return;
  wordWrap_ = wrap;
  changed(Prop::Style);
}

void Memo::setVerticalScrollBar(bool on) {
  if (on == verticalScrollBar_) return;
  verticalScrollBar_ = on;
  changed(Prop::Style);
}

void Memo::setHorizontalScrollBar(bool on) {
  if (on == horizontalScrollBar_) return;
  horizontalScrollBar_ = on;
  changed(Prop::Style);
}

TextPosition Memo::clamped(TextPosition at) const {
  if (lines_.empty()) return {};
  at.line = std::clamp(at.line, 0, static_cast<int>(lines_.size()) - 1);
  const int length = static_cast<int>(lines_[static_cast<size_t>(at.line)].size());
  at.column = std::clamp(at.column, 0, length);
  return at;
}

void Memo::setSelection(TextPosition anchor, TextPosition caret) {
  anchor_ = clamped(anchor);
  caret_ = clamped(caret);
  changed(Prop::Selection);
}

void Memo::selectLine(int line) {
  const TextPosition start = clamped({line, 0});
  const int length = lines_.empty() ? 0 : static_cast<int>(lines_[static_cast<size_t>(start.line)].size());
  setSelection(start, {start.line, length});
}

void Memo::selectAll() {
  if (lines_.empty()) {
    setSelection({}, {});
    return;
  }
  const int last = static_cast<int>(lines_.size()) - 1;
  setSelection({0, 0}, {last, static_cast<int>(lines_.back().size())});
}

std::string Memo::selectedText() const {
  TextPosition from = clamped(anchor_);
  TextPosition to = clamped(caret_);
  if (to.line < from.line || (to.line == from.line && to.column < from.column)) std::swap(from, to);
  if (lines_.empty() || from == to) return {};
  std::string text;
  for (int line = from.line; line <= to.line; ++line) {
    const std::string& whole = lines_[static_cast<size_t>(line)];
    const size_t begin = line == from.line ? static_cast<size_t>(from.column) : 0;
    const size_t end = line == to.line ? static_cast<size_t>(to.column) : whole.size();
    if (line > from.line) text += "\r\n";
    text += whole.substr(begin, end - begin);
  }
  return text;
}

void Memo::userSetLines(std::vector<std::string> lines, int caretLine) {
  // A read-only memo takes no typing (the toolkit refuses it too).
  if (readOnly_) return;
  lines_ = std::move(lines);
  caret_.line = caretLine;
  anchor_ = caret_;
  change();
}

void Memo::userSetSelection(TextPosition anchor, TextPosition caret) {
  anchor_ = anchor;
  caret_ = caret;
}

// ---- StringGrid --------------------------------------------------------------------------

StringGrid::StringGrid(Backend& backend, Widget* parent, std::string name)
    : Widget(backend, WidgetKind::StringGrid, parent, std::move(name)) {
  setColor(kWhite);
  cells_.assign(static_cast<size_t>(rowCount_), std::vector<std::string>(colCount_));
  colWidths_.assign(static_cast<size_t>(colCount_), 64);
  attachPeer();
}

void StringGrid::setColCount(int count) {
  if (count < 1) count = 1;
  colCount_ = count;
  for (auto& row : cells_) row.resize(static_cast<size_t>(count));
  colWidths_.resize(static_cast<size_t>(count), 64);
  changed(Prop::Cells);
}

void StringGrid::setRowCount(int count) {
  if (count < fixedRows_ + 1) count = fixedRows_ + 1;
  rowCount_ = count;
  cells_.resize(static_cast<size_t>(count), std::vector<std::string>(colCount_));
  if (row_ >= rowCount_) row_ = rowCount_ - 1;
  changed(Prop::Cells);
}

void StringGrid::setFixedRows(int rows) {
  fixedRows_ = rows;
  if (rowCount_ <= rows) setRowCount(rows + 1);
  changed(Prop::Cells);
}

void StringGrid::setDefaultRowHeight(int height) {
  defaultRowHeight_ = height;
  changed(Prop::Style);
}

int StringGrid::colWidth(int col) const {
  if (col < 0 || col >= colCount_) return 0;
  return colWidths_[static_cast<size_t>(col)];
}

void StringGrid::setColWidth(int col, int width) {
  if (col < 0 || col >= colCount_) return;
  colWidths_[static_cast<size_t>(col)] = width;
  changed(Prop::Style);
}

const std::string& StringGrid::cell(int col, int row) const {
  static const std::string kEmpty;
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return kEmpty;
  return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void StringGrid::setCell(int col, int row, std::string text) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return;
  cells_[static_cast<size_t>(row)][static_cast<size_t>(col)] = std::move(text);
  changed(Prop::Cells);
}

void StringGrid::deleteRow(int row) {
  if (row < fixedRows_ || row >= rowCount_) return;
  cells_.erase(cells_.begin() + row);
  --rowCount_;
  if (rowCount_ <= fixedRows_) {
    rowCount_ = fixedRows_ + 1;
    cells_.resize(static_cast<size_t>(rowCount_), std::vector<std::string>(colCount_));
  }
  if (row_ >= rowCount_) row_ = rowCount_ - 1;
  changed(Prop::Cells);
}

void StringGrid::setFixedColor(Color color) {
  fixedColor_ = color;
  changed(Prop::Style);
}

void StringGrid::setSelectionColors(Color background, Color text) {
  if (background == selectionColor_ && text == selectionFontColor_) return;
  selectionColor_ = background;
  selectionFontColor_ = text;
  changed(Prop::Color);
}

void StringGrid::setRow(int row) {
  if (row < fixedRows_ || row >= rowCount_) return;
  row_ = row;
  scrollTo(row);
  changed(Prop::Selection);
}

int StringGrid::visibleRowCount() const {
  // The height holds the fixed rows, the data rows in view and a 3-pixel frame.
  const int rows = (height() - 3) / std::max(1, defaultRowHeight_) - fixedRows_;
  return std::max(1, rows);
}

int StringGrid::topRow() const {
  // The view stays inside the rows whatever the height and row count became meanwhile.
  return std::max(fixedRows_, std::min(topRow_, rowCount_ - visibleRowCount()));
}

void StringGrid::scrollTo(int row) {
  const int visible = visibleRowCount();
  topRow_ = topRow();
  if (row < topRow_) topRow_ = row;
  if (row >= topRow_ + visible) topRow_ = row - visible + 1;
}

void StringGrid::userScrolled(int row) {
  topRow_ = row;
}

void StringGrid::userSelectCell(int col, int row) {
  bool canSelect = true;
  if (onSelectCell) onSelectCell(*this, col, row, canSelect);
  if (canSelect) setRow(row);
}

}  // namespace orvane::ui
