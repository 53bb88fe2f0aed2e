// Command texts of the schedule window, built from the fixed-width texts of its fields and
// schedule cells: the target position, the object name and the maximum slewing speed.
// Pure functions, shared by schedule slews, "Go" and the direction buttons.
// Thread: any (no state).
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// ":Sr" HH ":" MM ":" SS "#" from a right ascension text HH "h " MM "m " SS "s" (characters
// 1-2, 5-6 and 9-10). Each two-digit part is read as the number its digits show: a blank
// is an untyped digit, so "3 " and " 3" are both sent as "03".
std::string RightAscensionCommand(std::string_view text);

// ":Sd" sDD ":" MM ":" SS "#" from a declination text s DD "° " MM "' " SS "''"
// (characters 1-3, 6-7 and 10-11), the two-digit parts read as for the right ascension.
std::string DeclinationCommand(std::string_view text);

// ":ON" + name + "#": the object name the controller shows for the target.
std::string ObjectNameCommand(std::string_view name);

// ":Sw" + (index + 1) + "#": the maximum slewing speed of the speed selector's entry.
std::string MaxSlewSpeedCommand(int speedIndex);

// A declination text always begins with a sign: any other first character becomes "+".
// An empty text stays empty.
std::string WithDeclinationSign(std::string text);

}  // namespace orvane
