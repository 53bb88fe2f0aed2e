// ScheduleSettings: the schedule window as profile saving sees it: the manual-control
// button mode, the maximum slewing speed and the observation schedule's entries.
// Owned by the main window, which hands it to its profile writer once the schedule window
// exists.
// Thread: user-interface thread only.
#pragma once

#include "persistence/ProfileWriter.h"

namespace orvane {

class TSchedule;

class ScheduleSettingsOfWindow final : public SavedSchedule {
 public:
  void SetSchedule(const TSchedule* schedule) { schedule_ = schedule; }
  bool available() const { return schedule_ != nullptr; }
  ScheduleSettings ScheduleToSave() const override;

 private:
  const TSchedule* schedule_ = nullptr;
};

}  // namespace orvane
