// How a list of lines on screen becomes a new list with the least work: lists and memos
// that log (trace lines, file transfer progress) only append at the end and, at their line
// limit, drop the oldest lines at the front. Anything else refills the whole list.
// Thread: any (pure function).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orvane::ui {

struct LineListChange {
  bool refill = false;    // replace everything by the wanted lines
  size_t dropFront = 0;   // remove this many lines at the front
  size_t appendFrom = 0;  // then append wanted[appendFrom...]
};

LineListChange lineListChange(const std::vector<std::string>& shown,
                              const std::vector<std::string>& wanted);

}  // namespace orvane::ui
