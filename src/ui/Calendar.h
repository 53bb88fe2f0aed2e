// Calendar: day counts of the civil (proleptic Gregorian) calendar, for clocks and for the
// time maths above them.
// Thread: any (pure functions).
#pragma once

namespace orvane::ui {

// Days from 1970 January 1 to a date of the civil calendar (negative before it).
long long DaysSince1970(int year, int month, int day);

}  // namespace orvane::ui
