#include "ui/qt/QtDescriptorWatchPeer.h"

#include <QSocketNotifier>

namespace orvane::ui {

QtDescriptorWatchPeer::QtDescriptorWatchPeer(DescriptorWatch& watch)
    : watch_(watch),
      reading_(new QSocketNotifier(watch.descriptor(), QSocketNotifier::Read)),
      writing_(new QSocketNotifier(watch.descriptor(), QSocketNotifier::Write)) {
  reading_->setEnabled(false);
  writing_->setEnabled(false);
  QObject::connect(reading_, &QSocketNotifier::activated, reading_,
                   [this] { watch_.ready(true, false); });
  QObject::connect(writing_, &QSocketNotifier::activated, writing_,
                   [this] { watch_.ready(false, true); });
}

QtDescriptorWatchPeer::~QtDescriptorWatchPeer() {
  for (QSocketNotifier* notifier : {reading_, writing_}) {
    notifier->setEnabled(false);
    QObject::disconnect(notifier, nullptr, nullptr, nullptr);
    notifier->deleteLater();
  }
}

void QtDescriptorWatchPeer::update() {
  reading_->setEnabled(watch_.watchesReading());
  writing_->setEnabled(watch_.watchesWriting());
}

}  // namespace orvane::ui
