// TCache: the command cache manager, the program's only way to the controller, and its
// one-second clock tick. It owns the serial port component and offers two paths to the
// wire: the queue of native writes (one per setting number, written out once per cache
// delay without waiting for replies) and the direct path (SendCommand writes one command
// at once and, when asked, waits for the reply up to the reply time-out). Its window is a
// diagnostic view of the queue and of received text nobody waited for.
//
// Replies. A reply is what arrives while a command waits. Pieces are joined until the text
// ends in "#" or the line has been quiet for a few character times, so a reply that
// arrives whole ends at once and one split over several receive events is not cut short.
//
// Thread: user-interface thread only. The port's receive events reach Read on this
// thread whenever it processes pending events (also inside the waits of SendCommand).
// Layer: link/, below profile/, sheets/ and persistence/; it may use ui/ and text/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/ClockTick.h"
#include "link/Comm.h"
#include "link/ControllerState.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace orvane {

// Millisecond fields: the reply time-out and the polling interval read with blanks as "0",
// a field of blanks only as 1000.
int MillisecondsOfField(std::string_view fieldText);
int CacheDelayTicks(std::string_view fieldText);

// The main window's fields the cache manager reads (reply time-out, cache delay) and the
// status-strip labels its tick shows the clocks in.
struct CacheFields {
  const ui::MaskEdit& timeOut;
  const ui::MaskEdit& cacheDelay;
  ui::Label& utcTime;
  ui::Label& computerTime;
  ui::Label& localTime;
  ui::Label& startime;
  const ui::Label& rightAscension;
  const ui::Label& declination;
};

class TCache : public ui::Form {
 public:
  // applicationTag: bit 2 shows the window.
  TCache(ui::Backend& backend, SerialDeviceFactory& devices, int applicationTag,
         ControllerState& controller, CacheFields fields, const ClockFields& sheetFields);
  ~TCache() override;

  std::unique_ptr<ui::ListBox> OutCache;
  std::unique_ptr<ui::ListBox> InCache;
  ui::Timer Timer;
  ui::Timer TimeOutTimer;
  TComm Comm1;

  // Traffic since start, for diagnostics: commands and bytes written, bytes read.
  struct Traffic {
    long long commands = 0;
    long long bytesOut = 0;
    long long bytesIn = 0;
  } traffic;

  bool ReceiveBusy = false;
  bool AwaitingReply = false;
  std::string ReplyText;

  // Writes command at once; with wait, returns the reply (empty after the time-out).
  std::string SendCommand(const std::string& command, bool wait);
  void WriteCommand(const std::string& command);
  void SendOutAll();
  void Flush();
  // Opens "Com" + port; true when the port is open afterwards.
  bool SetPort(int port);
  // True when the port was open and is closed now.
  bool ClosePort();
  void Read(std::uint32_t count);
  void Received(const std::string& chunk);
  void Comm1Error(int errors);
  // The device behind the open port failed; the connection logic takes it from here.
  std::function<void()> onLinkLost;

  // Queues a native write, replacing a queued one for the same setting number.
  void AddToCache(const std::string& command);
  // Withdraws the queued commands for setting number (every write when it is empty).
  void ClearEvents(const std::string& number);
  // Reloads the flush countdown from the main window's cache delay field.
  void SetCacheDelay();
  void TimerClick();
  // The observation schedule, once its window exists.
  void SetTickListener(TickListener* listener) { tickListener_ = listener; }

 private:
  void finishPartialReply();
  ControllerState& controller_;
  CacheFields fields_;
  const ClockFields& sheetFields_;
  TickListener* tickListener_ = nullptr;
  std::string partialReply_;
  long long partialSinceMs_ = 0;
};

}  // namespace orvane
