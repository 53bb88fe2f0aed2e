#include "LineTransmitter.h"

#include <algorithm>

namespace orvane::sim {

std::size_t Output::bytesSentBy(double nowMs) const {
  if (nowMs < atMs) return 0;
  if (msPerByte <= 0) return bytes.size();
  std::size_t count = 0;
  while (count < bytes.size() && byteDoneMs(count) <= nowMs) ++count;
  return count;
}

LineTransmitter::LineTransmitter(const ControllerOptions& options)
    : options_(options), random_(options.seed) {}

double LineTransmitter::msPerByte() const {
  return options_.paceAtLineRate ? kMillisecondsPerByte : 0.0;
}

bool LineTransmitter::unplugged(double nowMs) const {
  return options_.unplugAtMs >= 0 && nowMs >= options_.unplugAtMs && nowMs < options_.replugAtMs();
}

std::string LineTransmitter::garbled(std::size_t length) {
  std::uniform_int_distribution<int> byteValue(1, 255);
  std::string text;
  for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i) {
    text += static_cast<char>(byteValue(random_));
  }
  return text;
}

void LineTransmitter::append(std::vector<Output>& out, std::string bytes, double startMs) {
  Output piece{std::max(startMs, lineFreeAtMs_), std::move(bytes), msPerByte()};
  if (options_.unplugAtMs >= 0 && piece.atMs < options_.replugAtMs()) {
    std::size_t keep = 0;
    while (keep < piece.bytes.size() && piece.byteDoneMs(keep) < options_.unplugAtMs) ++keep;
    piece.bytes.resize(keep);
  }
  if (piece.bytes.empty()) return;
  lineFreeAtMs_ = piece.endMs();
  out.push_back(std::move(piece));
}

std::vector<Output> LineTransmitter::reply(const std::string& text, double commandEndMs) {
  std::vector<Output> out;
  if (text.empty() || options_.silent) return out;
  std::string bytes = options_.garbage ? garbled(text.size()) : text;
  std::size_t pieces = static_cast<std::size_t>(std::max(1, options_.splitPieces));
  pieces = std::min(pieces, bytes.size());
  double startMs = commandEndMs + options_.replyDelayMs + options_.lateReplyMs;
  std::size_t taken = 0;
  for (std::size_t piece = 0; piece < pieces; ++piece) {
    // Near-equal pieces; the earlier ones take the remainder.
    std::size_t size = bytes.size() / pieces + (piece < bytes.size() % pieces ? 1 : 0);
    append(out, bytes.substr(taken, size), startMs);
    taken += size;
    startMs = lineFreeAtMs_ + options_.splitGapMs;
  }
  return out;
}

std::vector<Output> LineTransmitter::immediate(const std::string& text, double nowMs) {
  std::vector<Output> out;
  if (text.empty() || unplugged(nowMs)) return out;
  out.push_back(Output{nowMs, text, 0.0});
  return out;
}

std::vector<Output> LineTransmitter::unsolicited(const std::vector<std::string>& pieces,
                                                 double dueMs, double gapMs) {
  std::vector<Output> out;
  if (options_.silent) return out;
  double startMs = dueMs;
  for (const std::string& piece : pieces) {
    append(out, piece, startMs);
    startMs = lineFreeAtMs_ + gapMs;
  }
  return out;
}

}  // namespace orvane::sim
