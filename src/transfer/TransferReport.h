// TransferReport: how one run of a file transfer panel's command went (receiving the
// controller's lines, sending the memo's, clearing the controller's memory), and
// TransferWatch, the calls by which the panel follows the run.
// The command engine fills the report; the panel turns it into its status line.
// Thread: plain values and calls on the user-interface thread.
#pragma once

#include <functional>

namespace orvane {

// The most lines one receive takes. A controller that has sent this many and still sends
// another has not ended its list (or is not answering the request at all): the receive
// stops there and keeps what it has.
inline constexpr int kMaxReceivedLines = 10000;

enum class TransferEnd {
  Complete,   // every line went through (received up to "END#", or all sent)
  Failed,     // cut short: a request not answered in time, or a command not written
  LineLimit,  // the controller sent kMaxReceivedLines lines without ending
};

struct TransferReport {
  TransferEnd end = TransferEnd::Complete;
  int lines = 0;  // lines received or sent
  int total = 0;  // lines to send (sending only)
};

struct TransferWatch {
  // Lines done so far of total (total is 0 while receiving, where the count is not known).
  std::function<void(int done, int total)> progress;
  // The command has run. Not called when the panel went away meanwhile (another profile
  // was loaded) or the program is ending.
  std::function<void(const TransferReport&)> finished;
};

}  // namespace orvane
