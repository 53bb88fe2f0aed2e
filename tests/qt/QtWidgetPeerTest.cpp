// The Qt peers: properties reach the QWidgets, and input on the QWidgets reaches the
// widget layer's events.
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "QtTestSupport.h"

namespace orvane::test {
namespace {

using ui::makeColor;

TEST_F(QtBackendTest, GeometryIsRelativeToTheParentAndScreenForForms) {
  ui::Panel panel(backend, form.get());
  panel.setBounds(10, 20, 30, 40);
  EXPECT_EQ(qwidgetOf(*form)->geometry(), QRect(100, 80, 400, 300));
  EXPECT_EQ(qwidgetOf(panel)->parentWidget(), qwidgetOf(*form));
  EXPECT_EQ(qwidgetOf(panel)->geometry(), QRect(10, 20, 30, 40));
  form->setLeft(-1000);
  EXPECT_EQ(qwidgetOf(*form)->geometry().topLeft(), QPoint(-1000, 80));
}

TEST_F(QtBackendTest, TextIsLatin1) {
  const std::string degrees = "45\xB0 N";
  const QString expected = QString::fromUtf8("45\u00B0 N");
  form->setText(degrees);
  ui::Button button(backend, form.get());
  button.setText(degrees);
  ui::MaskEdit field(backend, form.get());
  field.setText(degrees);
  ui::ComboBox combo(backend, form.get());
  combo.setItems({degrees, "\xE9t\xE9"});
  showForm();
  EXPECT_EQ(qwidgetOf(*form)->windowTitle(), expected);
  EXPECT_EQ(static_cast<QPushButton*>(qwidgetOf(button))->text(), expected);
  EXPECT_EQ(static_cast<QLineEdit*>(qwidgetOf(field))->text(), expected);
  auto* box = static_cast<QComboBox*>(qwidgetOf(combo));
  EXPECT_EQ(box->itemText(1), QString::fromUtf8("\u00E9t\u00E9"));
}

TEST_F(QtBackendTest, VisibilityEnabledHintAndFontFollowTheWidget) {
  ui::Panel panel(backend, form.get());
  QWidget* widget = qwidgetOf(panel);
  showForm();
  EXPECT_TRUE(widget->isVisible());
  panel.hide();
  EXPECT_FALSE(widget->isVisible());
  panel.setEnabled(false);
  EXPECT_FALSE(widget->isEnabled());
  panel.setHint("Drag me");
  EXPECT_TRUE(widget->toolTip().isEmpty());  // hints show only when asked for
  panel.setShowHint(true);
  EXPECT_EQ(widget->toolTip(), QString("Drag me"));
  panel.setFont(ui::Font{"Arial", 12, 0, ui::kBlack, true, false});
  EXPECT_TRUE(widget->font().bold());
  EXPECT_EQ(widget->font().pointSize(), 12);
  form->hide();
  EXPECT_FALSE(qwidgetOf(*form)->isVisible());
}

TEST_F(QtBackendTest, ACaptionTooWideForItsButtonGetsASmallerFont) {
  const ui::Font large{"DejaVu Serif", 0, 17, ui::kBlack, false, false};
  ui::Button narrow(backend, form.get());
  narrow.setFont(large);
  narrow.setBounds(0, 0, 106, 25);
  narrow.setText("Additional align");
  auto* button = static_cast<QPushButton*>(qwidgetOf(narrow));
  EXPECT_LT(button->font().pixelSize(), 17);
  EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()), 106);
  // A caption that fits keeps the font; a wider button gives the font back.
  ui::Button wide(backend, form.get());
  wide.setFont(large);
  wide.setBounds(0, 30, 106, 25);
  wide.setText("Go to ...");
  EXPECT_EQ(static_cast<QPushButton*>(qwidgetOf(wide))->font().pixelSize(), 17);
  narrow.setBounds(0, 0, 340, 25);
  EXPECT_EQ(button->font().pixelSize(), 17);
}

