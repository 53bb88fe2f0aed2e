// SimulatedController: an Orvane mount controller in software. It reads the bytes the
// program sends and answers as the real device does: version and level, position in high
// or low precision, a mount that moves while a direction is driven and slews to a target
// (precessed from J2000.0 to the date after ":Sp#"), the clock, date, site and UTC offset, display brightness, speed mode, native reads and
// writes of numbered settings with their check character, the status byte of setting 99,
// the boot-mode handshake after a restart, the object memory of the ":O" commands and
// unsolicited announcements. It can also misbehave on request (silence, echo, garbage,
// split or late replies, a dropped line) so that failure paths can be tested.
//
// Commands end with "#"; the single byte 6 is a command of its own. Replies to commands
// the program waits for end in "#" (":P#" excepted, whose texts have none); commands the
// program sends without waiting get no reply. Time is given by the caller in
// milliseconds, so the same model runs in virtual time inside tests and in real time
// behind a pseudo-terminal (orvane-sim).
// Thread: one thread at a time (the caller serialises).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ControllerClock.h"
#include "ControllerOptions.h"
#include "ControllerOutput.h"
#include "LineTransmitter.h"
#include "MountModel.h"

namespace orvane::sim {

// The announcement the controller makes on its own, for example after a date change.
constexpr std::string_view kPlanetaryUpdate = "Updating Planetary Data";
// The end of a complete announcement: a blank and "#".
constexpr std::string_view kAnnouncementEnd = " #";
// Reply to byte 6 while running (a polar mount); "b#" while waiting for a start mode.
constexpr std::string_view kRunningAcknowledge = "P#";
constexpr std::string_view kBootAcknowledge = "b#";
constexpr std::string_view kCoordinatesMatched = "Coordinates     matched.        #";

class SimulatedController {
 public:
  static constexpr char kAcknowledgeByte = 0x06;
  static constexpr int kStatusSetting = 99;
  static constexpr unsigned kStatusAligned = 1u << 0;
  static constexpr unsigned kStatusBit4 = 1u << 4;

  explicit SimulatedController(ControllerOptions options = {});
  SimulatedController(const SimulatedController&) = delete;
  SimulatedController& operator=(const SimulatedController&) = delete;

  // Bytes arriving from the program, the last of them at nowMs; returns what the
  // controller sends from now on (each piece with the time it starts, paced at the line
  // rate when asked), announcements due by nowMs included.
  std::vector<Output> receive(std::string_view bytes, double nowMs);
  // Unsolicited output due by nowMs (announcements).
  std::vector<Output> poll(double nowMs);
  // When poll next has something to send; infinity when never.
  double nextUnsolicitedMs() const;
  // True while the line is dropped (unplugged): nothing goes either way.
  bool unplugged(double nowMs) const { return transmitter_.unplugged(nowMs); }

  // Faults may be changed at any time; start values only count at start and restart.
  const ControllerOptions& options() const { return options_; }
  ControllerOptions& options() { return options_; }
  // Power cycle: the controller waits for its start mode again.
  void restart(double nowMs);
  bool bootMode() const { return bootMode_; }

  // Whole commands received, oldest first (the latest 10000 at most).
  const std::vector<std::string>& commandLog() const { return log_; }
  // Called with every whole command as it is received.
  void setCommandObserver(std::function<void(const std::string&)> observer) {
    observer_ = std::move(observer);
  }

  // With the strict option: commands that arrived while a reply to an earlier command was
  // still owed (not completely sent) are breaches of the one-command-at-a-time rule; stop
  // commands, which may interrupt any wait, are counted apart. The observer hears of each
  // breach with a text that names both commands.
  int breaches() const { return breaches_; }
  int stopsDuringReplies() const { return stopsDuringReplies_; }
  void setBreachObserver(std::function<void(const std::string&)> observer) {
    breachObserver_ = std::move(observer);
  }

  std::string setting(int number) const;
  unsigned statusBits() const { return statusBits_; }
  // The initial alignment done at the hand controller.
  void completeInitialAlignment() { statusBits_ |= kStatusAligned; }
  void setStatusBit4(bool on);

  double rightAscensionHours(double nowMs) const { return mount_.rightAscensionHours(nowMs); }
  double declinationDegrees(double nowMs) const { return mount_.declinationDegrees(nowMs); }
  const MountModel& mount() const { return mount_; }
  bool highPrecision() const { return highPrecision_; }
  const std::string& objectName() const { return objectName_; }
  bool j2000() const { return j2000_; }
  const std::vector<std::string>& objectMemory() const { return memory_; }

 private:
  void handleCommand(const std::string& command, double nowMs, std::vector<Output>& out);
  void checkTurn(const std::string& command, double nowMs);
  void startFromBootMode(char mode, double nowMs);
  std::string answer(const std::string& command, double nowMs);
  std::string answerRead(std::string_view body, double nowMs);
  std::string answerSet(std::string_view body, double nowMs);
  std::string answerMotion(std::string_view body, double nowMs);
  std::string answerMemory(std::string_view body);
  std::string answerNativeRead(const std::string& command) const;
  void storeNativeWrite(const std::string& command);
  void scheduleAnnouncements(double nowMs);

  ControllerOptions options_;
  LineTransmitter transmitter_;
  ControllerClock clock_;
  MountModel mount_;
  bool bootMode_;
  bool highPrecision_;
  unsigned statusBits_;
  int brightness_;
  double utcOffsetHours_;
  int longitudeMinutes_;
  int latitudeMinutes_;
  int timeValueSeconds_ = 0;  // ":SE" / ":GE"
  std::string objectName_;
  bool j2000_ = false;
  std::map<int, std::string> settings_;
  std::vector<std::string> memory_;  // object memory of the ":O" commands
  std::size_t readPosition_ = 0;
  std::string pending_;  // bytes of an incomplete command
  std::vector<std::string> log_;
  std::function<void(const std::string&)> observer_;
  std::function<void(const std::string&)> breachObserver_;
  double replyOwedUntilMs_ = -1;  // the last byte of the latest reply leaves then
  std::string owingCommand_;
  int breaches_ = 0;
  int stopsDuringReplies_ = 0;
  double nextAnnouncementMs_ = -1;  // below 0: not scheduled
  int announcementsSent_ = 0;
};

}  // namespace orvane::sim
