#include "ui/qt/QtFormWindow.h"

#include <QCloseEvent>

#include "ui/Form.h"

namespace orvane::ui {

QtFormWindow::QtFormWindow(Form& form) : QWidget(nullptr, Qt::Window), form_(&form) {
  setAutoFillBackground(true);
  // Mouse moves without a button reach the form as they do in the program's toolkit.
  setMouseTracking(true);
}

void QtFormWindow::closeEvent(QCloseEvent* event) {
  // The form decides: with a close-request handler the program closes it (or not);
  // without one the form simply hides, as closing a window does.
  event->ignore();
  if (form_ == nullptr) return;
  if (form_->onCloseRequest) {
    form_->onCloseRequest(*form_);
  } else {
    form_->close();
  }
}

}  // namespace orvane::ui
