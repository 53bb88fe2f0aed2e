// QtTrayPeer: a ui::TrayIcon as a QSystemTrayIcon. Visibility, hint and picture follow
// the tray icon; a left click (or double click) on the icon is a left mouse-down, the
// context click a right mouse-down (which opens the icon's pop-up menu through
// Backend::popupMenu), a middle click a middle mouse-down.
// Thread: user-interface thread only.
#pragma once

#include "ui/TrayIcon.h"

class QSystemTrayIcon;

namespace orvane::ui {

class QtTrayPeer : public TrayIconPeer {
 public:
  explicit QtTrayPeer(TrayIcon& tray);
  ~QtTrayPeer() override;
  QtTrayPeer(const QtTrayPeer&) = delete;
  QtTrayPeer& operator=(const QtTrayPeer&) = delete;

  void update() override;

 private:
  TrayIcon& tray_;
  // Deleted later: the peer may die inside the icon's own activation signal.
  QSystemTrayIcon* icon_;
};

}  // namespace orvane::ui