TEST_F(QtBackendTest, ColoursAreRedInTheLowByte) {
  struct Case {
    ui::Color color;
    QColor expected;
  };
  const Case cases[] = {{0x0000FF, QColor(255, 0, 0)},
                        {0x00FF00, QColor(0, 255, 0)},
                        {0xFF0000, QColor(0, 0, 255)},
                        {makeColor(0x12, 0x34, 0x56), QColor(0x12, 0x34, 0x56)}};
  ui::MaskEdit field(backend, form.get());
  for (const Case& c : cases) {
    form->setColor(c.color);
    field.setColor(c.color);
    field.setFontColor(c.color);
    EXPECT_EQ(qwidgetOf(*form)->palette().color(QPalette::Window), c.expected);
    EXPECT_EQ(qwidgetOf(field)->palette().color(QPalette::Base), c.expected);
    EXPECT_EQ(qwidgetOf(field)->palette().color(QPalette::Text), c.expected);
  }
}

TEST_F(QtBackendTest, ImageButtonsAndShapesPaintTheirPictures) {
  ui::Panel panel(backend, form.get());
  panel.setBounds(0, 0, 100, 100);
  panel.setColor(0x0000FF);  // red
  ui::ImageButton image(backend, &panel);
  image.setBounds(0, 0, 2, 1);
  image.setPicture(ui::Image{2, 1, {ui::Image::kTransparent, 0x00FF00}});
  ui::Shape shape(backend, &panel);
  shape.setBounds(40, 40, 40, 40);
  shape.setShapeType(ui::ShapeType::RoundRect);
  shape.setBrushColor(0xFF0000);  // blue
  shape.setPenColor(ui::kWhite);
  shape.setPenWidth(2);
  showForm();
  const QImage picture = qwidgetOf(panel)->grab().toImage();
  EXPECT_EQ(picture.pixelColor(0, 0), QColor(255, 0, 0));  // transparent: the panel shows
  EXPECT_EQ(picture.pixelColor(1, 0), QColor(0, 255, 0));
  EXPECT_EQ(picture.pixelColor(60, 60), QColor(0, 0, 255));      // the shape's fill
  EXPECT_EQ(picture.pixelColor(60, 40), QColor(255, 255, 255));  // its pen on the top edge
  // Rounded corners with an ellipse of a quarter of the side: the very corner stays open.
  EXPECT_EQ(picture.pixelColor(40, 40), QColor(255, 0, 0));
}

TEST_F(QtBackendTest, AutoSizedLabelsShowTheirWholeText) {
  ui::Label left(backend, form.get());
  left.setFont(ui::Font{"Times New Roman", 24, 0, ui::kBlack, true, false});
  left.setText("Orvane Control");
  left.setLeft(10);
  ui::Label right(backend, form.get());
  right.setAutoSize(false);
  right.setBounds(100, 50, 200, 20);
  right.setAlignment(ui::HorizontalAlign::Right);
  right.setText("Version 1.24");
  right.setAutoSize(true);
  for (ui::Label* label : {&left, &right}) {
    QWidget* widget = qwidgetOf(*label);
    const QSize text =
        QFontMetrics(widget->font())
            .size(Qt::TextSingleLine, widget->font().bold() ? "Orvane Control" : "Version 1.24");
    EXPECT_EQ(widget->size(), text);
  }
  EXPECT_EQ(qwidgetOf(left)->x(), 10);
  // Right-aligned: the right edge stays where the widget layer put it.
  EXPECT_EQ(qwidgetOf(right)->geometry().left() + qwidgetOf(right)->width(),
            right.left() + right.width());
}

TEST_F(QtBackendTest, PressAndReleaseInsideALabelIsAClick) {
  form->setBorderStyle(ui::BorderStyle::None);
  ui::Label label(backend, form.get());
  label.setAutoSize(false);
  label.setBounds(50, 60, 100, 20);
  int clicks = 0;
  std::vector<std::string> events;
  label.onClick = [&](ui::Widget&) {
    ++clicks;
    events.push_back("click");
  };
  label.onMouseDown = [&](ui::Widget&, ui::MouseButton, ui::ShiftState, int x, int y) {
    events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  };
  label.onMouseUp = [&](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
    events.push_back("up");
  };
  showForm();
  QWidget* target = qwidgetOf(label);
  const QPoint origin(100 + 50, 80 + 60);
  sendMouse(target, QEvent::MouseButtonPress, {5, 6}, origin + QPoint(5, 6));
  sendMouse(target, QEvent::MouseButtonRelease, {7, 6}, origin + QPoint(7, 6));
  EXPECT_EQ(events, (std::vector<std::string>{"down 5,6", "click", "up"}));
  sendMouse(target, QEvent::MouseButtonPress, {5, 6}, origin + QPoint(5, 6));
  sendMouse(target, QEvent::MouseButtonRelease, {500, 6}, origin + QPoint(500, 6));
  EXPECT_EQ(clicks, 1);  // released outside: no click
  int doubleClicks = 0;
  label.onDblClick = [&](ui::Widget&) { ++doubleClicks; };
  sendMouse(target, QEvent::MouseButtonDblClick, {5, 6}, origin + QPoint(5, 6));
  EXPECT_EQ(doubleClicks, 1);
}

