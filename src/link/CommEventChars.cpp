#include "link/CommEventChars.h"

#include "link/Comm.h"

namespace orvane {

TCommEventChars::TCommEventChars(TThreadComm* owner) : owner_(owner) {}

char TCommEventChars::EventChar(int index) const {
  if (index < 1 || index > 5) return 0;
  return chars_[index - 1];
}

void TCommEventChars::SetEventChar(int index, char value) {
  if (index < 1 || index > 5 || chars_[index - 1] == value) return;
  chars_[index - 1] = value;
  if (owner_ != nullptr) owner_->UpdateDataControlBlockLock();
}

void TCommEventChars::Assign(const TCommEventChars& source) {
  for (int i = 0; i < 5; ++i) chars_[i] = source.chars_[i];
}

}  // namespace orvane
