// Output: one piece of bytes the controller sends, with the time its first byte starts.
// When paced, byte i has left the controller at atMs + (i + 1) * msPerByte.
// Thread: plain data.
#pragma once

#include <cstddef>
#include <string>

namespace orvane::sim {

struct Output {
  double atMs = 0;
  std::string bytes;
  double msPerByte = 0;  // 0: the whole piece leaves at atMs

  // When the last byte has left.
  double endMs() const { return atMs + static_cast<double>(bytes.size()) * msPerByte; }
  // How many bytes have left by nowMs.
  std::size_t bytesSentBy(double nowMs) const;
  // When byte index (0-based) has left.
  double byteDoneMs(std::size_t index) const {
    return atMs + static_cast<double>(index + 1) * msPerByte;
  }
};

}  // namespace orvane::sim
