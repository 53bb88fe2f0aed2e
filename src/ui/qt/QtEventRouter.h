// QtEventRouter: turns Qt's mouse, key and focus events into the widget layer's events.
//
// One application-wide event filter sees input before any Qt widget does, which is how a
// form with key preview sees keys before its controls. Mouse events go to the widget they
// were delivered to, with coordinates relative to that widget. Keys are taken only at their
// first receiver (the focus widget, or the window when no control has the focus), so that
// Qt's propagation of an unhandled key to the parents does not preview it twice. Focus
// changes that Qt makes by itself are reported to the form.
//
// The release of a key that holds a button down is kept back for a moment: a held key's
// repeat comes from the window system as a release and a press at the same moment, which
// the toolkit does not always mark as a repeat (a busy program reads the press later). A
// press of that key at the release's very moment is then a repeat, and the button stays
// down; otherwise the release is delivered when the moment has passed, or before the next
// key.
//
// Thread: user-interface thread only.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

#include "ui/Types.h"

class QKeyEvent;
class QMouseEvent;
class QFocusEvent;
class QWidget;

namespace orvane::ui {

class QtWidgetPeer;

class QtEventRouter : public QObject {
 public:
  QtEventRouter();
  ~QtEventRouter() override;

  // A Qt widget whose input belongs to peer: the peer's main widget, or an inner part of
  // it (the viewport of a list, the line edit of a combo box).
  void add(QWidget* widget, QtWidgetPeer* peer);
  void remove(QtWidgetPeer* peer);

  // The peer a Qt object belongs to: its own, or that of the nearest registered parent.
  QtWidgetPeer* owningPeer(QObject* object) const;

  // The program's global key, for windows that are not the program's own (message boxes);
  // true when the key was it and has acted.
  std::function<bool(int key, ShiftState shift)> globalKey;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool mouseEvent(QWidget* receiver, QtWidgetPeer& peer, QMouseEvent& event);
  bool keyPress(QWidget* receiver, QKeyEvent& event);
  bool keyRelease(QWidget* receiver, QKeyEvent& event);
  void focusIn(QWidget* receiver, QFocusEvent& event);
  void deliverRelease(QWidget* receiver, int key, ShiftState shift);
  void deliverHeldRelease();

  // How long a release that lets a button go is kept back.
  static constexpr int kRepeatGraceMs = 30;
  struct HeldRelease {
    QPointer<QWidget> receiver;
    int key = 0;
    ShiftState shift;
    unsigned long timestamp = 0;
  };

  QHash<QObject*, QtWidgetPeer*> peers_;
  std::optional<HeldRelease> heldRelease_;
  QTimer releaseTimer_;
};

}  // namespace orvane::ui
