// SharedService: a network service that runs while the mount is shared, beside the
// planetarium protocols of the ShareServer: the sharing switch starts and stops it with
// them, on the same address, and the switch's hint names it. A service whose port setting
// is 0 is not offered.
// Thread: user-interface thread only.
#pragma once

#include <string>

namespace orvane {

class SharedService {
 public:
  struct Started {
    bool ok = true;
    // When not ok: a few words for the status line, and the whole reason.
    std::string status;
    std::string detail;
    // When ok: what the switch's hint says of it ("port 11111 (ASCOM Alpaca)").
    std::string hint;
  };

  // Its port setting names a port.
  virtual bool Offered() const = 0;
  // Starts listening on address (numeric, as the sharing settings give it).
  virtual Started StartSharing(const std::string& address) = 0;
  // Ends every connection and stops listening.
  virtual void StopSharing() = 0;

 protected:
  ~SharedService() = default;
};

}  // namespace orvane
