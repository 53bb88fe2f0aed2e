#include "ui/qt/QtEventRouter.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "ui/Form.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtWidgetPeer.h"

namespace orvane::ui {

namespace {

std::optional<MouseButton> buttonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return MouseButton::Left;
    case Qt::RightButton:
      return MouseButton::Right;
    case Qt::MiddleButton:
      return MouseButton::Middle;
    default:
      return std::nullopt;
  }
}

// Position of a mouse event relative to the peer's widget. A borderless form is moved only
// by the program, so its position as the program set it is exact even before the window
// system has carried out the last move; using it keeps a window that is dragged by its own
// mouse-move events from jittering. Other windows use what Qt reports.
QPoint localPosition(QtWidgetPeer& peer, QWidget* receiver, const QMouseEvent& event) {
  QWidget* target = peer.qwidget();
  Form* form = peer.widget().form();
  QWidget* window = target->window();
  if (form != nullptr && form->borderStyle() == BorderStyle::None && !form->maximized() &&
      window == QtWidgetPeer::qwidgetOf(form)) {
    const QPoint offset = target == window ? QPoint(0, 0) : target->mapTo(window, QPoint(0, 0));
    return event.globalPosition().toPoint() - QPoint(form->left(), form->top()) - offset;
  }
  const QPoint position = event.position().toPoint();
  return receiver == target ? position : receiver->mapTo(target, position);
}

// Keys go first to the window's focus widget (or the window itself when nothing has the
// focus) and then, when unhandled, to its parents; only the first delivery counts.
bool isFirstReceiver(QWidget* receiver) {
  QWidget* window = receiver->window();
  QWidget* focus = window->focusWidget();
  return focus != nullptr ? receiver == focus : receiver == window;
}

// A flat button with the focus leaves the Qt focus to its window (it must keep the focus
// while it blinks); keys reaching the window are the button's.
Widget& keyTargetOf(QtWidgetPeer& peer, Form& form) {
  Widget& target = peer.widget();
  Widget* active = form.activeControl();
  if (&target == &form && active != nullptr && DrawsOwnFocusMark(*active)) return *active;
  return target;
}

}  // namespace

QtEventRouter::QtEventRouter() {
  releaseTimer_.setSingleShot(true);
  connect(&releaseTimer_, &QTimer::timeout, this, [this] { deliverHeldRelease(); });
}

QtEventRouter::~QtEventRouter() = default;

void QtEventRouter::add(QWidget* widget, QtWidgetPeer* peer) {
  if (widget == nullptr) return;
  peers_.insert(widget, peer);
  connect(widget, &QObject::destroyed, this, [this](QObject* gone) { peers_.remove(gone); });
}

void QtEventRouter::remove(QtWidgetPeer* peer) {
  for (auto it = peers_.begin(); it != peers_.end();) {
    if (it.value() == peer) {
      it = peers_.erase(it);
    } else {
      ++it;
    }
  }
}

QtWidgetPeer* QtEventRouter::owningPeer(QObject* object) const {
  for (QObject* o = object; o != nullptr; o = o->parent()) {
    if (QtWidgetPeer* peer = peers_.value(o, nullptr)) return peer;
  }
  return nullptr;
}

bool QtEventRouter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      QtWidgetPeer* peer = peers_.value(watched, nullptr);
      // Disabled widgets get no mouse input; Qt passes it on to the parent instead.
      if (peer == nullptr || peer->qwidget() == nullptr || !peer->qwidget()->isEnabled()) {
        return false;
      }
      return mouseEvent(static_cast<QWidget*>(watched), *peer, *static_cast<QMouseEvent*>(event));
    }
    case QEvent::KeyPress:
      if (!watched->isWidgetType()) return false;
      return keyPress(static_cast<QWidget*>(watched), *static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
      if (!watched->isWidgetType()) return false;
      return keyRelease(static_cast<QWidget*>(watched), *static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
      if (watched->isWidgetType()) {
        focusIn(static_cast<QWidget*>(watched), *static_cast<QFocusEvent*>(event));
      }
      return false;
    default:
      return false;
  }
}

bool QtEventRouter::mouseEvent(QWidget* receiver, QtWidgetPeer& peer, QMouseEvent& event) {
  Widget& widget = peer.widget();
  const QPoint at = localPosition(peer, receiver, event);
  const ShiftState shift = shiftStateOf(event.modifiers());
  QPointer<QObject> alive(peer.guard());
  const bool owns = peer.ownsMouse();
  if (owns) event.accept();

  if (event.type() == QEvent::MouseMove) {
    widget.mouseMove(shift, at.x(), at.y());
    return owns || !alive;
  }
  std::optional<MouseButton> button = buttonOf(event.button());
  if (!button) return owns;

  switch (event.type()) {
    case QEvent::MouseButtonPress:
      if (*button == MouseButton::Left) peer.setLeftPressed(true);
      // The focus follows the click, also the click that activates the window (after a
      // dialog closed): Qt then reports the focus as the window's activation, which would
      // hand it back to the control focused before.
      if (!owns && widget.canFocus() && !DrawsOwnFocusMark(widget)) {
        if (Form* form = widget.form(); form != nullptr && form->activeControl() != &widget) {
          form->noteFocus(&widget);
          if (!alive) return true;
        }
      }
      widget.mouseDown(*button, shift, at.x(), at.y());
      break;
    case QEvent::MouseButtonDblClick:
      widget.doubleClick();
      if (alive) widget.mouseDown(*button, shift, at.x(), at.y());
      break;
    case QEvent::MouseButtonRelease: {
      // A click is a left press and release on the same painted widget, released inside it.
      const bool inside =
          at.x() >= 0 && at.y() >= 0 && at.x() < widget.width() && at.y() < widget.height();
      const bool clicked = *button == MouseButton::Left && owns && peer.leftPressed() && inside;
      if (*button == MouseButton::Left) peer.setLeftPressed(false);
      if (clicked) widget.click();
      if (alive) widget.mouseUp(*button, shift, at.x(), at.y());
      break;
    }
    default:
      break;
  }
  return owns || !alive;
}

