// QtMaskEditPeer: a ui::MaskEdit shown by a QtMaskEditWidget. Keeps the line edit's text,
// caret and selection equal to the field's, and reports selections the user makes with
// the mouse back to the field.
// Thread: user-interface thread only.
#pragma once

#include "ui/qt/QtWidgetPeer.h"

namespace orvane::ui {

class MaskEdit;

class QtMaskEditWidget;

class QtMaskEditPeer : public QtWidgetPeer {
 public:
  QtMaskEditPeer(QtBackend& backend, MaskEdit& field);
  ~QtMaskEditPeer() override;
  // The line edit handles its keys itself (QtMaskEditWidget::keyPressEvent).
  bool keyPressed(QKeyEvent& event, Form& form) override;

 protected:
  void applyOwn(Prop prop) override;

 private:
  void applyText();
  void applySelection();
  void userMovedSelection();
  void userEdited(const QString& text);

  MaskEdit& field_;
  QtMaskEditWidget* edit_;
  // The field's text changed while the line edit was hidden (on a page not shown): laying
  // out a line edit's text is costly, and a clock field changes every second, so it takes
  // the text when it is shown.
  bool textPending_ = false;
};

}  // namespace orvane::ui
