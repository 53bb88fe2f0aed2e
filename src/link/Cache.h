// TCache: the command cache manager, the program's only way to the controller, and its
// one-second clock tick. It owns the serial port component and the command queue
// (CommandQueue), through which every command goes, one at a time. Two paths lead to the
// queue: the queued native writes (OutCache: one per setting number, written out once per
// cache delay as one burst between two commands, without waiting for replies) and the
// direct path (SendCommand: one command in turn, waiting for its reply when asked).
// Stop commands alone jump the queue (SendStopCommand). Its window is a diagnostic view of
// the queued writes and of received text nobody waited for.
//
// Replies. A reply is what arrives while a command waits. Pieces are joined until the text
// ends in "#" or the line has been quiet for a while, so a reply that arrives whole ends at
// once and one split over several receive events is not cut short. Received bytes nobody
// waits for are discarded before the next command is written; bytes the program wrote are
// never discarded.
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
#include "link/CommandQueue.h"
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

// One command of a sequence sent with SendSequence.
struct CommandStep {
  std::string command;
  bool wait = false;
  int pauseAfterMs = 0;  // more pause before the next command
};

class TCache : public ui::Form, private CommandWire {
 public:
  // applicationTag: bit 2 shows the window.
  TCache(ui::Backend& backend, SerialDeviceFactory& devices, int applicationTag,
         ControllerState& controller, CacheFields fields, const ClockFields& sheetFields);
  ~TCache() override;

  std::unique_ptr<ui::ListBox> OutCache;
  std::unique_ptr<ui::ListBox> InCache;
  ui::Timer Timer;
  TComm Comm1;

  // Traffic since start, for diagnostics: commands and bytes written (the queued setting
  // writes among them counted apart too), bytes read.
  struct Traffic {
    long long commands = 0;
    long long bytesOut = 0;
    long long bytesIn = 0;
    long long queuedWrites = 0;
    long long queuedWriteBytes = 0;
  } traffic;

  // Sends command in its turn; with wait, returns the reply (empty after the time-out).
  // Returns once the command is done: written, its pause over, its reply in.
  std::string SendCommand(const std::string& command, bool wait);
  // As SendCommand, telling also whether the command went onto the line.
  CommandResult Exchange(const std::string& command, bool wait);
  // Sends the commands back to back in one turn, so that nothing else comes between them;
  // with abandonOnStop, a stop withdraws those not yet written. The results in order.
  std::vector<CommandResult> SendSequence(const std::vector<CommandStep>& steps,
                                          bool abandonOnStop);
  // One command of a long run (the lines of a file transfer): sent in its turn and awaited
  // with events running all the while, its pause included, so that the windows stay
  // responsive and the stop buttons act at once however long the run takes. With wait, the
  // controller counts as ready for the next command as soon as its reply has come whole.
  CommandResult SendInRun(const std::string& command, bool wait);
  // Writes a command that stops the mount at once, ahead of everything waiting and also in
  // the middle of another command's wait; does not wait.
  void SendStopCommand(const std::string& command);
  // The reply time-out of the main window's field, in milliseconds.
  int ReplyTimeoutMs() const;
  // A command waits for its reply now.
  bool AwaitingReply() const { return queue_.AwaitingReply(); }
  CommandQueue& queue() { return queue_; }

  // Writes command to the port now (nothing when closed, and only the detection and
  // restart commands while no controller is connected).
  void WriteCommand(const std::string& command);
  // Hands the queued writes to the command queue, which writes them between commands.
  void SendOutAll();
  // Discards received input nobody waits for.
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
  // A queued setting write went onto the line.
  std::function<void(const std::string& command)> onSettingWritten;

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
  // The wire of the command queue.
  bool PutOnLine(const std::string& command) override;
  void DiscardStaleInput() override { Flush(); }
  double MsOnLine(std::size_t bytes) const override;

  std::vector<std::string> takeQueuedWrites();
  void putBackQueuedWrites(std::vector<std::string> unwritten);

  ControllerState& controller_;
  CacheFields fields_;
  const ClockFields& sheetFields_;
  TickListener* tickListener_ = nullptr;
  // An announcement began in a chunk without its end; its rest is no reply either.
  bool announcementOpen_ = false;
  // Last: its timer goes before the port and the windows it writes through.
  CommandQueue queue_;
};

}  // namespace orvane
