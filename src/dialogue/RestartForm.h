// TRestartForm: the dialog "Restarting Orvane", shown when a power-cycled controller waits
// to be told how to start (it answers the single byte 6 with "b#"). The user picks cold
// start, warm start or warm restart, which goes to the controller, or quits the program.
// TryRestart runs the whole exchange for callers whose command got no reply.
// Thread: user-interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/ControllerState.h"
#include "link/RestartPrompt.h"
#include "ui/ColorScheme.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace orvane {

class TCache;

class TRestartForm : public ui::Form, public RestartPrompt {
 public:
  // startupTimer: the program's phase (no version query once shutdown has begun).
  TRestartForm(ui::Backend& backend, ControllerState& controller, ui::ColorScheme& scheme,
               const ui::Timer& startupTimer, TCache& cache);

  // Ends the program ("Quit"), when installed.
  std::function<void()> exitProgram;

  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> Title, Message;
  std::unique_ptr<ui::Shape> ColdShape, WarmShape, RestartShape, QuitShape;
  std::unique_ptr<ui::Label> Cold, Warm, Restart, Quit;

  // The controller's version reply when the dialog was shown and answered, else empty.
  std::string TryRestart() override;

  void ColdClick() { chooseStartMode("bC#"); }
  void WarmClick() { chooseStartMode("bW#"); }
  void RestartClick() { chooseStartMode("bR#"); }
  void QuitClick();

 private:
  void chooseStartMode(const char* command);
  ControllerState& controller_;
  const ui::Timer& startupTimer_;
  TCache& cache_;
  bool quitChosen_ = false;
};

}  // namespace orvane
