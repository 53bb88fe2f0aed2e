// Precession: moves an equatorial position between the J2000.0 frame and the equinox of a
// date (the rigorous method with the IAU 1976 angles). The controller slews to a J2000
// target by precessing it to the date (":Sp#") and reports where it points in the equinox
// of the date; Stellarium's protocol carries J2000 positions both ways, so the positions
// sent to its clients are taken back to J2000.
// Thread: any (pure functions).
#pragma once

#include "ui/Types.h"

namespace orvane {

struct Equatorial {
  double hours = 0;    // right ascension, 0 to 24
  double degrees = 0;  // declination, -90 to +90
};

// Julian centuries from J2000.0 (2000 January 1, 12 h) to a UTC moment.
double CenturiesSinceJ2000(const ui::DateTime& utc);

Equatorial PrecessFromJ2000(const Equatorial& j2000, double centuries);
Equatorial PrecessToJ2000(const Equatorial& ofDate, double centuries);

}  // namespace orvane
