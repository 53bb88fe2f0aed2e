// Precession of a J2000.0 position to the equinox of a date, as the controller applies it
// to a target after ":Sp#" (the rigorous method with the IAU 1976 angles).
// Thread: any (pure function).
#pragma once

namespace orvane::sim {

// Julian centuries from J2000.0 to a date and second of the day.
double CenturiesSinceJ2000(int year, int month, int day, int secondOfDay);

// Right ascension in hours and declination in degrees, J2000.0 to the date's equinox.
void PrecessFromJ2000(double& rightAscensionHours, double& declinationDegrees,
                      double centuries);

}  // namespace orvane::sim
