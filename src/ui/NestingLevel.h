// NestingLevel: counts one level of nesting for the scope of a call, for calls that may be
// entered again from inside themselves (a wait whose handlers wait in turn, a timer's tick
// run again in a wait of its own). The counter goes back down on every way out.
// Thread: the thread that owns the counter.
#pragma once

#include <cstddef>

namespace orvane::ui {

class NestingLevel {
 public:
  explicit NestingLevel(std::size_t& depth) : depth_(++depth) {}
  ~NestingLevel() { --depth_; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

 private:
  std::size_t& depth_;
};

}  // namespace orvane::ui
