#include "ui/qt/LineListChange.h"

#include <algorithm>

namespace orvane::ui {

namespace {
// Beyond this many dropped lines a refill is as cheap as the search.
constexpr size_t kMaxDropSearch = 64;
}  // namespace

LineListChange lineListChange(const std::vector<std::string>& shown,
                              const std::vector<std::string>& wanted) {
  if (shown.empty()) return {false, 0, 0};
  if (wanted.empty()) return {false, shown.size(), 0};
  // The lines kept must be the first lines wanted, so at least this many are dropped.
  const size_t minDrop = shown.size() > wanted.size() ? shown.size() - wanted.size() : 0;
  const size_t maxDrop = std::min(shown.size() - 1, minDrop + kMaxDropSearch);
  for (size_t drop = minDrop; drop <= maxDrop; ++drop) {
    if (shown[drop] != wanted.front()) continue;
    const size_t kept = shown.size() - drop;
    if (std::equal(shown.begin() + static_cast<std::ptrdiff_t>(drop), shown.end(),
                   wanted.begin())) {
      return {false, drop, kept};
    }
  }
  return {true, 0, 0};
}

}  // namespace orvane::ui
