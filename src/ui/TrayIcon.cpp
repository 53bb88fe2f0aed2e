#include "ui/TrayIcon.h"

#include "ui/Backend.h"

namespace orvane::ui {

void PopupMenu::add(std::string caption, std::function<void()> onClick, bool isDefault) {
  items.push_back(Item{std::move(caption), isDefault, std::move(onClick)});
}

bool PopupMenu::choose(const std::string& caption) {
  for (Item& item : items) {
    if (item.caption == caption) {
      if (item.onClick) item.onClick();
      return true;
    }
  }
  return false;
}

TrayIcon::TrayIcon(Backend& backend) : backend_(backend) {
  peer_ = backend_.createTrayIconPeer(*this);
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (peer_) peer_->update();
}

void TrayIcon::setHint(std::string hint) {
  hint_ = std::move(hint);
  if (peer_) peer_->update();
}

void TrayIcon::setIcon(Image icon) {
  icon_ = std::move(icon);
  if (peer_) peer_->update();
}

void TrayIcon::mouseDown(MouseButton button) {
  if (button == MouseButton::Left) {
    if (onLeftClick) onLeftClick();
  } else {
    backend_.popupMenu(menu_);
  }
}

bool TrayIcon::available() const { return backend_.trayAvailable(); }

}  // namespace orvane::ui
