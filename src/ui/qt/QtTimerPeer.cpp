#include "ui/qt/QtTimerPeer.h"

#include <QTimer>

namespace orvane::ui {

QtTimerPeer::QtTimerPeer(Timer& timer) : timer_(timer), qtimer_(new QTimer) {
  QObject::connect(qtimer_, &QTimer::timeout, qtimer_, [this] { timer_.tick(); });
}

QtTimerPeer::~QtTimerPeer() {
  qtimer_->stop();
  QObject::disconnect(qtimer_, nullptr, nullptr, nullptr);
  qtimer_->deleteLater();
}

void QtTimerPeer::update() {
  if (timer_.running()) {
    qtimer_->setTimerType(timer_.precise() ? Qt::PreciseTimer : Qt::CoarseTimer);
    qtimer_->start(timer_.periodMs());
  } else {
    qtimer_->stop();
  }
}

}  // namespace orvane::ui
