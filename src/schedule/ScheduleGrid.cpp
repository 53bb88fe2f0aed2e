// The observation schedule: editing the time-sorted grid `Objects`, switching the schedule
// on and off, and firing the due entry on the clock tick.
#include <algorithm>

#include "schedule/Schedule.h"
#include "schedule/ScheduleClock.h"

namespace orvane {

namespace {

constexpr int kColumns = 4;

// Whether a masked field would hold text as given; a text its mask cannot take whole is
// refused.
bool fieldTakes(const ui::MaskEdit& field, const std::string& text) {
  if (!field.hasActiveMask()) return true;
  const ui::EditMask& mask = field.mask();
  return mask.textFromDisplay(mask.displayFromText(text)) == text;
}

}  // namespace

void TSchedule::AddEvent() {
  const std::string time = EditTime->text();
  AddScheduleRow(time, EditName->text(), EditRA->text(), EditDec->text());
  SortEvents();
  // The new entry is selected and shown: sorting is stable, so it is the last of its time.
  for (int row = Objects->rowCount() - 1; row >= 1; --row) {
    if (Objects->cell(0, row) == time) {
      Objects->setRow(row);
      break;
    }
  }
}

void TSchedule::ReplaceEvent() {
  const int row = Objects->row();
  if (row < 1 || row >= Objects->rowCount()) return;
  setRow(row, EditTime->text(), EditName->text(), EditRA->text(), EditDec->text());
  SortEvents();
}

void TSchedule::RemoveEvent() {
  const int row = Objects->row();
  const int last = Objects->rowCount() - 1;
  if (row < 1 || row > last) return;
  for (int col = 0; col < kColumns; ++col) Objects->setCell(col, row, Objects->cell(col, last));
  if (Objects->rowCount() < 3) {
    for (int col = 0; col < kColumns; ++col) Objects->setCell(col, 1, "");
  } else {
    Objects->setRowCount(last);
  }
  SortEvents();
}

void TSchedule::SortEvents() {
  Defocus();
  // Bubble passes keep rows of equal time in their order.
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (int row = 2; row < Objects->rowCount(); ++row) {
      if (Objects->cell(0, row) < Objects->cell(0, row - 1)) {
        for (int col = 0; col < kColumns; ++col) {
          std::string above = Objects->cell(col, row - 1);
          Objects->setCell(col, row - 1, Objects->cell(col, row));
          Objects->setCell(col, row, std::move(above));
        }
        swapped = true;
      }
    }
  }
  FitGridHeight();
}

void TSchedule::ObjectsSelectCell(int row) {
  if (row < 1 || row >= Objects->rowCount() || Objects->cell(0, row).empty()) return;
  ui::MaskEdit* fields[kColumns] = {EditTime.get(), EditName.get(), EditRA.get(), EditDec.get()};
  for (int col = 0; col < kColumns; ++col) {
    const std::string& text = Objects->cell(col, row);
    if (!fieldTakes(*fields[col], text)) return;  // this and the remaining fields stay
    fields[col]->setText(text);
  }
}

void TSchedule::ClearAllClick() {
  Defocus();
  scheme_.Blink(*ClearAll);
  Objects->setRowCount(2);
  for (int col = 0; col < kColumns; ++col) Objects->setCell(col, 1, "");
  Objects->setHeight(kScheduleRowHeight + 3);
}

void TSchedule::ToggleScheduleClick() {
  Defocus();
  scheme_.Blink(*ToggleSchedule);
  ScheduleActive = !ScheduleActive;
  previousTick_.reset();
  ToggleSchedule->setText(ScheduleActive ? "Deactivate Schedule" : "Activate Schedule");
}

void TSchedule::InitiateClick() {
  const int row = Objects->row();
  if (row < 1 || row >= Objects->rowCount() || Objects->cell(0, row).empty()) return;
  scheme_.Blink(*Initiate);
  InitiateSlew(row);
}

bool TSchedule::HideForLoading() {
  const bool wasVisible = visible();
  hide();
  return wasVisible;
}

void TSchedule::ClearForLoading() {
  ClearAllClick();
  if (ScheduleActive) ToggleScheduleClick();
}

int TSchedule::ScheduleEnd() const {
  for (int row = 1; row < Objects->rowCount(); ++row) {
    if (Objects->cell(0, row).empty()) return row;
  }
  return Objects->rowCount();
}

void TSchedule::CheckForEvent(const std::string& clockText) {
  if (!ScheduleActive) {
    previousTick_.reset();
    return;
  }
  // A tick that arrives while a slew is being sent (its waits let ticks run) leaves the
  // seconds it covers to the next tick.
  if (slewInProgress_) return;
  const std::optional<int> tick = ScheduleClock::SecondsOfDay(clockText);
  if (!tick) {
    previousTick_.reset();
    return;
  }
  // Of the entries the tick makes due, the latest time fires (the earliest row of that
  // time): when ticks were missed, the mount goes where the schedule wants it now.
  int dueRow = -1;
  int dueDistance = 0;
  const int end = ScheduleEnd();
  for (int row = 1; row < end; ++row) {
    const std::optional<int> entry = ScheduleClock::SecondsOfDay(Objects->cell(0, row));
    if (!entry) continue;
    const std::optional<int> distance = ScheduleClock::DistanceBehind(*entry, previousTick_, *tick);
    if (distance && (dueRow < 0 || *distance < dueDistance)) {
      dueRow = row;
      dueDistance = *distance;
    }
  }
  previousTick_ = tick;
  if (dueRow < 0) return;
  const bool lastRow = dueRow == Objects->rowCount() - 1;
  InitiateSlew(dueRow);
  // The user may have switched the schedule off meanwhile; it is not switched on again.
  if (lastRow && ScheduleActive) ToggleScheduleClick();
}

void TSchedule::InitiateSlew(int row) {
  SlewTo(SlewTarget{Objects->cell(2, row), Objects->cell(3, row), Objects->cell(1, row)});
}

void TSchedule::AddScheduleRow(const std::string& time, const std::string& name,
                               const std::string& ra, const std::string& dec) {
  int row = 1;
  if (!(Objects->rowCount() == 2 && Objects->cell(0, 1).empty())) {
    Objects->setRowCount(Objects->rowCount() + 1);
    row = Objects->rowCount() - 1;
  }
  setRow(row, time, name, ra, dec);
  FitGridHeight();
}

void TSchedule::setRow(int row, const std::string& time, const std::string& name,
                       const std::string& ra, const std::string& dec) {
  Objects->setCell(0, row, time);
  Objects->setCell(1, row, name);
  Objects->setCell(2, row, ra);
  Objects->setCell(3, row, dec);
}

void TSchedule::FitGridHeight() {
  Objects->setHeight(
      std::min(Objects->rowCount() * kScheduleRowHeight + 3, kScheduleMaxGridHeight));
}

}  // namespace orvane
