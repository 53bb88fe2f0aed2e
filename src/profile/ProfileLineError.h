// A profile line that cannot be read; the reader reports it and goes on with the next line.
// Thread: any.
#pragma once

#include <stdexcept>

namespace orvane {

class ProfileLineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace orvane
