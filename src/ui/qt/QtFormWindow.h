// QtFormWindow: the top-level Qt window of a ui::Form. It paints the form's colour and
// turns the window system's close request into the form's close-request event; everything
// else about the window is set by QtFormPeer.
// Thread: user-interface thread only.
#pragma once

#include <QWidget>

namespace orvane::ui {

class Form;

class QtFormWindow : public QWidget {
 public:
  explicit QtFormWindow(Form& form);
  // The form is going away; the window may outlive it until the event loop deletes it.
  void detach() { form_ = nullptr; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Form* form_;
};

}  // namespace orvane::ui
