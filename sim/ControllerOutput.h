// Output: one piece of bytes the controller sends, with the time its first byte starts.
// When paced, byte i has left the controller at atMs + (i + 1) * msPerByte.
// Thread: plain data.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

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

// Moves the pieces of more to the end of pieces (a vector or a deque of Output).
template <typename Pieces>
void appendAll(Pieces& pieces, std::vector<Output> more) {
  pieces.insert(pieces.end(), std::make_move_iterator(more.begin()),
                std::make_move_iterator(more.end()));
}

}  // namespace orvane::sim
