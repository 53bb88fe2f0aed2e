// QtComboPeer: a ui::ComboBox (the program's option list) as a QComboBox. A drop-down list
// is a non-editable combo box, a drop-down an editable one. Items, selected index, edit
// text and edit selection follow the widget; an item the user picks is reported with
// userSelect, typing in the edit line with userEdit. The drop-down list pages on a press
// in its scroll bar track (QtComboPager).
// Thread: user-interface thread only.
#pragma once

#include "ui/qt/QtWidgetPeer.h"

class QComboBox;

namespace orvane::ui {

class ComboBox;

class QtComboPeer : public QtWidgetPeer {
 public:
  QtComboPeer(QtBackend& backend, ComboBox& combo);
  // Enter in the edit line is not a choice: Qt would report the matching item as picked.
  bool keyPressed(QKeyEvent& event, Form& form) override;

 protected:
  void applyOwn(Prop prop) override;

 private:
  void applyStyle();
  void applyItems();
  void applySelection();
  void applyColors();
  void userActivated(int index);
  void userEdited(const QString& text);

  ComboBox& combo_;
  QComboBox* box_;
  // While the user's own edit is reported, the edit line already shows it; the widget's
  // intermediate notifications must not move the caret.
  bool reporting_ = false;
};

}  // namespace orvane::ui
