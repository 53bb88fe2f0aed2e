#include "MountModel.h"

#include <algorithm>
#include <cmath>

namespace orvane::sim {
namespace {

double wrapDegrees(double degrees) {
  double wrapped = std::fmod(degrees, 360.0);
  return wrapped < 0 ? wrapped + 360.0 : wrapped;
}

// The shorter way from one right ascension to another, -180 to +180 degrees.
double shortestTurn(double from, double to) {
  double turn = wrapDegrees(to - from);
  return turn > 180.0 ? turn - 360.0 : turn;
}

double approach(double from, double distance, double travelled) {
  double step = std::min(std::fabs(distance), travelled);
  return from + (distance < 0 ? -step : step);
}

}  // namespace

MountModel::MountModel(double rightAscensionHours, double declinationDegrees,
                       int slewDegreesPerSecond, SpeedMode mode)
    : startRa_(wrapDegrees(rightAscensionHours * 15.0)),
      startDec_(std::clamp(declinationDegrees, -90.0, 90.0)),
      targetRa_(startRa_),
      targetDec_(startDec_),
      slewRa_(startRa_),
      slewDec_(startDec_),
      slewSpeed_(slewDegreesPerSecond),
      mode_(mode) {}

double MountModel::manualRateDegreesPerSecond() const {
  switch (mode_) {
    case SpeedMode::Guiding:
      return kGuidingRate * kSiderealDegreesPerSecond;
    case SpeedMode::Centering:
      return kCenteringRate * kSiderealDegreesPerSecond;
    case SpeedMode::Slewing:
      return slewSpeed_;
  }
  return 0;
}

void MountModel::positionAt(double nowMs, double& ra, double& dec) const {
  double seconds = std::max(0.0, (nowMs - segmentStartMs_) / 1000.0);
  if (slewActive_) {
    double travelled = slewSpeed_ * seconds;
    ra = wrapDegrees(approach(startRa_, shortestTurn(startRa_, slewRa_), travelled));
    dec = approach(startDec_, slewDec_ - startDec_, travelled);
    return;
  }
  double step = manualRateDegreesPerSecond() * seconds;
  double east =
      (driven_[index(Direction::East)] ? 1 : 0) - (driven_[index(Direction::West)] ? 1 : 0);
  double north =
      (driven_[index(Direction::North)] ? 1 : 0) - (driven_[index(Direction::South)] ? 1 : 0);
  ra = wrapDegrees(startRa_ + east * step);
  dec = std::clamp(startDec_ + north * step, -90.0, 90.0);
}

double MountModel::rightAscensionHours(double nowMs) const {
  double ra = 0, dec = 0;
  positionAt(nowMs, ra, dec);
  return ra / 15.0;
}

double MountModel::declinationDegrees(double nowMs) const {
  double ra = 0, dec = 0;
  positionAt(nowMs, ra, dec);
  return dec;
}

bool MountModel::slewing(double nowMs) const {
  if (!slewActive_) return false;
  double seconds = std::max(0.0, (nowMs - segmentStartMs_) / 1000.0);
  double distance =
      std::max(std::fabs(shortestTurn(startRa_, slewRa_)), std::fabs(slewDec_ - startDec_));
  return slewSpeed_ * seconds < distance;
}

void MountModel::settle(double nowMs) {
  double ra = 0, dec = 0;
  positionAt(nowMs, ra, dec);
  slewActive_ = slewing(nowMs);
  startRa_ = ra;
  startDec_ = dec;
  segmentStartMs_ = std::max(nowMs, segmentStartMs_);
}

void MountModel::startMoving(Direction direction, double nowMs) {
  settle(nowMs);
  slewActive_ = false;
  driven_[index(direction)] = true;
}

void MountModel::stopMoving(Direction direction, double nowMs) {
  settle(nowMs);
  driven_[index(direction)] = false;
}

void MountModel::stopAll(double nowMs) {
  settle(nowMs);
  slewActive_ = false;
  driven_.fill(false);
}

void MountModel::setSpeedMode(SpeedMode mode, double nowMs) {
  settle(nowMs);
  mode_ = mode;
}

void MountModel::setSlewSpeed(int degreesPerSecond, double nowMs) {
  settle(nowMs);
  slewSpeed_ = degreesPerSecond;
}

void MountModel::slewToTarget(double nowMs) {
  settle(nowMs);
  driven_.fill(false);
  slewRa_ = targetRa_;
  slewDec_ = targetDec_;
  slewActive_ = true;
}

void MountModel::syncToTarget(double nowMs) {
  setPosition(targetRa_ / 15.0, targetDec_, nowMs);
}

void MountModel::setPosition(double rightAscensionHours, double declinationDegrees, double nowMs) {
  settle(nowMs);
  slewActive_ = false;
  startRa_ = wrapDegrees(rightAscensionHours * 15.0);
  startDec_ = std::clamp(declinationDegrees, -90.0, 90.0);
}

}  // namespace orvane::sim
