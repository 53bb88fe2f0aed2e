// Helpers for the simulator's tests: a controller with fixed start values and the bytes
// of its answers run together.
#pragma once

#include <string>
#include <vector>

#include "NativeChecksum.h"
#include "SimulatedController.h"

namespace orvane::sim::testing {

// The fixed start: 7 December 2026, 21:00:00 local time, UTC+1, Hamburg, parked at the pole.
inline ControllerOptions fixedOptions() {
  return ControllerOptions{};
}

inline std::string bytesOf(const std::vector<Output>& pieces) {
  std::string bytes;
  for (const Output& piece : pieces) bytes += piece.bytes;
  return bytes;
}

inline std::string ask(SimulatedController& controller, const std::string& command,
                       double nowMs = 1000) {
  return bytesOf(controller.receive(command, nowMs));
}

// A native read of a setting with its check character: "<" number ":" check "#".
inline std::string nativeRead(const std::string& number) {
  std::string command = "<" + number + ":";
  return command + calculateChecksum(command) + "#";
}

// A native write: ">" number ":" value check "#".
inline std::string nativeWrite(const std::string& number, const std::string& value) {
  std::string command = ">" + number + ":" + value;
  return command + calculateChecksum(command) + "#";
}

// The controller's answer to a native read of value: value, check character, "#".
inline std::string nativeReply(const std::string& value) {
  return value + calculateChecksum(value) + "#";
}

}  // namespace orvane::sim::testing
