#include "share/ClientTurns.h"

#include <memory>
#include <utility>

#include "schedule/SlewCommands.h"
#include "share/StellariumProtocol.h"

namespace orvane {

namespace {
// The controller needs a moment after the object name before the next target command.
constexpr int kAfterNamePauseMs = 60;
}  // namespace

void QueueClientSequence(TCache& cache, const std::vector<CommandStep>& steps,
                         std::function<void(const std::vector<CommandResult>&)> done) {
  struct Progress {
    std::vector<CommandResult> results;
    size_t ended = 0;
    std::function<void(const std::vector<CommandResult>&)> done;
  };
  auto progress = std::make_shared<Progress>();
  progress->results.resize(steps.size());
  progress->done = std::move(done);
  std::vector<CommandRequest> requests;
  for (size_t i = 0; i < steps.size(); ++i) {
    CommandRequest request;
    request.command = steps[i].command;
    request.wantsReply = steps[i].wait;
    request.replyTimeoutMs = cache.ReplyTimeoutMs();
    request.pauseAfterMs = steps[i].pauseAfterMs;
    request.abandonOnStop = true;
    request.yields = true;
    request.done = [progress, i](const CommandResult& result) {
      progress->results[i] = result;
      if (++progress->ended == progress->results.size() && progress->done) {
        progress->done(progress->results);
      }
    };
    requests.push_back(std::move(request));
  }
  cache.queue().SubmitAll(std::move(requests));
}

void QueueClientCommand(TCache& cache, const CommandStep& step,
                        std::function<void(const CommandResult&)> done) {
  QueueClientSequence(cache, {step},
                      [done = std::move(done)](const std::vector<CommandResult>& results) {
                        if (done) done(results.front());
                      });
}

std::vector<CommandStep> J2000SlewSteps(double rightAscensionHours, double declinationDegrees) {
  return {
      {RightAscensionCommand(RightAscensionFieldText(rightAscensionHours)), true},
      {ObjectNameCommand("unknown"), false, kAfterNamePauseMs},
      {DeclinationCommand(DeclinationFieldText(declinationDegrees)), true},
      {":Sp#", true},
      {":MS#", true},
  };
}

std::vector<CommandStep> TargetedSteps(const std::string& rightAscension,
                                       const std::string& declination, const std::string& command) {
  std::vector<CommandStep> steps;
  if (!rightAscension.empty()) steps.push_back({rightAscension, true});
  if (!declination.empty()) steps.push_back({declination, true});
  steps.push_back({command, true});
  return steps;
}

StopSubscription::StopSubscription(CommandQueue& queue,
                                   std::function<void(const StopNotice&)> onStop)
    : queue_(queue), id_(queue.AddStopListener(std::move(onStop))) {}

StopSubscription::~StopSubscription() {
  queue_.RemoveStopListener(id_);
}

}  // namespace orvane