TEST_F(QtBackendTest, DraggingABorderlessFormUsesItsOwnPosition) {
  form->setBorderStyle(ui::BorderStyle::None);
  ui::Panel frame(backend, form.get());
  frame.setBounds(10, 10, 300, 200);
  int originX = 0;
  int originY = 0;
  frame.onMouseDown = [&](ui::Widget&, ui::MouseButton, ui::ShiftState, int x, int y) {
    originX = x;
    originY = y;
  };
  frame.onMouseMove = [&](ui::Widget&, ui::MouseButton, ui::ShiftState, int x, int y) {
    form->setBounds(form->left() + x - originX, form->top() + y - originY, form->width(),
                    form->height());
  };
  showForm();
  QWidget* target = qwidgetOf(frame);
  sendMouse(target, QEvent::MouseButtonPress, {5, 5}, {115, 95});
  sendMouse(target, QEvent::MouseMove, {25, 10}, {135, 100});
  EXPECT_EQ(form->left(), 120);
  EXPECT_EQ(form->top(), 85);
  // The window system may report the next move against where the window was before; the
  // form's own position keeps the drag exact.
  sendMouse(target, QEvent::MouseMove, {35, 10}, {145, 100});
  EXPECT_EQ(form->left(), 130);
  EXPECT_EQ(form->top(), 85);
  EXPECT_EQ(qwidgetOf(*form)->geometry().topLeft(), QPoint(130, 85));
}

TEST_F(QtBackendTest, MaskedFieldTakesTypedKeysThroughTheForm) {
  ui::MaskEdit field(backend, form.get());
  field.setEditMask("00:00;1;_");
  showForm();
  form->setActiveControl(&field);
  auto* edit = static_cast<QLineEdit*>(qwidgetOf(field));
  ASSERT_EQ(keyReceiver(*form), edit);
  field.setSelection(0, 0);
  for (char ch : std::string("12x34")) typeChar(keyReceiver(*form), ch);
  EXPECT_EQ(field.text(), "12:34");
  EXPECT_EQ(edit->text(), QString("12:34"));
  EXPECT_EQ(edit->cursorPosition(), 5);
  pressKey(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), QString("12:3_"));
  EXPECT_EQ(edit->cursorPosition(), static_cast<int>(field.selStart()));
  pressKey(edit, Qt::Key_Home);
  EXPECT_EQ(edit->cursorPosition(), 0);
}

// A field on a page not shown (a clock field set every second) leaves its line edit alone
// until the page is shown; then the line edit shows the last text and the caret.
TEST_F(QtBackendTest, AFieldOnAHiddenPageTakesItsTextWhenShown) {
  ui::Panel page(backend, form.get());
  page.setBounds(0, 0, 200, 100);
  ui::MaskEdit field(backend, &page);
  field.setBounds(10, 10, 120, 24);
  field.setEditMask("00:00:00;1;_");
  field.setText("01:02:03");
  showForm();
  auto* edit = static_cast<QLineEdit*>(qwidgetOf(field));
  EXPECT_EQ(edit->text(), QString("01:02:03"));
  page.hide();
  ASSERT_FALSE(edit->isVisible());
  for (int second = 4; second < 60; ++second) field.setText("01:02:" + std::to_string(second));
  EXPECT_EQ(edit->text(), QString("01:02:03"));  // not laid out again while hidden
  field.setSelection(3, 2);
  page.show();
  EXPECT_EQ(edit->text(), QString("01:02:59"));
  EXPECT_EQ(edit->selectionStart(), 3);
  EXPECT_EQ(edit->selectedText(), QString("02"));
  // Shown, it follows at once again.
  field.setText("23:59:58");
  EXPECT_EQ(edit->text(), QString("23:59:58"));
  // A field hidden itself (not its page) and shown again catches up the same way.
  field.hide();
  field.setText("12:00:00");
  field.show();
  EXPECT_EQ(edit->text(), QString("12:00:00"));
}

