#include "app/ScheduleSettings.h"

#include "schedule/Schedule.h"

namespace orvane {

ScheduleSettings ScheduleSettingsOfWindow::ScheduleToSave() const {
  ScheduleSettings settings;
  if (schedule_ == nullptr) return settings;
  const TSchedule& s = *schedule_;
  settings.controlMode = s.ControlMode;
  settings.slewingSpeed = s.Speed->text();
  const ui::StringGrid& grid = *s.Objects;
  // Row 0 is the heading; a row without a time is no entry.
  for (int row = 1; row < grid.rowCount(); ++row) {
    if (grid.cell(0, row).empty()) continue;
    settings.rows.push_back(
        ScheduleRow{grid.cell(0, row), grid.cell(1, row), grid.cell(2, row), grid.cell(3, row)});
  }
  return settings;
}

}  // namespace orvane
