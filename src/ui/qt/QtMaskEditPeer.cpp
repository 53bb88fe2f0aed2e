#include "ui/qt/QtMaskEditPeer.h"

#include "ui/Edits.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtMaskEditWidget.h"

namespace orvane::ui {

QtMaskEditPeer::QtMaskEditPeer(QtBackend& backend, MaskEdit& field)
    : QtWidgetPeer(backend, field),
      field_(field),
      edit_(new QtMaskEditWidget(field, QtWidgetPeer::qwidgetOf(field.parent()))) {
  QObject::connect(edit_, &QLineEdit::selectionChanged, guard(), [this] { userMovedSelection(); });
  QObject::connect(edit_, &QLineEdit::cursorPositionChanged, guard(),
                   [this] { userMovedSelection(); });
  QObject::connect(edit_, &QLineEdit::textEdited, guard(),
                   [this](const QString& text) { userEdited(text); });
  edit_->setOnShown([this] {
    if (textPending_) apply(Prop::Text);
  });
  attach(edit_);
}

QtMaskEditPeer::~QtMaskEditPeer() {
  if (qwidget() != nullptr) edit_->detach();
}

bool QtMaskEditPeer::keyPressed(QKeyEvent& /*event*/, Form& /*form*/) {
  return false;
}

void QtMaskEditPeer::applyOwn(Prop prop) {
  switch (prop) {
    case Prop::Text:
      applyText();
      break;
    case Prop::Selection:
      if (textPending_) {
        applyText();
      } else {
        applySelection();
      }
      break;
    case Prop::Style:
      edit_->setReadOnly(field_.readOnly());
      break;
    case Prop::Color:
    case Prop::Font:
      applyFieldColors();
      break;
    default:
      break;
  }
}

void QtMaskEditPeer::applyText() {
  if (!edit_->isVisible()) {
    textPending_ = true;
    return;
  }
  textPending_ = false;
  const QString display = toQString(field_.displayText());
  if (edit_->text() != display) edit_->setText(display);
  applySelection();
}

void QtMaskEditPeer::applySelection() {
  const int start = static_cast<int>(field_.selStart());
  const int length = static_cast<int>(field_.selLength());
  if (length > 0) {
    if (edit_->selectionStart() != start || edit_->selectionLength() != length) {
      edit_->setSelection(start, length);
    }
  } else {
    if (edit_->hasSelectedText()) edit_->deselect();
    if (edit_->cursorPosition() != start) edit_->setCursorPosition(start);
  }
}

void QtMaskEditPeer::userMovedSelection() {
  if (applying()) return;
  if (edit_->hasSelectedText()) {
    field_.setSelection(static_cast<size_t>(edit_->selectionStart()),
                        static_cast<size_t>(edit_->selectionLength()));
  } else {
    field_.setSelection(static_cast<size_t>(edit_->cursorPosition()), 0);
  }
}

void QtMaskEditPeer::userEdited(const QString& text) {
  if (applying()) return;
  field_.userSetText(fromQString(text), static_cast<size_t>(edit_->cursorPosition()));
}

}  // namespace orvane::ui
