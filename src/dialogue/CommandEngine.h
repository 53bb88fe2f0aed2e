// CommandEngine: runs the text commands a sheet control is bound to, and the read commands
// of the status strip. It builds the exact wire command (taking the value from the bound
// control for set commands), sends it through the cache manager, rewrites the reply into
// the form the control shows and writes it into the bound field.
//
// One command at a time. A call that arrives while another one waits for its reply (a
// click handled inside that wait) sits above the running call, which cannot finish before
// it; it is therefore kept and run as soon as the running call is done, instead of
// writing into the middle of the other's reply. The polling timer is off while a command
// runs.
// Owned by the main window; called by control events, polling, bulk transfers and
// alignment.
// Thread: user-interface thread only.
// Layer: dialogue/, below app/; it may use schedule/, transfer/, sheets/, profile/,
// persistence/, link/, ui/ and text/.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "link/ControllerState.h"
#include "transfer/TransferReport.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Edits.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace orvane {

class TCache;
class TSchedule;
class RestartPrompt;
class RangeErrorReport;
class Sheets;
struct ControlBinding;

// The main window's parts the engine reads and writes besides the bound controls.
struct EngineFields {
  ui::Form& window;
  ui::ComboBox& dimDisplay;
  ui::Label& togglePrecision;
  ui::Timer& updateTimer;
  const ui::Timer& startupTimer;
};

class CommandEngine {
 public:
  CommandEngine(ui::Backend& backend, ControllerState& controller, EngineFields fields,
                ui::ColorScheme& scheme, Sheets& sheets);
  // The windows the engine reaches, once they exist.
  void SetCache(TCache* cache) { cache_ = cache; }
  void SetRestartPrompt(RestartPrompt* restart) { restart_ = restart; }
  void SetRangeErrors(RangeErrorReport* errors) { rangeErrors_ = errors; }
  void SetSchedule(TSchedule* schedule) { schedule_ = schedule; }

  // Runs binding's command, or (without a binding) the first binding whose command is
  // command, or command alone. waitForReply counts only for ":SB". Returns the rewritten
  // reply, empty when none.
  std::string ExecuteCommand(ControlBinding* binding, const std::string& command,
                             bool waitForReply);
  std::string ExecuteCommand(const std::string& command) {
    return ExecuteCommand(nullptr, command, true);
  }
  // Runs a file transfer panel's binding (receive, send, clear) and tells watch how it goes:
  // the lines as they go through, and the outcome once it has run. Called inside another
  // command's wait, it runs once that one is done.
  void ExecuteTransfer(ControlBinding& binding, TransferWatch watch);
  // Commands kept while another one runs.
  size_t pendingCount() const { return pending_.size(); }
  // Runs binding's read command as ExecuteCommand does, but leaves its control as it is:
  // the rewritten reply, empty when none.
  std::string ReadWithoutShowing(ControlBinding& binding);
  // Set commands of bound controls that went onto the line since start.
  unsigned long settingWrites() const { return settingWrites_; }

 private:
  struct Pending {
    ControlBinding* binding;
    std::string command;
    bool waitForReply;
    unsigned long removals;  // the binding is valid while the sheets' removal count is this
    std::optional<TransferWatch> watch;  // a panel's transfer
  };
  std::string run(ControlBinding* binding, const std::string& command, bool waitForReply);
  // Runs a panel's transfer and reports it to watch (unless the panel went meanwhile).
  void runTransfer(ControlBinding* binding, const TransferWatch& watch);
  void runPending();
  ControlBinding* findBinding(const std::string& command) const;
  std::string dispatch(ControlBinding* binding, const std::string& command, bool waitForReply);
  // The set commands (their reply, empty when nothing was sent); nothing for other texts.
  std::optional<std::string> runSet(ControlBinding* binding, const std::string& command,
                                    bool waitForReply);
  // The read, memo and precision commands; empty for a text that matches nothing.
  std::string runRead(ControlBinding* binding, const std::string& command);
  // A value outside low..high opens the range-error box with the limits shown.
  bool withinLimits(ui::Widget& control, long long value, long long low, long long high,
                    double shownMinimum, double shownMaximum);
  // The rewritten reply of a read, or empty when its fields are out of range.
  static std::string checked(const char* command, std::string rewritten);
  // The ":O" commands of the file transfer panels (MemoTransfer.cpp).
  std::string download(ControlBinding* binding, const std::string& command);
  void upload(ControlBinding* binding);
  void clearMemory(const std::string& command);
  void reportProgress(int done, int total, unsigned long removals);
  std::string send(const std::string& wire, bool wait);
  // What the bound control's setting is now known to be, after its command ran (or could
  // not run without a connection).
  void noteOutcome(ControlBinding* binding, const std::string& command, const std::string& reply);

  bool shuttingDown() const;

  ui::Backend& backend_;
  ControllerState& controller_;
  EngineFields fields_;
  ui::ColorScheme& scheme_;
  Sheets& sheets_;
  TCache* cache_ = nullptr;
  RestartPrompt* restart_ = nullptr;
  RangeErrorReport* rangeErrors_ = nullptr;
  TSchedule* schedule_ = nullptr;
  std::vector<Pending> pending_;
  // The first binding of each command text, for the bindings the sheets hold now (their
  // removal count and number): the poll looks its reads up several times a second.
  mutable std::unordered_map<std::string, ControlBinding*> bindingIndex_;
  mutable unsigned long indexedRemovals_ = 0;
  mutable std::size_t indexedBindings_ = 0;
  // The command being run: whether it wrote anything, and whether that went onto the line.
  struct Sent {
    bool attempted = false;
    bool written = false;
  } sent_;
  bool showReply_ = true;
  unsigned long settingWrites_ = 0;
  // The transfer running now: who follows it, and how it went.
  const TransferWatch* watch_ = nullptr;
  TransferReport transfer_;
};

}  // namespace orvane
