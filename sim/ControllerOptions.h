// ControllerOptions: how a simulated controller starts and how it misbehaves.
// Thread: plain data, owned by whoever builds the controller.
#pragma once

#include <map>
#include <set>
#include <string>

namespace orvane::sim {

// Time on the wire of one byte at 9600 baud: a start bit, 8 data bits, a stop bit.
constexpr double kMillisecondsPerByte = 10.0 * 1000.0 / 9600.0;

struct ControllerOptions {
  // When the dropped line comes back; infinity when it does not (or never drops).
  double replugAtMs() const;

  int level = 3;               // level digit of the version reply
  std::string version = "24";  // two version digits: ":GV#" answers level + version + "#"
  bool highPrecision = true;
  bool startInBootMode = false;  // answer byte 6 with "b#" until "bC#", "bW#" or "bR#"
  bool aligned = true;           // status bit 0 of setting 99 at start

  // Faults.
  bool silent = false;               // never send anything
  bool echo = false;                 // send back every byte received at once, nothing else
  bool garbage = false;              // random bytes in place of every reply
  int splitPieces = 1;               // send each reply in this many pieces...
  double splitGapMs = 20;            // ...with this much silence between them
  double replyDelayMs = 5;           // processing time before a reply starts
  double lateReplyMs = 0;            // extra delay added to every reply
  double unplugAtMs = -1;            // the line drops at this time (no more bytes either way)
  double replugAfterMs = -1;         // ...and comes back this long after it dropped
  bool strict = false;               // count commands that arrive while a reply is owed
  double announceEveryMs = 0;        // unsolicited "Updating Planetary Data" announcements
  bool paceAtLineRate = true;        // 9600 baud: kMillisecondsPerByte per byte
  unsigned seed = 1;                 // for garbage
  std::set<int> wrongCheckSettings;  // native reads of these answer a wrong check character

  // The controller's clock at time 0: local date and seconds of the day.
  int startYear = 2026, startMonth = 12, startDay = 7;
  int startSecondOfDay = 21 * 3600;
  // Hours to add to local time to get UTC, as ":GG#" reports and ":SG" sets them.
  double utcOffsetHours = -1;
  // Site: longitude in minutes of arc counted positive towards west, latitude in minutes
  // of arc (the Hamburg Observatory: 10 degrees 14 minutes east, 53 degrees 29 north).
  int longitudeMinutes = -(10 * 60 + 14);
  int latitudeMinutes = 53 * 60 + 29;

  int brightness = 0;                   // display brightness index 0-6
  char speedMode = 'C';                 // "G", "C" or "S"
  int slewSpeedDegreesPerSecond = 5;    // ":Sw" speed
  double startRightAscensionHours = 0;  // parked at the pole
  double startDeclinationDegrees = 90;

  // Native settings at start, by number (the settings of the standard profile).
  std::map<int, std::string> settings = standardSettings();

  static std::map<int, std::string> standardSettings();
};

}  // namespace orvane::sim
