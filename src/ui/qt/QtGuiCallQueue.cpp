#include "ui/qt/QtGuiCallQueue.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace orvane::ui {

QtGuiCallQueue::QtGuiCallQueue() : state_(std::make_shared<State>()) {}

QtGuiCallQueue::~QtGuiCallQueue() {
  close();
}

bool QtGuiCallQueue::run(std::function<void()> call) {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return false;
  const std::shared_ptr<State> state = state_;
  auto queued = std::make_shared<Call>();
  queued->function = std::move(call);
  {
    std::lock_guard lock(state->mutex);
    if (state->closed) return false;
    state->pending.push_back(queued);
  }
  // The wake-up holds only a weak reference: once the queue is gone it does nothing.
  std::weak_ptr<State> weak = state;
  QMetaObject::invokeMethod(
      application,
      [weak] {
        if (std::shared_ptr<State> alive = weak.lock()) runPending(*alive);
      },
      Qt::QueuedConnection);
  std::unique_lock lock(state->mutex);
  state->finished.wait(lock, [&] { return queued->finished || state->closed; });
  if (!queued->finished) return false;
  if (queued->error) std::rethrow_exception(queued->error);
  return true;
}

void QtGuiCallQueue::runPending(State& state) {
  for (;;) {
    std::shared_ptr<Call> call;
    {
      std::lock_guard lock(state.mutex);
      if (state.closed || state.pending.empty()) return;
      call = state.pending.front();
      state.pending.pop_front();
    }
    try {
      call->function();
    } catch (...) {
      call->error = std::current_exception();
    }
    {
      std::lock_guard lock(state.mutex);
      call->finished = true;
    }
    state.finished.notify_all();
  }
}

void QtGuiCallQueue::close() {
  {
    std::lock_guard lock(state_->mutex);
    state_->closed = true;
    state_->pending.clear();
  }
  state_->finished.notify_all();
}

}  // namespace orvane::ui
