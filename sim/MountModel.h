// MountModel: where the telescope points and how it moves. Right ascension stays fixed
// while the mount tracks; a driven direction moves it at the rate of the speed mode
// (guiding, centering or slewing at the slew speed); a slew moves each axis towards the
// target it was started for at the slew speed until it arrives (a target set meanwhile is
// for the next slew). Positions are pure functions of the time, so the model runs the same
// in virtual and in real time.
// Thread: one thread at a time (the controller's).
#pragma once

#include <array>

namespace orvane::sim {

enum class SpeedMode { Guiding, Centering, Slewing };
enum class Direction { North, South, East, West };

class MountModel {
 public:
  static constexpr double kSiderealDegreesPerSecond = 15.041 / 3600.0;
  static constexpr double kGuidingRate = 0.5;     // times sidereal
  static constexpr double kCenteringRate = 16.0;  // times sidereal

  MountModel(double rightAscensionHours, double declinationDegrees, int slewDegreesPerSecond,
             SpeedMode mode);

  double rightAscensionHours(double nowMs) const;
  double declinationDegrees(double nowMs) const;
  bool slewing(double nowMs) const;
  bool moving(Direction direction) const { return driven_[index(direction)]; }
  SpeedMode speedMode() const { return mode_; }
  int slewSpeed() const { return slewSpeed_; }

  // A direction driven by hand; starting one ends a slew.
  void startMoving(Direction direction, double nowMs);
  void stopMoving(Direction direction, double nowMs);
  void stopAll(double nowMs);
  void setSpeedMode(SpeedMode mode, double nowMs);
  void setSlewSpeed(int degreesPerSecond, double nowMs);

  void setTargetRightAscension(double hours) { targetRa_ = hours * 15.0; }
  void setTargetDeclination(double degrees) { targetDec_ = degrees; }
  double targetRightAscensionHours() const { return targetRa_ / 15.0; }
  double targetDeclinationDegrees() const { return targetDec_; }
  void slewToTarget(double nowMs);
  // The mount now points at the target (synchronisation and alignment).
  void syncToTarget(double nowMs);
  void setPosition(double rightAscensionHours, double declinationDegrees, double nowMs);

 private:
  static int index(Direction direction) { return static_cast<int>(direction); }
  double manualRateDegreesPerSecond() const;
  // Position in degrees (right ascension times 15) at nowMs.
  void positionAt(double nowMs, double& ra, double& dec) const;
  // Folds the motion so far into the start of a new segment at nowMs.
  void settle(double nowMs);

  double startRa_;  // degrees, 0 to 360
  double startDec_;
  double segmentStartMs_ = 0;
  std::array<bool, 4> driven_{};
  bool slewActive_ = false;
  double targetRa_;
  double targetDec_;
  // Where the slew in progress goes (the target when it was started).
  double slewRa_;
  double slewDec_;
  int slewSpeed_;
  SpeedMode mode_;
};

}  // namespace orvane::sim
