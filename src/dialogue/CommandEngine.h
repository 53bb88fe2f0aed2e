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
// Owned by the main window.
// Thread: user-interface thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane {

class TMainForm;
struct ControlBinding;
namespace ui {
class Widget;
}

class CommandEngine {
 public:
  explicit CommandEngine(TMainForm& main);

  // Runs binding's command, or (without a binding) the first binding whose command is
  // command, or command alone. waitForReply counts only for ":SB". Returns the rewritten
  // reply, empty when none.
  std::string ExecuteCommand(ControlBinding* binding, const std::string& command,
                             bool waitForReply);
  std::string ExecuteCommand(const std::string& command) {
    return ExecuteCommand(nullptr, command, true);
  }
  // Commands kept while another one runs.
  size_t pendingCount() const { return pending_.size(); }

 private:
  struct Pending {
    ControlBinding* binding;
    std::string command;
    bool waitForReply;
    unsigned long removals;  // the binding is valid while the sheets' removal count is this
  };
  std::string run(ControlBinding* binding, const std::string& command, bool waitForReply);
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
  std::string download(ControlBinding* binding, const std::string& command);
  void upload(ControlBinding* binding);
  std::string send(const std::string& wire, bool wait);

  TMainForm& main_;
  std::vector<Pending> pending_;
};

}  // namespace orvane
