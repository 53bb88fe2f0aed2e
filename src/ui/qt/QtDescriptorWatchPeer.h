// QtDescriptorWatchPeer: a ui::DescriptorWatch as two socket notifiers of the Qt event loop,
// one for reading and one for writing, each enabled while its kind is watched.
// Thread: user-interface thread only.
#pragma once

#include "ui/DescriptorWatch.h"

class QSocketNotifier;

namespace orvane::ui {

class QtDescriptorWatchPeer : public DescriptorWatchPeer {
 public:
  explicit QtDescriptorWatchPeer(DescriptorWatch& watch);
  ~QtDescriptorWatchPeer() override;
  QtDescriptorWatchPeer(const QtDescriptorWatchPeer&) = delete;
  QtDescriptorWatchPeer& operator=(const QtDescriptorWatchPeer&) = delete;

  void update() override;

 private:
  DescriptorWatch& watch_;
  // Deleted later rather than at once: the peer may go inside a notifier's own signal.
  QSocketNotifier* reading_;
  QSocketNotifier* writing_;
};

}  // namespace orvane::ui
