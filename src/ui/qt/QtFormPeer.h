// QtFormPeer: shows a ui::Form as a top-level Qt window. Border style, stay-on-top and the
// tool-window style become window flags; a rounded region becomes the window mask; a
// maximized form covers the primary screen; minimize/restore map to Qt's minimised state.
// The form's show event is raised by Form::setVisible before the window appears here.
// It also moves Qt's keyboard focus to the form's active control and ends the modal run
// of QtBackend::showModal when the form is hidden.
// Thread: user-interface thread only.
#pragma once

#include <QPointer>

#include "ui/qt/QtWidgetPeer.h"

class QEventLoop;

namespace orvane::ui {

class Form;

class QtFormWindow;

class QtFormPeer : public QtWidgetPeer {
 public:
  QtFormPeer(QtBackend& backend, Form& form);
  ~QtFormPeer() override;

  bool ownsMouse() const override { return true; }

  // Modal runs: the window becomes application-modal and hiding the form ends the loop.
  void beginModal(QEventLoop* loop);
  void endModal();
  // Puts the window above the others and gives it the keyboard focus.
  void bringForward();

 protected:
  void applyOwn(Prop prop) override;

 private:
  void applyFlags();
  void applyGeometry();
  void applyRegion();
  void applyVisibility();
  void applyFocus();

  Form& form_;
  QtFormWindow* window_;
  QPointer<QEventLoop> modalLoop_;
};

}  // namespace orvane::ui