TEST_F(QtBackendTest, PlainFieldTakesLatin1Characters) {
  ui::MaskEdit field(backend, form.get());
  showForm();
  form->setActiveControl(&field);
  typeChar(keyReceiver(*form), 'a');
  pressKey(keyReceiver(*form), Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)));
  EXPECT_EQ(field.text(), "a\xE9");
  // Text from an input method goes the same way.
  QInputMethodEvent composed;
  composed.setCommitString(QString::fromUtf8("\u00B0"));
  QCoreApplication::sendEvent(keyReceiver(*form), &composed);
  EXPECT_EQ(field.text(), "a\xE9\xB0");
  EXPECT_EQ(static_cast<QLineEdit*>(qwidgetOf(field))->text(), QString::fromUtf8("a\u00E9\u00B0"));
}

TEST_F(QtBackendTest, KeyPreviewSeesKeysFirstAndCanConsumeThem) {
  ui::MaskEdit field(backend, form.get(), "Field");
  form->setKeyPreview(true);
  std::vector<std::string> seen;
  form->onKeyDown = [&](ui::Widget& target, int& key, ui::ShiftState shift) {
    if (!shift.alt) return;
    seen.push_back(target.name() + " alt " + static_cast<char>(key));
    if (key == 'P') key = 0;
  };
  form->onKeyPress = [&](ui::Widget& target, char& key) {
    if (key == '\r') seen.push_back(target.name() + " enter");
    if (key == '5') key = 0;
  };
  showForm();
  form->setActiveControl(&field);
  pressKey(keyReceiver(*form), Qt::Key_P, Qt::AltModifier, "p");
  for (char ch : std::string("456")) typeChar(keyReceiver(*form), ch);
  pressKey(keyReceiver(*form), Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(field.text(), "46");  // Alt+P and the 5 were consumed by the preview
  // With no control focused the keys reach the form itself.
  form->setActiveControl(nullptr);
  ASSERT_TRUE(waitUntil([&] { return keyReceiver(*form) == qwidgetOf(*form); }));
  pressKey(keyReceiver(*form), Qt::Key_S, Qt::AltModifier, "s");
  EXPECT_EQ(seen, (std::vector<std::string>{"Field alt P", "Field enter", "TestForm alt S"}));
}

TEST_F(QtBackendTest, QtFocusMovesAreReportedAndTabFollowsTheTabOrder) {
  ui::MaskEdit first(backend, form.get(), "First");
  ui::MaskEdit second(backend, form.get(), "Second");
  first.setTabOrder(1);
  second.setTabOrder(0);
  int exits = 0;
  first.onExit = [&](ui::Widget&) { ++exits; };
  showForm();
  form->setActiveControl(&first);
  EXPECT_EQ(QApplication::focusWidget(), qwidgetOf(first));
  qwidgetOf(second)->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(form->activeControl(), &second);
  EXPECT_EQ(exits, 1);
  pressKey(keyReceiver(*form), Qt::Key_Tab);
  EXPECT_EQ(form->activeControl(), &first);  // second (0) comes before first (1)
  EXPECT_EQ(QApplication::focusWidget(), qwidgetOf(first));
  form->setActiveControl(nullptr);
  EXPECT_EQ(qwidgetOf(*form)->focusWidget(), nullptr);
}

// A flat button is reached with Tab, pressed with Space (held, its repeats press nothing
// more), clicked on release, and draws a focus mark; the global key acts in a window that
// is not the program's own too.
TEST_F(QtBackendTest, FlatButtonsWorkFromTheKeyboardAndTheGlobalKeyEverywhere) {
  ui::MaskEdit field(backend, form.get(), "Field");
  ui::Label button(backend, form.get(), "Button");
  button.setAutoSize(false);
  button.setBounds(10, 40, 80, 25);
  button.setText("Go");
  button.setFlatButton(true);
  std::vector<std::string> seen;
  button.onMouseDown = [&](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
    seen.push_back("down");
    form->setActiveControl(nullptr);  // as the program's handlers do
  };
  button.onClick = [&](ui::Widget&) { seen.push_back("click"); };
  showForm();
  form->setActiveControl(&field);
  pressKey(keyReceiver(*form), Qt::Key_Tab);
  ASSERT_EQ(form->activeControl(), &button);
  EXPECT_EQ(keyReceiver(*form), qwidgetOf(*form));  // the window takes the button's keys
  const QImage marked = qwidgetOf(button)->grab().toImage();
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
  QCoreApplication::sendEvent(keyReceiver(*form), &press);
  QCoreApplication::sendEvent(keyReceiver(*form), &repeat);
  QCoreApplication::sendEvent(keyReceiver(*form), &release);
  EXPECT_EQ(seen, (std::vector<std::string>{"down", "click"}));
  EXPECT_EQ(form->activeControl(), &button);
  form->setActiveControl(&field);
  EXPECT_NE(qwidgetOf(button)->grab().toImage(), marked);  // the mark is gone

  int stops = 0;
  backend.setGlobalKey(ui::keys::kF12, [&] { ++stops; });
  QWidget foreign;  // a window the program did not build, as a message box
  pressKey(&foreign, Qt::Key_F12);
  pressKey(keyReceiver(*form), Qt::Key_F12);
  EXPECT_EQ(stops, 2);
  backend.setGlobalKey(0, nullptr);
}

TEST_F(QtBackendTest, AHeldKeysRepeatAsAReleaseAndAPressAtOneMomentKeepsTheButtonDown) {
  ui::Label button(backend, form.get(), "Button");
  button.setAutoSize(false);
  button.setBounds(10, 40, 80, 25);
  button.setFlatButton(true);
  std::vector<std::string> seen;
  button.onMouseDown = [&](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
    seen.push_back("down");
  };
  button.onMouseUp = [&](ui::Widget&, ui::MouseButton, ui::ShiftState, int, int) {
    seen.push_back("up");
  };
  showForm();
  form->setActiveControl(&button);
  // As the window system sends a held key: the press, then the repeats, each a release and
  // a press with one time, not marked as repeats; then the real release.
  auto send = [&](QEvent::Type type, unsigned long time) {
    QKeyEvent event(type, Qt::Key_Space, Qt::NoModifier, " ");
    event.setTimestamp(time);
    QCoreApplication::sendEvent(keyReceiver(*form), &event);
  };
  send(QEvent::KeyPress, 1000);
  for (unsigned long time = 1500; time <= 1620; time += 40) {
    send(QEvent::KeyRelease, time);
    send(QEvent::KeyPress, time);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"down"}));
  send(QEvent::KeyRelease, 1700);
  // The release goes through once it is clear that no repeat's press comes with it.
  EXPECT_TRUE(waitUntil([&] { return seen.size() == 2; }));
  EXPECT_EQ(seen, (std::vector<std::string>{"down", "up"}));

  // A press a moment after a release is a new press: released, then down again at once.
  seen.clear();
  send(QEvent::KeyPress, 2000);
  send(QEvent::KeyRelease, 2100);
  send(QEvent::KeyPress, 2130);
  EXPECT_EQ(seen, (std::vector<std::string>{"down", "up", "down"}));
  send(QEvent::KeyRelease, 2200);
  EXPECT_TRUE(waitUntil([&] { return seen.size() == 4; }));
  // Another key goes after the held release, never before it.
  seen.clear();
  send(QEvent::KeyPress, 3000);
  send(QEvent::KeyRelease, 3100);
  pressKey(keyReceiver(*form), Qt::Key_A);
  EXPECT_EQ(seen, (std::vector<std::string>{"down", "up"}));
}

