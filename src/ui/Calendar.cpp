#include "ui/Calendar.h"

namespace orvane::ui {

long long DaysSince1970(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

long long EpochMsOf(const DateTime& time) {
  const long long seconds = DaysSince1970(time.year, time.month, time.day) * 86400 +
                            time.hour * 3600 + time.minute * 60 + time.second;
  return seconds * 1000 + time.millisecond;
}

DateTime DateTimeOfEpochMs(long long epochMs) {
  long long seconds = epochMs / 1000;
  int millis = static_cast<int>(epochMs % 1000);
  if (millis < 0) {
    millis += 1000;
    --seconds;
  }
  long long days = seconds / 86400;
  long long secondOfDay = seconds % 86400;
  if (secondOfDay < 0) {
    secondOfDay += 86400;
    --days;
  }
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long mp = (5 * dayOfYear + 2) / 153;
  DateTime result;
  result.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  result.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  result.year = static_cast<int>(yearOfEra + era * 400 + (result.month <= 2 ? 1 : 0));
  result.hour = static_cast<int>(secondOfDay / 3600);
  result.minute = static_cast<int>(secondOfDay / 60 % 60);
  result.second = static_cast<int>(secondOfDay % 60);
  result.millisecond = millis;
  return result;
}

}  // namespace orvane::ui
