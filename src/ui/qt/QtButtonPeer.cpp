#include "ui/qt/QtButtonPeer.h"

#include <QPushButton>

#include "ui/Controls.h"
#include "ui/qt/QtConvert.h"

namespace orvane::ui {

QtButtonPeer::QtButtonPeer(QtBackend& backend, Button& button)
    : QtWidgetPeer(backend, button),
      button_(button),
      pushButton_(new QPushButton(QtWidgetPeer::qwidgetOf(button.parent()))) {
  pushButton_->setAutoDefault(false);
  QObject::connect(pushButton_, &QPushButton::clicked, guard(), [this] { clicked(); });
  attach(pushButton_);
}

// Button::click hands the modal result to the form before the click event runs.
void QtButtonPeer::clicked() {
  button_.click();
}

void QtButtonPeer::applyOwn(Prop prop) {
  switch (prop) {
    case Prop::Text:
      pushButton_->setText(toQString(button_.text()));
      break;
    default:
      break;
  }
}

}  // namespace orvane::ui
