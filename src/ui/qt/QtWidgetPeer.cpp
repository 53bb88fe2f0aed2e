#include "ui/qt/QtWidgetPeer.h"

#include <QKeyEvent>
#include <algorithm>

#include "ui/Form.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtEventRouter.h"

namespace orvane::ui {

QtWidgetPeer::QtWidgetPeer(QtBackend& backend, Widget& widget)
    : backend_(backend), widget_(widget), guard_(std::make_unique<QObject>()) {}

QtWidgetPeer::~QtWidgetPeer() {
  backend_.router().remove(this);
  // Disconnects every signal connection made with the guard as context.
  guard_.reset();
  if (QWidget* w = qwidget_.data()) {
    w->hide();
    w->deleteLater();
  }
}

void QtWidgetPeer::attach(QWidget* qwidget) {
  qwidget_ = qwidget;
  backend_.router().add(qwidget, this);
  constexpr Prop kInitial[] = {Prop::Geometry, Prop::Enabled, Prop::Font,      Prop::Color,
                               Prop::Hint,     Prop::Style,   Prop::Mask,      Prop::Items,
                               Prop::Cells,    Prop::Text,    Prop::Selection, Prop::Picture};
  for (Prop prop : kInitial) apply(prop);
  apply(Prop::Visible);
}

void QtWidgetPeer::apply(Prop prop) {
  QWidget* w = qwidget_.data();
  if (w == nullptr) return;
  ApplyScope scope(*this);
  switch (prop) {
    case Prop::Geometry:
      if (widget_.kind() != WidgetKind::Form) {
        w->setGeometry(widget_.left(), widget_.top(), std::max(0, widget_.width()),
                       std::max(0, widget_.height()));
      }
      break;
    case Prop::Visible:
      if (widget_.kind() != WidgetKind::Form) w->setVisible(widget_.visible());
      break;
    case Prop::Enabled:
      w->setEnabled(widget_.enabled());
      break;
    case Prop::Font:
      w->setFont(toQFont(widget_.font()));
      break;
    case Prop::Hint:
      w->setToolTip(widget_.showHint() ? toQString(widget_.hint()) : QString());
      break;
    case Prop::Order:
      w->raise();
      break;
    case Prop::Repaint:
      w->repaint();
      break;
    default:
      break;
  }
  applyOwn(prop);
}

bool QtWidgetPeer::keyPressed(QKeyEvent& event, Form& form) {
  char ch = keyCharOf(event);
  if (ch == 0) return false;
  QPointer<QObject> alive(guard());
  if (form.previewKeyPress(widget_, ch)) return true;
  if (!alive) return true;
  if (&widget_ != &form && widget_.onKeyPress) {
    char key = ch;
    widget_.onKeyPress(widget_, key);
    if (!alive || key == 0) return true;
  }
  return false;
}

void QtWidgetPeer::setRoleColor(QPalette::ColorRole role, const QColor& color) {
  QWidget* w = qwidget_.data();
  if (w == nullptr) return;
  QPalette palette = w->palette();
  if (palette.isBrushSet(QPalette::Active, role) &&
      palette.color(QPalette::Active, role) == color) {
    return;
  }
  const bool textRole =
      role == QPalette::Text || role == QPalette::WindowText || role == QPalette::ButtonText;
  if (textRole) {
    // Disabled controls keep the greyed text of the palette.
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
  } else {
    palette.setColor(role, color);
  }
  w->setPalette(palette);
}

void QtWidgetPeer::applyFieldColors() {
  setRoleColor(QPalette::Base, toQColor(widget_.color()));
  setRoleColor(QPalette::Text, toQColor(widget_.font().color));
}

QtWidgetPeer* QtWidgetPeer::of(const Widget* widget) {
  if (widget == nullptr) return nullptr;
  return dynamic_cast<QtWidgetPeer*>(widget->peer());
}

QWidget* QtWidgetPeer::qwidgetOf(const Widget* widget) {
  QtWidgetPeer* peer = of(widget);
  return peer != nullptr ? peer->qwidget() : nullptr;
}

}  // namespace orvane::ui
