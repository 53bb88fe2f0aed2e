// SerialDevice: one opened serial device as the port component sees it. Two kinds exist:
// a POSIX termios device (real adapters, on-board ports, pseudo-terminals) and an
// in-process device wired to the simulated controller, driven by the backend's clock.
// Thread: the port component calls it from the user-interface thread; events are handed
// to the user-interface thread by the device itself (see startEvents).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvane {

// Line settings applied to a device. Flow control is not among them: a device is opened
// without flow control and keeps it.
struct LineSettings {
  int baudRate = 9600;
  int dataBits = 8;
  enum class Parity { None, Odd, Even, Mark, Space } parity = Parity::None;
  enum class StopBits { One, OneAndHalf, Two } stopBits = StopBits::One;
  bool parityCheck = false;  // check parity on input
  bool nullStrip = false;    // discard received null bytes
  char xonChar = 17;
  char xoffChar = 19;
  char eventChar = 0;
};

// Time limit of writes, in milliseconds: perByte * count + constant; both 0 means no
// limit. Reads never wait, so they have none.
struct DeviceTimeouts {
  std::uint32_t writeTotalPerByte = 2;
  std::uint32_t writeTotalConstant = 0;
};

// Device status as the port component reports it: queue counts and hold flags.
struct ComStat {
  bool ctsHold = false;
  bool dsrHold = false;
  bool rlsdHold = false;
  bool xoffHold = false;
  bool xoffSent = false;
  bool eof = false;
  bool txim = false;
  std::uint32_t inQueue = 0;
  std::uint32_t outQueue = 0;
};

// Device events, as bits of an event mask.
namespace comm_event {
constexpr std::uint32_t kBreak = 1u << 0;
constexpr std::uint32_t kCts = 1u << 1;
constexpr std::uint32_t kDsr = 1u << 2;
constexpr std::uint32_t kError = 1u << 3;
constexpr std::uint32_t kRing = 1u << 4;
constexpr std::uint32_t kRlsd = 1u << 5;
constexpr std::uint32_t kRxChar = 1u << 6;
constexpr std::uint32_t kRxFlag = 1u << 7;
constexpr std::uint32_t kTxEmpty = 1u << 8;
constexpr std::uint32_t kAll = (1u << 9) - 1;
// The device failed (adapter pulled, pseudo-terminal closed): no further events come.
constexpr std::uint32_t kLost = 1u << 31;
}  // namespace comm_event

// Line error flags, as the error handler receives them.
namespace comm_error {
constexpr std::uint32_t kRxOver = 0x0001;   // input queue overflow
constexpr std::uint32_t kOverrun = 0x0002;  // a byte was lost in the receiver
constexpr std::uint32_t kRxParity = 0x0004;
constexpr std::uint32_t kFrame = 0x0008;
constexpr std::uint32_t kBreak = 0x0010;
}  // namespace comm_error

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;
  // 0 on success, else the system error code (EINVAL for a setting the device cannot do).
  virtual int applyLineSettings(const LineSettings& settings) = 0;
  virtual int applyTimeouts(const DeviceTimeouts& timeouts) = 0;
  virtual int setQueueSizes(int input, int output) = 0;
  // Writes all bytes, waiting at most the write time-out; bytes written, or -1 when none
  // could be written because the device failed.
  virtual int write(const char* data, int count) = 0;
  // Bytes read (only what is waiting; never blocks), or -1 on failure.
  virtual int read(char* buffer, int count) = 0;
  virtual int inQueueCount() = 0;
  virtual int outQueueCount() = 0;
  // Reads and clears the line error flags (comm_error) and fills status.
  virtual std::uint32_t clearErrors(ComStat& status) = 0;
  // Reads and clears the line error flags alone, for callers that need no status.
  virtual std::uint32_t clearErrorFlags() {
    ComStat ignored;
    return clearErrors(ignored);
  }
  virtual void purge(bool input, bool output) = 0;
  virtual void flush() = 0;  // waits until written bytes have left
  // 0 on success, else the system error code.
  virtual int setDtr(bool on) = 0;
  virtual int setRts(bool on) = 0;
  virtual int setBreak(bool on) = 0;
  virtual int setXon(bool on) = 0;
  // 1 CTS, 2 DSR, 3 ring, 4 carrier detect.
  virtual bool modemLine(int index) = 0;
  // Starts watching for the events in mask; each one reaches handler on the user-interface
  // thread, one at a time, the watcher waiting until the handler has run. A failed device
  // is reported once with comm_event::kLost (whatever the mask), and then nothing more.
  // stopEvents() never waits for the user-interface thread, may be called from inside the
  // handler, and after it returns the handler is not called any more.
  virtual void startEvents(std::uint32_t mask, std::function<void(std::uint32_t)> handler) = 0;
  virtual void stopEvents() = 0;
};

// Opens devices by the port component's device name ("Com1" ... "Com5" or a path).
class SerialDeviceFactory {
 public:
  virtual ~SerialDeviceFactory() = default;
  // Nothing when the device cannot be opened (it does not exist, is no serial device, or
  // another program holds it); errorCode then holds the system's reason.
  virtual std::unique_ptr<SerialDevice> open(const std::string& deviceName, int& errorCode) = 0;
};

}  // namespace orvane
