// QtGuiCallQueue: hands calls from other threads to the user-interface thread and lets the
// calling thread wait until its call has run there.
//
// A caller queues its call (a value: the function object) and posts a wake-up to the
// application object; the user-interface thread runs every queued call when it next
// processes events. The caller waits on a condition variable, not inside Qt, so that
// close() can release every waiting thread at shutdown: a thread blocked here must never
// keep the program from ending while the user-interface thread waits for it to finish.
// An exception thrown by the call is passed back to the calling thread.
//
// Thread: run() from any thread but the user-interface thread; the queued calls and close()
// on the user-interface thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace orvane::ui {

class QtGuiCallQueue {
 public:
  QtGuiCallQueue();
  ~QtGuiCallQueue();
  QtGuiCallQueue(const QtGuiCallQueue&) = delete;
  QtGuiCallQueue& operator=(const QtGuiCallQueue&) = delete;

  // Returns after the call has run on the user-interface thread (true), or without running
  // it once the queue is closed (false).
  bool run(std::function<void()> call);
  // Refuses further calls and releases every waiting thread; calls not yet run are dropped.
  void close();

 private:
  struct Call {
    std::function<void()> function;
    bool finished = false;
    std::exception_ptr error;
  };
  struct State {
    std::mutex mutex;
    std::condition_variable finished;
    std::deque<std::shared_ptr<Call>> pending;
    bool closed = false;
  };
  // Runs the calls queued so far (on the user-interface thread, from a posted wake-up).
  static void runPending(State& state);

  // Shared with waiting callers and posted wake-ups, either of which may outlast the queue.
  std::shared_ptr<State> state_;
};

}  // namespace orvane::ui
