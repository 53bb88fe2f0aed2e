// TCache: the command cache manager, the program's only way to the controller, and its
// one-second clock tick. This unit holds the window (a diagnostic view of the outgoing
// queue and the received log), the queue of native writes and the clock labels' tick.
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/Windows.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace orvane {

// Millisecond fields read the way the cache manager reads them.
int ReplyTimeoutMs(std::string_view fieldText);
int CacheDelayTicks(std::string_view fieldText);

class TCache : public ui::Form {
 public:
  explicit TCache(AppContext& context);
  ~TCache() override;

  std::unique_ptr<ui::ListBox> OutCache;
  std::unique_ptr<ui::ListBox> InCache;
  ui::Timer Timer;
  ui::Timer TimeOutTimer;

  // Queues a native write, replacing a queued one for the same setting number.
  void AddToCache(const std::string& command);
  // Withdraws queued commands whose text begins with ">" + number.
  void ClearEvents(const std::string& number);
  // Reloads the flush countdown from the main window's cache delay field.
  void SetCacheDelay();
  void TimerClick();

 private:
  AppContext& context_;
};

}  // namespace orvane
