// QtPaintedPeer: the peer of the drawn controls (panel, label, shape, image button). They
// keep their mouse input, so a press on a label reaches the label and not its parent, and
// a press and release inside the control is a click. An auto-sized label is shown at the
// size of its text in the real font.
// Thread: user-interface thread only.
#pragma once

#include "ui/qt/QtWidgetPeer.h"

namespace orvane::ui {

class QtPaintedWidget;

class QtPaintedPeer : public QtWidgetPeer {
 public:
  QtPaintedPeer(QtBackend& backend, Widget& widget);
  ~QtPaintedPeer() override;
  bool ownsMouse() const override { return true; }

 protected:
  void applyOwn(Prop prop) override;

 private:
  void fitAutoSizedLabel();

  QtPaintedWidget* painted_;
};

}  // namespace orvane::ui
