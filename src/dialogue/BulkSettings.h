// BulkSettings: the operations that move many settings at once or fix the controller's
// reply format: "Send current settings", "Receive current settings", the comparison of
// the sheets with the controller, restoring a backup, the reads after a controller has
// been found, and "Toggle High/Low Precision".
//
// Receiving, sending and comparing are transactions. One runs at a time: a click on
// another while one runs is kept and runs after it, a second click on the one running
// starts nothing. Polling stays off until the last of them has ended, also when the link
// is lost and found again meanwhile. A read or write that failed because the link went is
// tried again once the link is back (waiting a while for it); what still failed is
// reported at the end in the status line ("Status: 51 of 57 settings received", "Status:
// 3 settings not sent"), with the settings' sheets and labels in the status line's hint
// and in the trace window, and its controls marked as not confirmed. An edit made while
// all settings are received is kept and sent once they have been (the user's value wins).
// Every complete receive stores a backup of the controller's settings; every send stores
// one before it writes, reading the controller first unless a complete read since the
// last write on this connection says what it holds, and asks before sending when that
// read is incomplete.
// Owned by the main window.
// Thread: user-interface thread only.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/ControllerState.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Timer.h"

namespace orvane {

class CommandEngine;
class Connection;
class SettingsBackups;
class Sheets;
class TCache;
class TTraceForm;
struct ControlBinding;

// The identifier a setting is read by: the event's group text, with a "0" appended when it
// is exactly one character shorter than the event's number text (group "12" of number
// "120" is read as "120").
std::string ReadIdentifier(const std::string& group, const std::string& number);

// The main window's parts the bulk transfers report to.
struct BulkFields {
  ui::Label& status;
  ui::Label& sendAll;
  ui::Label& receiveAll;
  ui::Timer& updateTimer;
  const ui::Timer& startupTimer;
};

// A control whose value the controller holds otherwise (or did not tell), found by a
// comparison.
struct ComparedSetting {
  ui::Widget* control = nullptr;
  std::string sheet;            // the sheet's name
  std::string label;            // the row's label
  std::string sheetValue;       // what the control shows
  std::string controllerValue;  // what it would show of the controller's value
  bool read = false;            // the controller told its value
  long long number = -1;        // the setting read natively (its controls by exact number)
  ControlBinding* binding = nullptr;  // or the bound read that told it
  std::string value;            // the value as read (native value or rewritten reply)
};

struct Comparison {
  std::vector<ComparedSetting> differing;
  int settings = 0;  // settings read
  int received = 0;  // of which the controller told
  bool complete() const { return received == settings; }
};

class BulkSettings {
 public:
  BulkSettings(ui::Backend& backend, ControllerState& controller, BulkFields fields,
               ui::ColorScheme& scheme, Sheets& sheets, CommandEngine& engine,
               const Connection& connection);
  ~BulkSettings();
  // The windows and stores the transfers reach, once they exist.
  void SetCache(TCache* cache) { cache_ = cache; }
  void SetTrace(TTraceForm* trace) { trace_ = trace; }
  void SetBackups(SettingsBackups* backups) { backups_ = backups; }

  void SendAllSettings(ui::Label& sender);
  void ReceiveAllSettings(ui::Label& sender);
  void SetOrvaneSettings();
  void TogglePrecisionMode(ui::Label& sender);

  // Reads every setting into a comparison, the sheets untouched (their marks follow what
  // was found); progress hears of each read. Nothing when it cannot run now (no
  // connection, or another transfer runs): status says why; an empty status when a
  // command of the engine runs (the call came from inside its wait) and a moment later
  // will do.
  std::optional<Comparison> CompareWithController(
      const std::function<void(int done, int total)>& progress, std::string& status);
  // Puts a compared setting's controller value on the sheet (nothing is sent).
  void TakeControllerValue(const ComparedSetting& setting);
  // Sends a compared setting's sheet value (a backup of the controller's settings first,
  // when none was stored since the comparison); false when no controller is connected.
  bool SendSheetValue(const ComparedSetting& setting);
  // Puts a backup's values on the sheets and sends them; false (with status) when it cannot
  // (no controller, another transfer running, an unreadable file, or a backup of another
  // profile than the loaded one).
  bool RestoreBackup(const std::filesystem::path& file, std::string& status);

  // A controller was found: reconnected, the lost link's controller again; otherwise a
  // new one (after a port choice), of which nothing is known yet.
  void ConnectionMade(bool reconnected);
  // A transfer runs or waits to run.
  bool Busy() const { return running_ || !waiting_.empty(); }

  // How long a transfer waits for a lost link to come back before it gives up on what
  // the link took.
  static constexpr int kLinkBackWaitMs = 30000;

 private:
  enum class Kind { Receive, Send, Compare };
  struct Request {
    Kind kind;
    ui::Label* sender;
  };
  // One read of every setting: a native setting by its read command, or a bound read.
  struct PlannedRead {
    std::string command;
    long long number = -1;
    ControlBinding* binding = nullptr;
  };
  struct ReadOutcome {
    bool ok = false;
    std::string value;
    std::string why;
  };
  enum class ReadInto { Controls, Comparison };

  void request(Kind kind, ui::Label& sender);
  void runQueue(Request first);
  void receive(ui::Label& sender);
  void send(ui::Label& sender);
  // Stores a backup of what the controller holds before a write; false when the user
  // chose not to send after an incomplete read.
  bool backUpBeforeWriting();
  void storeBackup();
  std::vector<PlannedRead> planReads() const;
  ReadOutcome readOne(const PlannedRead& read, ReadInto into);
  // Reads every setting into the comparison (shared by the comparison and the backup
  // before a send).
  Comparison readIntoComparison(const std::function<void(int done, int total)>& progress);
  // Where a read's value shows ("Sheet: Label").
  std::string describe(const PlannedRead& read) const;
  void markUnread(const PlannedRead& read, const std::string& why);
  bool showsClock(const ui::Widget& control) const;
  // Waits, events running, for a lost link to come back; true when connected.
  bool waitForLink();
  // Waits for the queued setting writes to go out (and for the link, when it went).
  void waitForWrites();
  void report(const std::string& status, const std::vector<std::string>& missing,
              const std::string& what);
  void showProgress(const char* doing, int done, int total);
  bool linkUp() const { return controller_.ConnectedPort > 0; }
  bool aborted(unsigned long removals) const;
  bool shuttingDown() const;
  unsigned long writesSoFar() const;
  void startDeferred();

  ui::Backend& backend_;
  ControllerState& controller_;
  BulkFields fields_;
  ui::ColorScheme& scheme_;
  Sheets& sheets_;
  CommandEngine& engine_;
  const Connection& connection_;
  TCache* cache_ = nullptr;
  TTraceForm* trace_ = nullptr;
  SettingsBackups* backups_ = nullptr;

  std::optional<Kind> running_;
  std::deque<Request> waiting_;
  // Starts a transfer clicked inside a running command's wait, once that one is done.
  ui::Timer deferred_;
  // Whether a complete read on this connection, with no write since, says what the
  // controller holds.
  bool readComplete_ = false;
  unsigned long connectionsAtRead_ = 0;
  unsigned long writesAtRead_ = 0;
  unsigned long connections_ = 0;
  // A backup was stored since the last complete read.
  bool backedUp_ = false;
};

}  // namespace orvane
