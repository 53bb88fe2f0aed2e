#include "ui/Backend.h"

#include <algorithm>

namespace orvane::ui {

namespace {
bool sameModifiers(const ShiftState& a, const ShiftState& b) {
  return a.shift == b.shift && a.alt == b.alt && a.ctrl == b.ctrl;
}
}  // namespace

void Backend::setGlobalKey(int key, std::function<void()> action, ShiftState modifiers) {
  if (key == 0) {
    globalKeys_.clear();
    return;
  }
  std::erase_if(globalKeys_, [&](const GlobalKey& entry) {
    return entry.key == key && sameModifiers(entry.modifiers, modifiers);
  });
  if (action) globalKeys_.push_back(GlobalKey{key, modifiers, std::move(action)});
}

bool Backend::runGlobalKey(int key, ShiftState shift) {
  if (key == 0) return false;
  auto found = std::find_if(globalKeys_.begin(), globalKeys_.end(), [&](const GlobalKey& entry) {
    return entry.key == key && sameModifiers(entry.modifiers, shift);
  });
  if (found == globalKeys_.end()) return false;
  // A copy: the action may change the keys.
  const std::function<void()> action = found->action;
  action();
  return true;
}

}  // namespace orvane::ui
