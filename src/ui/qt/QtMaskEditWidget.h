// QtMaskEditWidget: the line edit that shows a ui::MaskEdit. The field's editing rules live
// in MaskEdit; this widget draws its display text and caret and forwards the keys: typed
// Latin-1 characters, Enter and Escape go through the form (Form::keyPress: key preview,
// the field's key-press handler, then MaskEdit::typeChar), the editing keys to
// MaskEdit::pressKey. Qt's own editing is kept only for copying and selecting; anything
// else that changes the text (middle-button paste) is reported as a user edit.
// Thread: user-interface thread only.
#pragma once

#include <functional>

#include "ui/qt/QtTextEdits.h"

namespace orvane::ui {

class MaskEdit;

class QtMaskEditWidget : public QtLineEdit {
 public:
  QtMaskEditWidget(MaskEdit& field, QWidget* parent);
  // The field is going away; keys do nothing from now on.
  void detach() { field_ = nullptr; }
  // Called each time the line edit is shown (with its window, its page, or itself).
  void setOnShown(std::function<void()> onShown) { onShown_ = std::move(onShown); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Text composed by an input method arrives here instead of as key presses.
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // A character typed by the user: through the form (key preview and key-press handlers).
  void type(char ch);
  void paste();
  MaskEdit* field_;
  std::function<void()> onShown_;
};

}  // namespace orvane::ui
