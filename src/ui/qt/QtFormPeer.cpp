#include "ui/qt/QtFormPeer.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>

#include "ui/Form.h"
#include "ui/qt/QtConvert.h"
#include "ui/qt/QtDesktopWindowType.h"
#include "ui/qt/QtFormWindow.h"

namespace orvane::ui {

QtFormPeer::QtFormPeer(QtBackend& backend, Form& form)
    : QtWidgetPeer(backend, form), form_(form), window_(new QtFormWindow(form)) {
  // A maximized form keeps covering the screen when the resolution changes.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QObject::connect(screen, &QScreen::geometryChanged, guard(), [this] {
      if (form_.maximized() && qwidget() != nullptr) applyGeometry();
    });
  }
  attach(window_);
}

QtFormPeer::~QtFormPeer() {
  if (modalLoop_) modalLoop_->quit();
  if (qwidget() != nullptr) window_->detach();
}

void QtFormPeer::beginModal(QEventLoop* loop) {
  modalLoop_ = loop;
  if (qwidget() == nullptr) return;
  // Modality takes effect when a window is shown.
  const bool shown = window_->isVisible();
  if (shown) window_->hide();
  window_->setWindowModality(Qt::ApplicationModal);
  if (shown) applyVisibility();
}

void QtFormPeer::bringForward() {
  if (qwidget() == nullptr || !window_->isVisible()) return;
  window_->raise();
  window_->activateWindow();
}

void QtFormPeer::endModal() {
  modalLoop_ = nullptr;
  if (qwidget() != nullptr) window_->setWindowModality(Qt::NonModal);
}

void QtFormPeer::applyOwn(Prop prop) {
  switch (prop) {
    case Prop::Geometry:
      applyGeometry();
      break;
    case Prop::Style:
      applyFlags();
      applyGeometry();
      applyRegion();
      break;
    case Prop::Visible:
      applyVisibility();
      break;
    case Prop::Text:
      window_->setWindowTitle(toQString(form_.text()));
      break;
    case Prop::Color:
      setRoleColor(QPalette::Window, toQColor(form_.color()));
      break;
    case Prop::Font:
      setRoleColor(QPalette::WindowText, toQColor(form_.font().color));
      break;
    case Prop::Focus:
      applyFocus();
      break;
    case Prop::Order:
      // Brought to the front: the window also takes the keys. A backdrop stays below.
      if (!form_.maximized() && !form_.backdrop()) bringForward();
      break;
    default:
      break;
  }
}

void QtFormPeer::applyFlags() {
  Qt::WindowFlags flags = Qt::Window;
  switch (form_.borderStyle()) {
    case BorderStyle::None:
      flags |= Qt::FramelessWindowHint;
      break;
    case BorderStyle::Single:
      break;
    case BorderStyle::ToolWindow:
      // A tool window has a small title bar and no task-bar entry.
      flags = Qt::Tool;
      break;
  }
  if (form_.stayOnTop()) flags |= Qt::WindowStaysOnTopHint;
  if (form_.backdrop()) {
    // Below the program's windows, never focused, in no task bar or window switcher: the
    // window manager treats it as the desktop, which lies under every window and is not
    // raised by a click.
    flags |= Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint | Qt::WindowDoesNotAcceptFocus;
  }
  window_->setAttribute(Qt::WA_ShowWithoutActivating, form_.backdrop());
  if (window_->windowFlags() == flags) return;
  // Changing the flags hides the window; show it again as the form says.
  window_->setWindowFlags(flags);
  applyVisibility();
}

void QtFormPeer::applyGeometry() {
  if (form_.maximized()) {
    // The backdrop: the whole primary screen, behind the other windows.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      window_->setGeometry(screen->geometry());
      return;
    }
  }
  window_->setGeometry(form_.left(), form_.top(), std::max(0, form_.width()),
                       std::max(0, form_.height()));
}

void QtFormPeer::applyRegion() {
  const auto& region = form_.region();
  if (!region) {
    window_->clearMask();
    return;
  }
  // Like a rounded-rectangle window region: the corner ellipse sizes are full widths,
  // Qt's radii are half of them.
  QPainterPath path;
  path.addRoundedRect(QRectF(0, 0, region->width, region->height), region->ellipseWidth / 2.0,
                      region->ellipseHeight / 2.0);
  window_->setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void QtFormPeer::applyVisibility() {
  if (!form_.visible()) {
    window_->hide();
    if (modalLoop_) modalLoop_->quit();
    return;
  }
  if (form_.backdrop() && !window_->isVisible()) MarkAsDesktopWindow(window_);
  if (form_.minimized()) {
    window_->showMinimized();
  } else if (window_->isMinimized()) {
    window_->showNormal();
  } else {
    window_->show();
  }
}

void QtFormPeer::applyFocus() {
  Widget* active = form_.activeControl();
  // A flat button draws its own focus mark and leaves the keys to the window, which hands
  // them to it (it must not lose the Qt focus while it blinks).
  const bool ownMark = active != nullptr && DrawsOwnFocusMark(*active);
  if (QWidget* target = active != nullptr && !ownMark ? QtWidgetPeer::qwidgetOf(active) : nullptr) {
    target->setFocus(Qt::OtherFocusReason);
    return;
  }
  // No active control (or a flat button): the window itself takes the keys.
  if (QWidget* focused = window_->focusWidget()) focused->clearFocus();
}

}  // namespace orvane::ui
