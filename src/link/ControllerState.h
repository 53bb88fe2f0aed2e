// ControllerState: what the program knows of the controller at the far end of the line.
// Detection sets the port and level, the command engine the precision and its busy flag,
// polling the clock offset, the alignment check and the restart dialog the alignment
// prompt. The main window holds it and shows its fields under their established names;
// the parts that talk to the controller are handed it.
// Thread: user-interface thread only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/AstroTime.h"

namespace orvane {

// What the status strip shows in place of a reading that is no longer current.
inline constexpr std::string_view kNoCurrentReading = "--";

struct ControllerState {
  // A position as polling last read it: the controller's text without "#", and when it
  // came (the backend's milliseconds; -1 before the first).
  struct PositionReading {
    std::string text;
    long long atMs = -1;
  };

  // -1 not connected, 0 "Offline" chosen, 1-5 the port on which the controller answered.
  int ConnectedPort = -1;
  // Level digit of the controller's version reply.
  int ControllerLevel = 1;
  // The alignment dialog may open: set by detection for controllers of level 2 and up and
  // after a restart.
  bool AlignmentPrompt = false;
  // Status bit 4 at the last alignment check.
  bool PreviousStatusBit4 = false;
  // A command of the engine is running (one at a time).
  bool CommandBusy = false;
  // The controller answers positions in high precision.
  bool HighPrecision = false;
  // The controller's clock minus the computer's, known after the first clock read.
  TimeOffset ClockOffset;
  bool ClockOffsetKnown = false;
  // The position, clock and alignment readings are no longer current: the link was lost,
  // or the controller has not answered the last polls. The next good poll clears it.
  bool ReadingsStale = false;
  // A transfer of all settings runs: polling waits for its end, also when the link comes
  // back meanwhile.
  bool PollingHeld = false;
  // The latest right ascension and declination polling read and showed.
  PositionReading LastRightAscension;
  PositionReading LastDeclination;

  // Takes the clock offset from a controller time and a computer time, both "HH:MM:SS";
  // unreadable texts change nothing.
  void TakeClockOffset(std::string_view controllerTime, std::string_view computerTime) {
    std::optional<TimeOffset> offset = CalculateTimeDifference(controllerTime, computerTime);
    if (!offset) return;
    ClockOffset = *offset;
    ClockOffsetKnown = true;
  }
};

}  // namespace orvane
