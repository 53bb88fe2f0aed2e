// ComputerClock: the computer's own date and time, local or universal, to the millisecond.
// The local time follows the computer's time zone: a change of zone (or of the zone's
// rules) is seen within a minute, without the zone being looked up anew on every read.
// Thread: user-interface thread only (the zone look-up is shared).
#pragma once

#include "ui/Types.h"

namespace orvane::ui {

DateTime ComputerClockNow(bool local);

}  // namespace orvane::ui
