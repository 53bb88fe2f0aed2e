#include "ui/qt/QtTextEdits.h"

#include <QPainter>

namespace orvane::ui {

namespace {

// A one-pixel caret in the middle of the rectangle Qt gives for its own caret.
void drawCaret(QWidget& surface, const QRect& around, const QColor& color) {
  QPainter painter(&surface);
  painter.fillRect(QRect(around.left() + around.width() / 2, around.top(), 1, around.height()),
                   color);
}

}  // namespace

void QtLineEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (!hasFocus() || isReadOnly() || hasSelectedText()) return;
  drawCaret(*this, cursorRect(), palette().color(QPalette::Text));
}

void QtLineEdit::focusOutEvent(QFocusEvent* event) {
  losingFocus_ = true;
  QLineEdit::focusOutEvent(event);
  losingFocus_ = false;
}

QtPlainTextEdit::QtPlainTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setCursorWidth(0);
}

void QtPlainTextEdit::paintEvent(QPaintEvent* event) {
  QPlainTextEdit::paintEvent(event);
  if (!hasFocus() || isReadOnly() || textCursor().hasSelection()) return;
  drawCaret(*viewport(), cursorRect(), palette().color(QPalette::Text));
}

}  // namespace orvane::ui
