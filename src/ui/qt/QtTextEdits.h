// Text fields whose caret is drawn in their own text colour. Qt draws a caret as the
// inverse of what lies under it, which on a black field in night vision is a white line;
// these fields draw a steady caret in the field's text colour instead (the style gives
// Qt's own caret no width).
// - QtLineEdit: the edit line of masked fields and of editable option lists.
// - QtPlainTextEdit: the multi-line text areas (memos).
// Thread: user-interface thread only.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

namespace orvane::ui {

class QtLineEdit : public QLineEdit {
 public:
  explicit QtLineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
  // True while the field hands the focus on. An editable QComboBox then picks the item
  // that matches its text ignoring case and reports it as activated; that is no choice of
  // the user's (and of "Case.ocf" and "case.ocf" it may pick the other one).
  bool losingFocus() const { return losingFocus_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  bool losingFocus_ = false;
};

class QtPlainTextEdit : public QPlainTextEdit {
 public:
  explicit QtPlainTextEdit(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace orvane::ui