TEST_F(QtBackendTest, ComboUserSelectionFiresChangeButProgramSelectionDoesNot) {
  ui::ComboBox combo(backend, form.get());
  combo.setItems({"Alpha", "Beta", "Gamma"});
  combo.setItemIndex(0);
  int changes = 0;
  combo.onChange = [&](ui::Widget&) { ++changes; };
  showForm();
  form->setActiveControl(&combo);
  auto* box = static_cast<QComboBox*>(qwidgetOf(combo));
  pressKey(keyReceiver(*form), Qt::Key_Down);
  EXPECT_EQ(combo.itemIndex(), 1);
  EXPECT_EQ(combo.text(), "Beta");
  EXPECT_EQ(changes, 1);
  combo.setItemIndex(2);
  EXPECT_EQ(box->currentIndex(), 2);
  EXPECT_EQ(changes, 1);
}

TEST_F(QtBackendTest, EditableComboReportsTypingAndKeyUp) {
  ui::ComboBox combo(backend, form.get());
  combo.setStyle(ui::ComboStyle::DropDown);
  combo.setItems({"Mars", "Moon"});
  int changes = 0;
  int lastKeyUp = 0;
  combo.onChange = [&](ui::Widget&) { ++changes; };
  combo.onKeyUp = [&](ui::Widget&, int& key, ui::ShiftState) { lastKeyUp = key; };
  showForm();
  form->setActiveControl(&combo);
  ASSERT_TRUE(static_cast<QComboBox*>(qwidgetOf(combo))->isEditable());
  for (char ch : std::string("Mo")) typeChar(keyReceiver(*form), ch);
  EXPECT_EQ(combo.text(), "Mo");
  EXPECT_EQ(combo.itemIndex(), -1);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(lastKeyUp, 'O');
  // The program completes the text; the edit line shows it with the completion selected.
  combo.setText("Moon");
  combo.setSelection(2, 2);
  auto* edit = static_cast<QComboBox*>(qwidgetOf(combo))->lineEdit();
  EXPECT_EQ(edit->text(), QString("Moon"));
  EXPECT_EQ(edit->selectedText(), QString("on"));
}

