// Editing rules of the text and list controls: masked fields, option lists, list boxes,
// memos and the string grid.
#include "ui/Edits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Form.h"
#include "ui/headless/HeadlessBackend.h"

namespace orvane::ui {
namespace {

class EditsTest : public ::testing::Test {
 protected:
  HeadlessBackend backend;
  Form form{backend, "TestForm"};
};

// ---- MaskEdit ------------------------------------------------------------------------------

struct FormatCase {
  const char* mask;
  const char* text;
  const char* display;
  const char* value;
};

TEST_F(EditsTest, SettingTheTextFormatsItIntoTheMask) {
  const FormatCase cases[] = {
      {"00:00:00;1;_", "12:34:56", "12:34:56", "12:34:56"},
      {"00:00:00;1;_", "12:3", "12:3_:__", "12:3 :  "},
      {"!90:00:00;1;_", "1:02:03", "_1:02:03", " 1:02:03"},
      {"00h 00m;0;_", "0712", "07h 12m", "0712"},
      {"#999;1;_", "-12", "-12_", "-12 "},
      {">LL00;1;_", "ab12", "AB12", "AB12"},
      {"", "free text", "free text", "free text"},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(std::string(c.mask) + " <- " + c.text);
    MaskEdit field(backend, &form);
    field.setEditMask(c.mask);
    field.setText(c.text);
    EXPECT_EQ(field.displayText(), c.display);
    EXPECT_EQ(field.text(), c.value);
  }
}

TEST_F(EditsTest, ChangingTheMaskReformatsTheValue) {
  MaskEdit field(backend, &form);
  field.setText("1234");
  field.setEditMask("00:00;0;_");
  EXPECT_EQ(field.displayText(), "12:34");
  EXPECT_EQ(field.text(), "1234");
}

TEST_F(EditsTest, TypingAndEditingKeysFollowTheMask) {
  MaskEdit field(backend, &form);
  field.setEditMask("00:00;1;_");
  EXPECT_EQ(field.displayText(), "__:__");
  for (char ch : std::string("1a23")) field.typeChar(ch);
  EXPECT_EQ(field.displayText(), "12:3_");
  EXPECT_EQ(field.selStart(), 4u);
  field.pressKey(keys::kBackspace);
  EXPECT_EQ(field.displayText(), "12:__");
  field.pressKey(keys::kHome);
  field.pressKey(keys::kDelete);
  EXPECT_EQ(field.displayText(), "_2:__");
  field.pressKey(keys::kEnd);
  EXPECT_EQ(field.selStart(), 5u);
  field.pressKey(keys::kRight);
  EXPECT_EQ(field.selStart(), 5u) << "the caret stays inside the text";

  field.setReadOnly(true);
  field.pressKey(keys::kHome);
  field.typeChar('9');
  field.pressKey(keys::kDelete);
  EXPECT_EQ(field.displayText(), "_2:__");
  EXPECT_EQ(field.selStart(), 0u) << "a read-only field still moves its caret";
}

TEST_F(EditsTest, UnmaskedFieldEditsAtTheCaretAndOverTheSelection) {
  MaskEdit field(backend, &form);
  field.setText("abcd");
  field.setSelection(1, 2);
  field.typeChar('X');
  EXPECT_EQ(field.text(), "aXd");
  EXPECT_EQ(field.selStart(), 2u);
  field.pressKey(keys::kBackspace);
  EXPECT_EQ(field.text(), "ad");
  field.pressKey(keys::kLeft);
  field.pressKey(keys::kLeft);
  field.pressKey(keys::kLeft);
  EXPECT_EQ(field.selStart(), 0u);
  field.pressKey(keys::kBackspace);
  EXPECT_EQ(field.text(), "ad") << "backspace at the start does nothing";
  field.setSelection(0, 99);
  EXPECT_EQ(field.selLength(), 2u);
  field.pressKey(keys::kDelete);
  EXPECT_EQ(field.text(), "");
  field.pressKey(keys::kDelete);
  EXPECT_EQ(field.text(), "");
}

TEST_F(EditsTest, UnmaskedFieldKeepsTypingToItsMaximumLength) {
  MaskEdit field(backend, &form);
  field.setMaxLength(4);
  // The limit is the user's: a value the program writes (a controller reply) stays whole.
  field.setText("12:34:56");
  EXPECT_EQ(field.text(), "12:34:56");
  field.setText("abcd");
  field.pressKey(keys::kEnd);
  field.typeChar('e');
  EXPECT_EQ(field.text(), "abcd");
  field.setSelection(1, 1);
  field.typeChar('Z');
  EXPECT_EQ(field.text(), "aZcd") << "typing over a selection stays within the limit";
  field.setMaxLength(0);
  field.pressKey(keys::kEnd);
  field.typeChar('e');
  EXPECT_EQ(field.text(), "aZcde");
}

TEST_F(EditsTest, ChangeFiresExactlyWhenTheValueChanges) {
  MaskEdit field(backend, &form);
  field.setEditMask("00:00;0;_");
  std::vector<std::string> changes;
  field.onChange = [&](Widget& w) { changes.push_back(w.text()); };

  field.setText("1234");
  field.setText("1234");
  field.setText("12x34");  // the refused character leaves the same value
  EXPECT_EQ(changes, std::vector<std::string>{"1234"});

  field.pressKey(keys::kEnd);
  field.typeChar('5');  // no free position: refused
  field.pressKey(keys::kLeft);
  field.pressKey(keys::kHome);
  EXPECT_EQ(changes.size(), 1u);

  field.pressKey(keys::kDelete);
  EXPECT_EQ(changes.back(), " 234");
  field.typeChar('9');
  EXPECT_EQ(changes.back(), "9234");
  field.clear();
  EXPECT_EQ(changes.back(), "    ");
  field.clear();
  EXPECT_EQ(changes.size(), 4u);

  field.setEditMask("");
  EXPECT_EQ(changes.size(), 4u) << "the value survives dropping the mask";
  field.userSetText("x", 1);
  EXPECT_EQ(changes.back(), "x");
}

// ---- ComboBox ------------------------------------------------------------------------------

TEST_F(EditsTest, SortedInsertionKeepsTheSelectedItem) {
  ComboBox box(backend, &form);
  box.setSorted(true);
  for (const char* item : {"Mars", "Venus", "Jupiter"}) box.addItem(item);
  EXPECT_EQ(box.items(), (std::vector<std::string>{"Jupiter", "Mars", "Venus"}));
  box.setItemIndex(1);
  EXPECT_EQ(box.addItem("Earth"), 0);
  EXPECT_EQ(box.addItem("Saturn"), 3);
  EXPECT_EQ(box.addItem("Zeta"), 5);
  EXPECT_EQ(box.itemIndex(), 2);
  EXPECT_EQ(box.items()[2], "Mars");
  EXPECT_EQ(box.addItem("Mars"), 3) << "a duplicate goes after its equal";
  EXPECT_EQ(box.itemIndex(), 2);
  EXPECT_EQ(box.text(), "Mars");
}

TEST_F(EditsTest, SortingAFilledListKeepsTheSelectedItem) {
  ComboBox box(backend, &form);
  box.setItems({"c", "a", "b"});
  box.setItemIndex(0);
  box.setSorted(true);
  EXPECT_EQ(box.items(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(box.itemIndex(), 2);
}

TEST_F(EditsTest, DropDownListTextSelectsAnItemOrNone) {
  ComboBox box(backend, &form);
  box.setItems({"COM1", "COM2", "Offline"});
  box.setText("COM2");
  EXPECT_EQ(box.itemIndex(), 1);
  EXPECT_EQ(box.text(), "COM2");
  box.setText("COM9");
  EXPECT_EQ(box.itemIndex(), -1);
  EXPECT_EQ(box.text(), "");
  box.setItemIndex(7);
  EXPECT_EQ(box.itemIndex(), -1);
  box.setItemIndex(2);
  box.clearItems();
  EXPECT_EQ(box.itemIndex(), -1);
  EXPECT_EQ(box.text(), "");
}

TEST_F(EditsTest, EditableListKeepsTypedTextThatIsNotListed) {
  ComboBox box(backend, &form);
  box.setStyle(ComboStyle::DropDown);
  box.setItems({"Vega", "Deneb"});
  box.setText("Altair");
  EXPECT_EQ(box.itemIndex(), -1);
  EXPECT_EQ(box.text(), "Altair");
  box.setText("Deneb");
  EXPECT_EQ(box.itemIndex(), 1);
  box.clearItems();
  EXPECT_EQ(box.text(), "Deneb");
}

TEST_F(EditsTest, SearchIgnoringCaseFoldsLatin1Letters) {
  ComboBox box(backend, &form);
  box.setItems({"Marovell Standard.ocf", "\xC9toile polaire", "Gr\xFC\xDF" "e", "a\xD7" "b",
                "\xDE"});
  struct Case {
    const char* wanted;
    int index;
  };
  const Case cases[] = {
      {"MAROVELL STANDARD.OCF", 0},
      {"\xE9TOILE POLAIRE", 1},   // é finds É
      {"GR\xDC\xDF" "E", 2},      // Ü finds ü, ß stays ß
      {"a\xF7" "b", -1},          // × and ÷ are no letter pair
      {"\xFE", 4},                // þ finds Þ
      {"Marovell Standard", -1},
      {"", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wanted);
    EXPECT_EQ(box.indexOfIgnoringCase(c.wanted), c.index);
  }
  EXPECT_EQ(box.indexOf("MAROVELL STANDARD.OCF"), -1);
}

TEST_F(EditsTest, OnlyUserChoicesFireChange) {
  ComboBox box(backend, &form);
  box.setStyle(ComboStyle::DropDown);
  box.setItems({"one", "two"});
  std::vector<std::string> changes;
  box.onChange = [&](Widget& w) { changes.push_back(w.text()); };
  box.setItemIndex(1);
  box.setText("one");
  box.addItem("three");
  EXPECT_TRUE(changes.empty());
  box.userSelect(1);
  box.userEdit("thr", 3);
  EXPECT_EQ(changes, (std::vector<std::string>{"two", "thr"}));
  EXPECT_EQ(box.itemIndex(), -1);
  box.userEdit("three", 5);
  EXPECT_EQ(box.itemIndex(), 2);
  EXPECT_EQ(box.selStart(), 5u);
}

// ---- ListBox and Memo ----------------------------------------------------------------------

TEST_F(EditsTest, ListBoxDropsItsOldestLinesBeyondTheLimit) {
  ListBox list(backend, &form);
  list.setLineLimit(3);
  for (const char* line : {"1", "2", "3"}) list.addItem(line);
  list.setItemIndex(2);
  list.addItem("4");
  EXPECT_EQ(list.items(), (std::vector<std::string>{"2", "3", "4"}));
  EXPECT_EQ(list.itemIndex(), 1) << "the selection follows its line";
  list.addItem("5");
  list.addItem("6");
  EXPECT_EQ(list.items(), (std::vector<std::string>{"4", "5", "6"}));
  EXPECT_EQ(list.itemIndex(), -1) << "the selected line was dropped";
}

TEST_F(EditsTest, ListBoxSelectionFollowsRemovedItems) {
  ListBox list(backend, &form);
  list.setItems({"a", "b", "c", "d"});
  list.setItemIndex(2);
  list.removeItem(0);
  EXPECT_EQ(list.itemIndex(), 1);
  EXPECT_EQ(list.items()[1], "c");
  list.removeItem(1);
  EXPECT_EQ(list.itemIndex(), -1) << "removing the selected item leaves none selected";
  list.removeItem(9);
  list.removeItem(-1);
  EXPECT_EQ(list.items(), (std::vector<std::string>{"b", "d"}));
}

TEST_F(EditsTest, ListBoxUserSelectionClicks) {
  ListBox list(backend, &form);
  list.setItems({"a", "b"});
  int clicks = 0;
  list.onClick = [&](Widget&) { ++clicks; };
  list.setItemIndex(1);
  EXPECT_EQ(clicks, 0);
  list.userSelect(0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(list.itemIndex(), 0);
}

TEST_F(EditsTest, MemoKeepsItsNewestLinesWithinTheLimit) {
  Memo memo(backend, &form);
  memo.setLineLimit(3);
  memo.setLines({"1", "2", "3", "4", "5"});
  EXPECT_EQ(memo.lines(), (std::vector<std::string>{"3", "4", "5"}));
  memo.addLine("6");
  EXPECT_EQ(memo.lines(), (std::vector<std::string>{"4", "5", "6"}));

  // Lowering the limit takes effect with the next line.
  memo.setLineLimit(2);
  memo.addLine("7");
  EXPECT_EQ(memo.lines(), (std::vector<std::string>{"6", "7"}));

  memo.setLineLimit(0);
  for (int i = 0; i < 100; ++i) memo.addLine("x");
  EXPECT_EQ(memo.lines().size(), 102u);
}

TEST_F(EditsTest, MemoReportsChangesOfItsLines) {
  Memo memo(backend, &form);
  int changes = 0;
  memo.onChange = [&](Widget&) { ++changes; };
  memo.addLine("a");
  memo.setLines({"b", "c"});
  memo.userSetLines({"b"}, 0);
  memo.clearLines();
  EXPECT_EQ(changes, 4);
  EXPECT_TRUE(memo.lines().empty());
}

// ---- StringGrid ----------------------------------------------------------------------------

TEST_F(EditsTest, GridNeverHasFewerRowsThanTheFixedOnesPlusOne) {
  StringGrid grid(backend, &form);
  ASSERT_EQ(grid.fixedRows(), 1);
  for (int count : {0, -5, 1}) {
    grid.setRowCount(count);
    EXPECT_EQ(grid.rowCount(), 2) << count;
  }
  grid.setRowCount(4);
  grid.setCell(0, 1, "first");
  grid.setCell(0, 2, "second");
  grid.setCell(0, 3, "third");
  grid.deleteRow(2);
  EXPECT_EQ(grid.rowCount(), 3);
  EXPECT_EQ(grid.cell(0, 2), "third") << "rows below move up";
  grid.deleteRow(0);  // a fixed row stays
  grid.deleteRow(3);  // past the end
  EXPECT_EQ(grid.rowCount(), 3);
  grid.deleteRow(1);
  grid.deleteRow(1);
  EXPECT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(grid.cell(0, 1), "") << "the last data row is emptied, not removed";
  EXPECT_EQ(grid.row(), 1);

  grid.setFixedRows(3);
  EXPECT_EQ(grid.rowCount(), 4);
  grid.deleteRow(3);
  EXPECT_EQ(grid.rowCount(), 4);
}

TEST_F(EditsTest, GridCellAccessOutsideTheGridIsHarmless) {
  StringGrid grid(backend, &form);
  grid.setColCount(2);
  grid.setRowCount(3);
  const int outside[][2] = {{-1, 0}, {0, -1}, {2, 0}, {0, 3}, {100, 100}};
  for (const auto& at : outside) {
    grid.setCell(at[0], at[1], "x");
    EXPECT_EQ(grid.cell(at[0], at[1]), "");
  }
  grid.setCell(1, 2, "kept");
  grid.setRowCount(2);
  grid.setRowCount(3);
  EXPECT_EQ(grid.cell(1, 2), "") << "cells of removed rows do not come back";
  grid.setColCount(0);
  EXPECT_EQ(grid.colCount(), 1);
  EXPECT_EQ(grid.cell(1, 1), "");
  EXPECT_EQ(grid.colWidth(5), 0);
  grid.setColWidth(-1, 10);
  grid.setColCount(3);
  EXPECT_EQ(grid.cell(2, 1), "");
  EXPECT_EQ(grid.colWidth(2), 64);
}

TEST_F(EditsTest, GridRowSelectionStaysOnDataRows) {
  StringGrid grid(backend, &form);
  grid.setRowCount(4);
  grid.setRow(3);
  EXPECT_EQ(grid.row(), 3);
  grid.setRow(0);
  grid.setRow(4);
  EXPECT_EQ(grid.row(), 3);
  grid.setRowCount(3);
  EXPECT_EQ(grid.row(), 2);
  grid.deleteRow(2);
  EXPECT_EQ(grid.row(), 1);

  grid.onSelectCell = [](StringGrid&, int, int row, bool& canSelect) { canSelect = row != 2; };
  grid.setRowCount(4);
  grid.userSelectCell(0, 2);
  EXPECT_EQ(grid.row(), 1);
  grid.userSelectCell(0, 3);
  EXPECT_EQ(grid.row(), 3);
}

}  // namespace
}  // namespace orvane::ui