bool QtEventRouter::keyPress(QWidget* receiver, QKeyEvent& event) {
  if (!isFirstReceiver(receiver)) return false;
  bool repeated = event.isAutoRepeat();
  if (heldRelease_) {
    // The same key at the very moment of its release: the keyboard's repeat.
    if (event.timestamp() == heldRelease_->timestamp && keyCodeOf(event) == heldRelease_->key) {
      heldRelease_.reset();
      releaseTimer_.stop();
      repeated = true;
    } else {
      deliverHeldRelease();
    }
  }
  QtWidgetPeer* peer = owningPeer(receiver);
  if (peer == nullptr) {
    const int code = keyCodeOf(event);
    return globalKey && !repeated && globalKey(code, shiftStateOf(event.modifiers()));
  }
  Form* form = peer->widget().form();
  if (form == nullptr) return false;
  Widget& target = keyTargetOf(*peer, *form);
  QPointer<QObject> alive(peer->guard());
  const ShiftState shift = shiftStateOf(event.modifiers());

  // Tab walks the form's controls in the program's tab order (not Qt's creation order).
  const bool tab = event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab;
  if (tab && !shift.ctrl && !shift.alt && receiver->window()->windowType() != Qt::Popup) {
    const bool forward = !(shift.shift || event.key() == Qt::Key_Backtab);
    form->selectNext(form->activeControl(), forward);
    return true;
  }

  const int code = keyCodeOf(event);
  if (code != 0) {
    if (form->previewKeyDown(target, code, shift)) return true;
    if (!alive) return true;
    if (&target != form && target.onKeyDown) {
      int key = code;
      target.onKeyDown(target, key, shift);
      if (!alive || key == 0) return true;
    }
    if (form->pressFlatButton(target, code, repeated)) return true;
  }
  return peer->keyPressed(event, *form) || !alive;
}

bool QtEventRouter::keyRelease(QWidget* receiver, QKeyEvent& event) {
  if (event.isAutoRepeat() || !isFirstReceiver(receiver)) return false;
  deliverHeldRelease();  // an earlier key's, first
  QtWidgetPeer* peer = owningPeer(receiver);
  if (peer == nullptr) return false;
  const int code = keyCodeOf(event);
  if (code == 0) return false;
  const ShiftState shift = shiftStateOf(event.modifiers());
  // A release without a time (made up by the program, not typed) is no repeat's.
  Form* form = peer->widget().form();
  if (form != nullptr && event.timestamp() != 0 && form->holdsButtonByKey(code)) {
    heldRelease_ = HeldRelease{receiver, code, shift, event.timestamp()};
    releaseTimer_.start(kRepeatGraceMs);
    return false;
  }
  deliverRelease(receiver, code, shift);
  return false;
}

void QtEventRouter::deliverHeldRelease() {
  if (!heldRelease_) return;
  const HeldRelease held = *heldRelease_;
  heldRelease_.reset();
  releaseTimer_.stop();
  if (held.receiver) deliverRelease(held.receiver, held.key, held.shift);
}

void QtEventRouter::deliverRelease(QWidget* receiver, int key, ShiftState shift) {
  QtWidgetPeer* peer = owningPeer(receiver);
  if (peer == nullptr) return;
  if (Form* form = peer->widget().form()) {
    form->keyUp(keyTargetOf(*peer, *form), key, shift);
  } else {
    peer->widget().keyUp(key, shift);
  }
}

void QtEventRouter::focusIn(QWidget* receiver, QFocusEvent& event) {
  QtWidgetPeer* peer = owningPeer(receiver);
  if (peer == nullptr || peer->widget().kind() == WidgetKind::Form) return;
  Widget& control = peer->widget();
  Form* form = control.form();
  if (form == nullptr || form->activeControl() == &control) return;
  if (event.reason() == Qt::ActiveWindowFocusReason) {
    // Qt focuses a control of its own choosing when a window is activated; the form's own
    // choice (possibly none) wins, as it does when a form is activated in the program.
    if (QtWidgetPeer* formPeer = QtWidgetPeer::of(form)) {
      QMetaObject::invokeMethod(
          formPeer->guard(), [formPeer] { formPeer->apply(Prop::Focus); }, Qt::QueuedConnection);
    }
    return;
  }
  form->noteFocus(&control);
}

}  // namespace orvane::ui