// The focus leaving an editable list is no choice: the list keeps its text exactly (of
// "Case.ocf" and "case.ocf", the one it shows) and reports nothing.
TEST_F(QtBackendTest, EditableComboReportsNothingWhenTheFocusLeaves) {
  ui::ComboBox combo(backend, form.get());
  ui::MaskEdit other(backend, form.get(), "Other");
  combo.setStyle(ui::ComboStyle::DropDown);
  combo.setItems({"Case.ocf", "case.ocf"});
  showForm();
  form->setActiveControl(&combo);
  for (char ch : std::string("case.ocf")) typeChar(keyReceiver(*form), ch);
  combo.setItems({"Case.ocf", "case.ocf"});  // the list refilled after a save
  int changes = 0;
  combo.onChange = [&](ui::Widget&) { ++changes; };
  form->setActiveControl(&other);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(combo.text(), "case.ocf");
  EXPECT_EQ(static_cast<QComboBox*>(qwidgetOf(combo))->lineEdit()->text(), QString("case.ocf"));
}

TEST_F(QtBackendTest, ListMemoAndGridShowTheirContents) {
  ui::ListBox list(backend, form.get());
  list.setLineLimit(3);
  for (const char* line : {"one", "two", "three", "four"}) list.addItem(line);
  auto* listView = static_cast<QListWidget*>(qwidgetOf(list));
  ASSERT_EQ(listView->count(), 3);
  EXPECT_EQ(listView->item(0)->text(), QString("two"));
  int listClicks = 0;
  list.onClick = [&](ui::Widget&) { ++listClicks; };
  listView->setCurrentRow(2);  // as a user's click does
  EXPECT_EQ(list.itemIndex(), 2);
  EXPECT_EQ(listClicks, 1);

  ui::Memo memo(backend, form.get());
  memo.setLines({"a", "b"});
  memo.addLine("c");
  auto* memoView = static_cast<QPlainTextEdit*>(qwidgetOf(memo));
  EXPECT_EQ(memoView->toPlainText(), QString("a\nb\nc"));
  memoView->moveCursor(QTextCursor::End);
  memoView->insertPlainText("d\ne");  // the user types
  EXPECT_EQ(memo.lines(), (std::vector<std::string>{"a", "b", "cd", "e"}));
  EXPECT_EQ(memo.caretLine(), 3);

  ui::StringGrid grid(backend, form.get());
  grid.setColCount(2);
  grid.setRowCount(4);
  grid.setCell(0, 0, "Name");
  grid.setCell(0, 2, "M31");
  auto* table = static_cast<QTableWidget*>(qwidgetOf(grid));
  EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QString("Name"));
  EXPECT_EQ(table->item(1, 0)->text(), QString("M31"));
  bool allow = false;
  grid.onSelectCell = [&](ui::StringGrid&, int, int, bool& canSelect) { canSelect = allow; };
  table->setCurrentCell(1, 0);  // the user moves to grid row 2, which is refused
  EXPECT_EQ(grid.row(), 1);
  ASSERT_TRUE(waitUntil([&] { return table->currentRow() == 0; }));
  allow = true;
  table->setCurrentCell(2, 1);
  EXPECT_EQ(grid.row(), 3);
}

