// QtButtonPeer: a ui::Button as a QPushButton; Qt's click is the button's click (which
// also closes a modal form with the button's modal result). A push button is drawn in the
// system's button colours (its own font colour is not used), so it follows the scheme. A
// caption too wide for its button is shown in a smaller font rather than cut off at both
// ends.
// Thread: user-interface thread only.
#pragma once

#include "ui/qt/QtWidgetPeer.h"

class QPushButton;

namespace orvane::ui {

class Button;

class QtButtonPeer : public QtWidgetPeer {
 public:
  QtButtonPeer(QtBackend& backend, Button& button);

 protected:
  void applyOwn(Prop prop) override;

 private:
  void clicked();
  void fitCaption();

  Button& button_;
  QPushButton* pushButton_;
};

}  // namespace orvane::ui
