// QtWidgetPeer: the Qt counterpart of one ui::Widget. It owns a real QWidget, mirrors every
// property change of the widget onto it (apply), and is what the event router hands the
// widget's mouse and key input to. Kind-specific peers derive from it and handle the
// properties only they have (applyOwn).
//
// The ui::Widget holds all state; the QWidget only shows it. A peer is created by
// QtBackend::createPeer and destroyed first thing in the widget's destructor. Its QWidget
// is hidden at once and deleted later by the event loop, because the peer may die inside
// one of that QWidget's own event handlers (a click that removes the sheet it sits on).
// Qt deletes child QWidgets with their parent, so qwidget() may turn null while the peer
// lives; every use checks it.
//
// Thread: user-interface thread only.
#pragma once

#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "ui/Widget.h"

class QKeyEvent;

namespace orvane::ui {

class Form;

class QtBackend;

class QtWidgetPeer : public WidgetPeer {
 public:
  QtWidgetPeer(QtBackend& backend, Widget& widget);
  ~QtWidgetPeer() override;
  QtWidgetPeer(const QtWidgetPeer&) = delete;
  QtWidgetPeer& operator=(const QtWidgetPeer&) = delete;

  // Takes the Qt widget built by the subclass, registers it for input and copies the
  // widget's whole state onto it. Called once, right after construction.
  void attach(QWidget* qwidget);

  void apply(Prop prop) final;

  Widget& widget() const { return widget_; }
  QWidget* qwidget() const { return qwidget_.data(); }
  QtBackend& backend() const { return backend_; }
  // An object that lives exactly as long as the peer: the context of its signal
  // connections and, through a QPointer, the router's check that the peer survived a call
  // into the program.
  QObject* guard() const { return guard_.get(); }

  // Painted widgets keep their mouse input; native controls let Qt handle it as well.
  virtual bool ownsMouse() const { return false; }
  // A key pressed on this control, after the form's key preview and the control's key-down
  // handler. Returns true when the key was consumed and Qt must not see it. The default
  // runs the form's key-press preview and the control's key-press handler for the typed
  // character and leaves the key to Qt unless one of them zeroed it.
  virtual bool keyPressed(QKeyEvent& event, Form& form);

  // Left button pressed on this widget and not yet released (a click is a press and a release on the same widget).
  bool leftPressed() const { return leftPressed_; }
  void setLeftPressed(bool pressed) { leftPressed_ = pressed; }

  // The Qt peer of a widget, or null (no widget, or not made by this backend).
  static QtWidgetPeer* of(const Widget* widget);
  // The Qt widget that children of widget are placed on.
  static QWidget* qwidgetOf(const Widget* widget);

 protected:
  // Kind-specific part of apply(); called for every property after the common part.
  virtual void applyOwn(Prop prop) { (void)prop; }
  // Sets one palette colour of the Qt widget, in all colour groups.
  void setRoleColor(QPalette::ColorRole role, const QColor& color);
  // Fields and lists: the widget's colour is the background, its font colour the text.
  void applyFieldColors();
  // True while the peer writes to its Qt widget, so that the Qt widget's change signals
  // are not mistaken for user input.
  bool applying() const { return applying_ > 0; }
  class ApplyScope {
   public:
    explicit ApplyScope(QtWidgetPeer& peer) : peer_(peer) { ++peer_.applying_; }
    ~ApplyScope() { --peer_.applying_; }
    ApplyScope(const ApplyScope&) = delete;
    ApplyScope& operator=(const ApplyScope&) = delete;

   private:
    QtWidgetPeer& peer_;
  };

 private:
  QtBackend& backend_;
  Widget& widget_;
  QPointer<QWidget> qwidget_;
  std::unique_ptr<QObject> guard_;
  int applying_ = 0;
  bool leftPressed_ = false;
};

}  // namespace orvane::ui
