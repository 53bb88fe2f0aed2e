// Calendar: day counts of the civil (proleptic Gregorian) calendar, for clocks and for the
// time maths above them.
// Thread: any (pure functions).
#pragma once

#include "ui/Types.h"

namespace orvane::ui {

// Days from 1970 January 1 to a date of the civil calendar (negative before it).
long long DaysSince1970(int year, int month, int day);

// Milliseconds since 1970 January 1, 00:00, of a calendar time, and back.
long long EpochMsOf(const DateTime& time);
DateTime DateTimeOfEpochMs(long long epochMs);

}  // namespace orvane::ui