TEST_F(QtBackendTest, ButtonWithModalResultClosesItsModalForm) {
  ui::Button ok(backend, form.get());
  ok.setModalResult(ui::modal::kOk);
  int clicks = 0;
  ok.onClick = [&](ui::Widget&) { ++clicks; };
  QMetaObject::invokeMethod(
      qwidgetOf(ok), [&] { static_cast<QPushButton*>(qwidgetOf(ok))->click(); },
      Qt::QueuedConnection);
  EXPECT_EQ(form->showModal(), ui::modal::kOk);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(form->visible());
  EXPECT_FALSE(qwidgetOf(*form)->isVisible());
  // Closed without a result: cancelled.
  QMetaObject::invokeMethod(
      qwidgetOf(*form), [&] { form->close(); }, Qt::QueuedConnection);
  EXPECT_EQ(form->showModal(), ui::modal::kCancel);
}

TEST_F(QtBackendTest, AFormRaisesItsShowEventOncePerShowBeforeItsWindowAppears) {
  QWidget* window = qwidgetOf(*form);
  int shows = 0;
  bool windowShownDuringEvent = false;
  form->onShow = [&](ui::Widget&) {
    ++shows;
    windowShownDuringEvent = windowShownDuringEvent || window->isVisible();
  };
  form->show();
  EXPECT_EQ(shows, 1);
  EXPECT_TRUE(window->isVisible());
  // Showing again, new window flags (which hide and show the window) and a restore after
  // minimising are no new show.
  form->show();
  form->setStayOnTop(true);
  form->minimize();
  form->restore();
  EXPECT_EQ(shows, 1);
  form->hide();
  form->show();
  EXPECT_EQ(shows, 2);
  form->hide();
  QMetaObject::invokeMethod(
      window, [&] { form->setModalResult(ui::modal::kOk); }, Qt::QueuedConnection);
  EXPECT_EQ(form->showModal(), ui::modal::kOk);
  EXPECT_EQ(shows, 3);
  EXPECT_FALSE(windowShownDuringEvent);
}

TEST_F(QtBackendTest, AShowHandlerThatHidesItsFormKeepsTheWindowHidden) {
  int shows = 0;
  form->onShow = [&](ui::Widget&) {
    ++shows;
    form->hide();
  };
  form->show();
  EXPECT_EQ(shows, 1);
  EXPECT_FALSE(form->visible());
  EXPECT_FALSE(qwidgetOf(*form)->isVisible());
}

TEST_F(QtBackendTest, WidgetsMayBeDestroyedInsideTheirOwnEvents) {
  auto label = std::make_unique<ui::Label>(backend, form.get());
  label->setAutoSize(false);
  label->setBounds(0, 0, 50, 20);
  label->onClick = [&](ui::Widget&) { label.reset(); };
  showForm();
  QWidget* target = qwidgetOf(*label);
  sendMouse(target, QEvent::MouseButtonPress, {5, 5}, {105, 85});
  sendMouse(target, QEvent::MouseButtonRelease, {5, 5}, {105, 85});
  EXPECT_EQ(label, nullptr);
  EXPECT_TRUE(waitUntil([&] { return form->children().empty(); }));
}

}  // namespace
}  // namespace orvane::test
