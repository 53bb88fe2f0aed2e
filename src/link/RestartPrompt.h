// RestartPrompt: the exchange with a controller that was switched off and on and waits to
// be told how to start. Callers whose command got no reply try it; the restart dialog
// above the link implements it and is handed in when the program is wired together.
// Thread: user-interface thread only.
#pragma once

#include <string>

namespace orvane {

class RestartPrompt {
 public:
  // The controller's version reply when it was waiting and has been started, else empty.
  virtual std::string TryRestart() = 0;

 protected:
  ~RestartPrompt() = default;
};

}  // namespace orvane
