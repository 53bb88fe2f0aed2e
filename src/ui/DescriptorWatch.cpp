#include "ui/DescriptorWatch.h"

#include "ui/Backend.h"

namespace orvane::ui {

DescriptorWatch::DescriptorWatch(Backend& backend, int descriptor) : descriptor_(descriptor) {
  peer_ = backend.createDescriptorWatchPeer(*this);
  if (peer_) peer_->update();
}

DescriptorWatch::~DescriptorWatch() = default;

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
  // A read handler may switch the watching off, or the owner may be told to go; the write
  // handler is looked at afresh.
  if (readable && reading_ && onReadable) onReadable(*this);
  if (writable && writing_ && onWritable) onWritable(*this);
}

}  // namespace orvane::ui
