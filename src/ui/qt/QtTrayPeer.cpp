#include "ui/qt/QtTrayPeer.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

#include "ui/qt/QtConvert.h"

namespace orvane::ui {

namespace {

// A tray icon must show some picture; this one stands in until the program sets its own.
QIcon fallbackIcon() {
  QIcon icon = QApplication::windowIcon();
  if (!icon.isNull()) return icon;
  constexpr int kSize = 16;
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(QColor(0x80, 0, 0));
  return QIcon(pixmap);
}

}  // namespace

QtTrayPeer::QtTrayPeer(TrayIcon& tray)
    : tray_(tray), icon_(new QSystemTrayIcon(QCoreApplication::instance())) {
  QObject::connect(icon_, &QSystemTrayIcon::activated, icon_,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     switch (reason) {
                       case QSystemTrayIcon::Trigger:
                       case QSystemTrayIcon::DoubleClick:
                         tray_.mouseDown(MouseButton::Left);
                         break;
                       case QSystemTrayIcon::Context:
                         tray_.mouseDown(MouseButton::Right);
                         break;
                       case QSystemTrayIcon::MiddleClick:
                         tray_.mouseDown(MouseButton::Middle);
                         break;
                       default:
                         break;
                     }
                   });
}

QtTrayPeer::~QtTrayPeer() {
  QObject::disconnect(icon_, nullptr, nullptr, nullptr);
  icon_->hide();
  icon_->deleteLater();
}

void QtTrayPeer::update() {
  icon_->setToolTip(toQString(tray_.hint()));
  const QImage picture = toQImage(tray_.icon());
  icon_->setIcon(picture.isNull() ? fallbackIcon() : QIcon(QPixmap::fromImage(picture)));
  icon_->setVisible(tray_.visible());
}

}  // namespace orvane::ui
