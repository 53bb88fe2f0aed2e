#include "ui/DescriptorWatch.h"

#include "ui/Backend.h"

namespace orvane::ui {

DescriptorWatch::DescriptorWatch(Backend& backend, int descriptor) : descriptor_(descriptor) {
  peer_ = backend.createDescriptorWatchPeer(*this);
  if (peer_) peer_->update();
}

DescriptorWatch::~DescriptorWatch() {
  *alive_ = false;
}

void DescriptorWatch::setWatchReading(bool watch) {
  if (watch == reading_) return;
  reading_ = watch;
  if (peer_) peer_->update();
}

void DescriptorWatch::setWatchWriting(bool watch) {
  if (watch == writing_) return;
  writing_ = watch;
  if (peer_) peer_->update();
}

void DescriptorWatch::ready(bool readable, bool writable) {
  // A handler may switch the watching off or end the watch itself: each runs from a copy,
  // and nothing of the watch is touched once it is gone.
  const std::shared_ptr<bool> alive = alive_;
  if (readable && reading_ && onReadable) {
    const auto handler = onReadable;
    handler(*this);
    if (!*alive) return;
  }
  if (writable && writing_ && onWritable) {
    const auto handler = onWritable;
    handler(*this);
  }
}

}  // namespace orvane::ui
