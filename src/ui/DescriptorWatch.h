// DescriptorWatch: tells the user-interface thread that a file descriptor (a network
// socket) can be read or written without blocking. Like a timer's tick, the handlers run
// only while that thread processes pending events (the message loop, or a wait that lets
// events run), never on another thread, so a socket needs no lock and no thread of its own.
// Readiness is reported for as long as it lasts: a handler that leaves bytes unread is
// called again. Watching for writability is off until asked for, as a socket can almost
// always be written.
// The descriptor stays the owner's: it must stay open while the watch exists, and the owner
// closes it after destroying the watch.
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <memory>

namespace orvane::ui {

class Backend;
class DescriptorWatch;

class DescriptorWatchPeer {
 public:
  virtual ~DescriptorWatchPeer() = default;
  // Which kinds of readiness are watched changed.
  virtual void update() = 0;
};

class DescriptorWatch {
 public:
  DescriptorWatch(Backend& backend, int descriptor);
  ~DescriptorWatch();
  DescriptorWatch(const DescriptorWatch&) = delete;
  DescriptorWatch& operator=(const DescriptorWatch&) = delete;

  int descriptor() const { return descriptor_; }
  // Reading is watched from the start; both can be switched off, e.g. before the owner
  // closes a connection it is done with.
  bool watchesReading() const { return reading_; }
  void setWatchReading(bool watch);
  bool watchesWriting() const { return writing_; }
  void setWatchWriting(bool watch);

  std::function<void(DescriptorWatch&)> onReadable;
  std::function<void(DescriptorWatch&)> onWritable;

  // Called by the backend with what the descriptor is ready for; a handler runs only for a
  // kind still watched at that moment. A handler may destroy the watch.
  void ready(bool readable, bool writable);

 private:
  int descriptor_;
  bool reading_ = true;
  bool writing_ = false;
  std::unique_ptr<DescriptorWatchPeer> peer_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace orvane::ui
