// Helpers for the Qt backend tests: a backend per test, input events sent through Qt's
// normal delivery (QCoreApplication::sendEvent, so the backend's event filter sees them as
// it sees real input), and waits that loop on a condition with a bounded number of rounds.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtWidgetPeer.h"

namespace orvane::test {

inline QWidget* qwidgetOf(const ui::Widget& widget) {
  return ui::QtWidgetPeer::qwidgetOf(&widget);
}

// Processes events until condition holds. Each round waits for the next event (a
// repeating wake-up guarantees there is one), so no time is spent in fixed sleeps; gives up
// after maxRounds.
inline bool waitUntil(const std::function<bool()>& condition, int maxRounds = 500) {
  QTimer wakeUp;
  wakeUp.start(20);
  for (int round = 0; round < maxRounds; ++round) {
    if (condition()) return true;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return condition();
}

// Where a key typed now arrives first: the window's focus widget, or the window itself.
inline QWidget* keyReceiver(const ui::Form& form) {
  QWidget* window = qwidgetOf(form);
  QWidget* focus = window->focusWidget();
  return focus != nullptr ? focus : window;
}

inline void pressKey(QWidget* receiver, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QCoreApplication::sendEvent(receiver, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QCoreApplication::sendEvent(receiver, &release);
}

// Types a Latin-1 character as the keyboard would.
inline void typeChar(QWidget* receiver, char ch) {
  const QChar qch(static_cast<unsigned char>(ch));
  int key = qch.toUpper().unicode();
  if (ch == ' ') key = Qt::Key_Space;
  pressKey(receiver, key, Qt::NoModifier, QString(qch));
}

inline void sendMouse(QWidget* receiver, QEvent::Type type, QPoint local, QPoint global,
                      Qt::MouseButton button = Qt::LeftButton) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                : type == QEvent::MouseMove ? Qt::MouseButtons(Qt::LeftButton)
                                                            : Qt::MouseButtons(button);
  QMouseEvent event(type, QPointF(local), QPointF(global),
                    type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(receiver, &event);
}

// A backend and a form for each test; the form is shown and active, so that Qt gives it
// keyboard focus as it would on a desktop.
class QtBackendTest : public ::testing::Test {
 protected:
  QtBackendTest()
      : backend(*qobject_cast<QApplication*>(QCoreApplication::instance())),
        form(std::make_unique<ui::Form>(backend, "TestForm")) {
    form->setBounds(100, 80, 400, 300);
  }
  ~QtBackendTest() override {
    form.reset();
    // Let the event loop delete what the destroyed peers left behind.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void showForm() {
    form->show();
    QWidget* window = qwidgetOf(*form);
    window->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == window; }));
  }

  ui::QtBackend backend;
  std::unique_ptr<ui::Form> form;
};

}  // namespace orvane::test
