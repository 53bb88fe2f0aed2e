// ClientTurns: how the commands of network clients (planetarium programs) take their turn
// on the line, for every server of the sharing layer. A client's commands yield to the
// program's own (a poll is held up by one client command at most, and clients take turns
// among themselves), every stop of the program or of a client withdraws those not written
// yet, and what belongs together goes out as one unit: a client's target with the slew or
// synchronisation that uses it, so that no other client's or window's command comes between
// them and the mount goes where that client asked.
// Thread: user-interface thread only (the command queue's).
// Layer: share/; uses link/ and schedule/'s command texts.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/Cache.h"

namespace orvane {

// Queues steps as one unit of a client: it yields to the program's own commands, nothing
// comes between its steps once the first is written, and a stop withdraws the steps not
// written. done gets every step's result in order once the last step has ended (withdrawn
// steps end Cancelled); it is not called when the queue goes before that.
void QueueClientSequence(TCache& cache, const std::vector<CommandStep>& steps,
                         std::function<void(const std::vector<CommandResult>&)> done);

// One command of a client, as a unit of its own.
void QueueClientCommand(TCache& cache, const CommandStep& step,
                        std::function<void(const CommandResult&)> done);

// The steps of a slew to a J2000 target, as manual targeting's "Go" sends them with
// J2000.0 chosen: target right ascension, the object name "unknown", target declination,
// the precession to the controller's date, the slew. The position is rounded to the second.
std::vector<CommandStep> J2000SlewSteps(double rightAscensionHours, double declinationDegrees);

// The steps of a unit that acts on a client's target: the target commands the client has
// given (wire forms, empty when not given) ahead of the command itself.
std::vector<CommandStep> TargetedSteps(const std::string& rightAscension,
                                       const std::string& declination, const std::string& command);

// Listens to every stop the command queue handles, for as long as it lives: a server
// withdraws there what its clients sent ahead and is not handled yet.
class StopSubscription {
 public:
  StopSubscription(CommandQueue& queue, std::function<void(const StopNotice&)> onStop);
  ~StopSubscription();
  StopSubscription(const StopSubscription&) = delete;
  StopSubscription& operator=(const StopSubscription&) = delete;

 private:
  CommandQueue& queue_;
  int id_;
};

}  // namespace orvane
