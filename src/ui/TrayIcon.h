// Notification-area icon with its pop-up menu.
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Types.h"

namespace orvane::ui {

class Backend;

class PopupMenu {
 public:
  struct Item {
    std::string caption;
    bool isDefault = false;
    std::function<void()> onClick;
  };
  std::vector<Item> items;
  void add(std::string caption, std::function<void()> onClick, bool isDefault = false);
  // Runs the item with this caption as if it was chosen; false when there is none.
  bool choose(const std::string& caption);
};

class TrayIconPeer {
 public:
  virtual ~TrayIconPeer() = default;
  virtual void update() = 0;
};

class TrayIcon {
 public:
  explicit TrayIcon(Backend& backend);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  bool visible() const { return visible_; }
  void setVisible(bool visible);
  const std::string& hint() const { return hint_; }
  void setHint(std::string hint);
  const Image& icon() const { return icon_; }
  void setIcon(Image icon);
  PopupMenu& menu() { return menu_; }

  // Mouse press on the icon; the left button runs onLeftClick, other buttons open the menu.
  std::function<void()> onLeftClick;
  void mouseDown(MouseButton button);
  // Whether the desktop offers a notification area at all.
  bool available() const;

 private:
  Backend& backend_;
  bool visible_ = false;
  std::string hint_;
  Image icon_;
  PopupMenu menu_;
  std::unique_ptr<TrayIconPeer> peer_;
};

}  // namespace orvane::ui
