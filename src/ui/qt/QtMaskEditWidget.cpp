#include "ui/qt/QtMaskEditWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPointer>

#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/qt/QtConvert.h"

namespace orvane::ui {

QtMaskEditWidget::QtMaskEditWidget(MaskEdit& field, QWidget* parent)
    : QtLineEdit(parent), field_(&field) {
  setMaxLength(32767);
  setContextMenuPolicy(Qt::NoContextMenu);
  setAcceptDrops(false);
  setDragEnabled(false);
  // Keys arrive as plain key events, so every character goes through the field's rules.
  setAttribute(Qt::WA_InputMethodEnabled, false);
}

void QtMaskEditWidget::showEvent(QShowEvent* event) {
  QtLineEdit::showEvent(event);
  if (onShown_) onShown_();
}

void QtMaskEditWidget::keyPressEvent(QKeyEvent* event) {
  if (field_ == nullptr) {
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  event->accept();
  if (event->matches(QKeySequence::Paste)) {
    paste();
    return;
  }
  // The editing keys the field handles itself.
  switch (const int code = keyCodeOf(*event)) {
    case keys::kBackspace:
    case keys::kDelete:
    case keys::kLeft:
    case keys::kRight:
    case keys::kHome:
    case keys::kEnd:
      field_->pressKey(code);
      return;
    default:
      break;
  }
  const char ch = keyCharOf(*event);
  if (static_cast<unsigned char>(ch) >= 32 || ch == keys::kReturn || ch == keys::kEscape) type(ch);
}

void QtMaskEditWidget::inputMethodEvent(QInputMethodEvent* event) {
  event->accept();
  const std::string text = fromQString(event->commitString());
  QPointer<QLineEdit> alive(this);
  for (char ch : text) {
    if (!alive || field_ == nullptr) return;
    if (static_cast<unsigned char>(ch) >= 32) type(ch);
  }
}

void QtMaskEditWidget::type(char ch) {
  if (Form* form = field_->form()) {
    form->keyPress(*field_, ch);
  } else if (static_cast<unsigned char>(ch) >= 32) {
    field_->typeChar(ch);
  }
}

void QtMaskEditWidget::paste() {
  const std::string text = fromQString(QApplication::clipboard()->text());
  QPointer<QLineEdit> alive(this);
  for (char ch : text) {
    if (!alive || field_ == nullptr) return;
    if (static_cast<unsigned char>(ch) >= 32) field_->typeChar(ch);
  }
}

void QtMaskEditWidget::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // Entering the field from the keyboard or by the program selects its text when the field
  // asks for it; a mouse click places the caret instead, and returning to the window
  // keeps what was selected.
  const Qt::FocusReason reason = event->reason();
  const bool entered = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                       reason == Qt::OtherFocusReason || reason == Qt::ShortcutFocusReason;
  if (field_ != nullptr && field_->autoSelect() && entered) {
    field_->setSelection(0, field_->displayText().size());
  }
}

}  // namespace orvane::ui
